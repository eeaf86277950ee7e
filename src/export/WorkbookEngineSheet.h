#pragma once

#include <QByteArray>
#include <QString>

#include <compare>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A block of cells, 0-based and inclusive on both ends.
struct CellRect
{
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;

    bool contains(int row, int col) const
    {
        return row >= top && row <= bottom && col >= left && col <= right;
    }
    bool operator==(const CellRect &) const = default;
};

// The look of a cell as the operations set it; unset fields keep the default.
struct CellStyle
{
    enum class Border : std::uint8_t { None, Thin, Dashed, Dotted, Double };
    enum class HAlign : std::uint8_t { General, Left, Centre, Right };
    enum class VAlign : std::uint8_t { Top, Centre, Bottom };

    std::optional<double> fontSize;
    std::optional<std::string> fontName; // UTF-8
    std::optional<std::uint32_t> fontColour; // 0xRRGGBB
    std::optional<Border> border;
    std::optional<HAlign> hAlign;
    std::optional<VAlign> vAlign;

    // Fields set in `later` win.
    void overlay(const CellStyle &later);
    bool isDefault() const { return *this == CellStyle {}; }
    auto operator<=>(const CellStyle &) const = default;
};

// A worksheet as the engine builds it. Cell texts are appended to a compact
// log in the order they arrive (a million rows cost little more than their
// text); formats set on ranges are kept as an ordered list and resolved per
// cell when the file is written, since they usually come after the cells.
class WorkbookEngineSheet
{
public:
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxCols = 16384;
    static constexpr int MaxTextChars = 32767;

    struct StyleOp
    {
        CellRect rect;
        CellStyle style;
    };
    struct HeightOp
    {
        int top;
        int bottom;
        double height;
    };
    struct Cell
    {
        int row;
        int col;
        const char *text; // NUL-terminated UTF-8; empty for an integer
        // The cell was given a number, not a text.
        bool isInteger = false;
        std::int64_t integer = 0;
    };

    // 0-based positions. Throws AutomationError outside the worksheet or for
    // a text longer than a cell holds.
    void setCell(int row, int col, const QString &text);
    // A whole number as a number; as its decimal text past the 15 digits a
    // number cell shows exactly (an application shows those as typed text).
    void setInteger(int row, int col, std::int64_t value);
    void setRowHeight(int top, int bottom, double height);
    void applyStyle(const CellRect &rect, const CellStyle &style);

    // The used area: the last row and column that got a value, -1 when none.
    int lastRow() const { return m_maxRow; }
    int lastCol() const { return m_maxCol; }
    // True when every cell came in a row no lower than the one before.
    bool rowsInOrder() const { return m_rowsInOrder; }
    const std::vector<StyleOp> &styles() const { return m_styles; }
    // The decimal separator of the number texts typed in (UTF-8): the one of
    // the system's regional settings unless set.
    std::string_view decimalSeparator() const { return m_decimalSeparator; }
    void setDecimalSeparator(const QString &separator)
    {
        m_decimalSeparator = separator.toStdString();
    }
    const std::vector<HeightOp> &heights() const { return m_heights; }
    std::optional<double> rowHeight(int row) const;

    // Visits the cells in the order they were written.
    template<typename F> void forEachCell(F &&visit) const
    {
        for (const auto &chunk : m_chunks) {
            const char *p = chunk.data.get();
            const char *end = p + chunk.used;
            int row = 0;
            while (p < end) {
                const std::uint32_t zz = readVarint(p);
                row += static_cast<int>(zz >> 1) ^ -static_cast<int>(zz & 1);
                const std::uint32_t colAndKind = readVarint(p);
                const int col = static_cast<int>(colAndKind >> 1);
                if (colAndKind & 1) {
                    std::int64_t integer = 0;
                    std::memcpy(&integer, p, sizeof integer);
                    p += sizeof integer;
                    visit(Cell {row, col, "", true, integer});
                    continue;
                }
                const char *text = p;
                while (*p)
                    ++p;
                ++p;
                visit(Cell {row, col, text});
            }
        }
    }

private:
    // Appends a cell to the log: its column tagged with whether `bytes` are an integer's.
    void append(int row, int col, bool integer, const char *bytes, std::size_t size);

    struct Chunk
    {
        std::unique_ptr<char[]> data;
        std::size_t size = 0;
        std::size_t used = 0;
    };
    static std::uint32_t readVarint(const char *&p)
    {
        std::uint32_t v = 0;
        int shift = 0;
        for (;;) {
            const auto b = static_cast<std::uint8_t>(*p++);
            v |= std::uint32_t(b & 0x7f) << shift;
            if (!(b & 0x80))
                return v;
            shift += 7;
        }
    }

    std::vector<Chunk> m_chunks;
    int m_chunkRow = 0; // rows are stored as deltas from the row before, per chunk
    int m_lastWrittenRow = -1;
    int m_maxRow = -1;
    int m_maxCol = -1;
    bool m_rowsInOrder = true;
    std::vector<StyleOp> m_styles;
    std::vector<HeightOp> m_heights;
    std::string m_decimalSeparator = systemDecimalSeparator();

    static std::string systemDecimalSeparator();
};

// Reads a range text such as "A1", "A1:L5" or "$A$2:$C$9" (letters in any
// case) into a block, corners in either order; nullopt for anything else or
// for a cell outside the worksheet.
std::optional<CellRect> parseCellRange(QStringView text);
