#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QString>

#include "records/CellNumber.h"
#include "records/CellText.h"
#include "records/DecimalText.h"
#include "records/LogFileFormat.h"
#include "records/ValueFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

// The record grid's cells: a grid of text cells with row 0 as the title row
// and column 0 as the ID column, as the loaders, the export and the curve
// window see it (Cells[col][row] addressing, row and column counts that keep
// the cells inside the new bounds).
//
// Texts are kept as UTF-8 in one arena with an (offset, length) pair packed
// into 8 bytes per cell, so a million rows of short texts cost a few bytes
// per cell instead of one QString object each.
//
// A binary log file's records are kept as they are in the file instead: one
// block of the records' bytes for rows 1.., and a cell's text is made when it
// is asked for, in the display format the records were read for. Cells set
// explicitly (the title row, or any cell of those rows) are kept as texts
// beside them and win over the record's.
//
// Growth that cannot be had (memory, or the arena's offset range) throws
// std::bad_alloc; the grid is then still whole, without the change that
// failed, and the loader decides what to show.
//
// A database's data records are kept the same way, as StoredRecords: their
// stored values in the width they need, texts made in the records' format.
//
// As a Qt model it shows rows 1 .. rows()-1 as data rows; the title row is
// the horizontal header and the ID column the vertical header.
class StoredRecords;
class TagFormatter;

class RecordGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int DefaultColWidth = 60;
    static constexpr int DefaultRowHeight = 20;
    // What one cell costs besides its text.
    static constexpr qint64 BytesPerCell = 8;
    // The most rows the grid holds (the views count rows in int).
    static constexpr qint64 MaxRows = std::numeric_limits<int>::max() - 1;
    // The arena's offset range: 40 bits, a terabyte of text (less where the
    // address space is smaller).
    static constexpr qint64 MaxTextBytes
        = std::min<qint64>((qint64(1) << 40) - 1, std::numeric_limits<qsizetype>::max());

    explicit RecordGridModel(QObject *parent = nullptr);
    ~RecordGridModel() override;

    // Grid dimensions, counting the title row and the ID column. With shown
    // rows (showRows) rows() counts those alone.
    int rows() const { return m_showsSome ? int(m_shownRows.size()) + 1 : m_rows; }
    int cols() const { return m_cols; }

    // A part of the rows shown (a time range): rows 1.. then show the grid's
    // rows `wholeRows` (ascending, each 1 .. wholeRows() - 1), and every
    // reader and writer of cells and the views go by the shown rows. Any
    // change of the grid's shape or records (a load) shows every row again.
    void showRows(std::vector<int> wholeRows);
    void showAllRows();
    bool showsSomeRows() const { return m_showsSome; }
    const std::vector<int> &shownRows() const { return m_shownRows; }
    // The rows of the whole grid, shown or not.
    int wholeRows() const { return m_rows; }
    // The row of the whole grid that shown row `row` is; -1 past the shown rows.
    int wholeRow(int row) const
    {
        if (!m_showsSome || row <= 0)
            return row;
        return row <= int(m_shownRows.size()) ? m_shownRows[std::size_t(row) - 1] : -1;
    }
    // A cell of the whole grid, shown or not.
    CellText wholeCellUtf8(int col, int wholeRow) const;
    void wholeRowUtf8(int wholeRow, CellText *cells, int count) const;
    // New counts keep every cell that lies inside both the old and the new bounds.
    void setRows(int rows);
    void setCols(int cols);

    QString cell(int col, int row) const;
    CellText cellUtf8(int col, int row) const;
    // Cells 0 .. count - 1 of `row`, as cellUtf8() gives them, with the
    // row's checks made once where it is a stored record: for readers that
    // take whole rows.
    void rowUtf8(int row, CellText *cells, int count) const;
    // Whether the cell shows the plain decimal of a number made from a record,
    // so that a search can pass over it without making the text.
    bool cellIsNumber(int col, int row) const;
    // The number behind a cell, without making its text where the cell is
    // made from a record: what that text shows, in the format the record is
    // shown in. A cell that holds a text of its own is read as a text of
    // `textsIn` (CellNumber::read). None for a cell with no number.
    std::optional<CellNumber> cellNumber(int col, int row, ValueFormat::Format textsIn) const;
    // The exact decimal a cell made from a record shows, without making its
    // text: the plain decimal cells (cellIsNumber) and a tag sheet's integer
    // columns. None for every other cell (its text tells).
    std::optional<DecimalText::ShownDecimal> cellDecimal(int col, int row) const;
    void setCell(int col, int row, const QString &text);
    void setCellUtf8(int col, int row, QByteArrayView utf8);

    // Records kept as the file holds them, from row 1 on: a binary log
    // file's data or alarm records, or a database's data records.
    enum class RawKind : std::uint8_t { None, Data, Alarm, Stored };
    // Starts keeping `kind` records in rows 1.., shown in display `format`
    // (data records) with `separator`, and as many columns as the record
    // has, at most cols(). Records of the same kind already held stay: those
    // not written again keep the texts they had, as if set explicitly.
    void beginRawRecords(RawKind kind, ValueFormat::Format format,
                         const ValueFormat::DecimalSeparator &separator);
    // Room for `count` records; only a hint.
    void reserveRawRecords(qint64 count);
    // The bytes for the records of rows first .. first + count - 1, first at
    // most one past the records held; to be filled and then committed with
    // rawRecordsWritten(). Throws std::bad_alloc with nothing changed.
    char *rawRecords(int first, int count);
    void rawRecordsWritten(int first, int count);
    RawKind rawKind() const { return m_rawKind; }

    // Rows 1 .. count show `records`, in as many columns as they fill (at
    // most cols()); the title row stays, every other row goes.
    void setStoredRecords(std::unique_ptr<StoredRecords> records);
    int rawRecordCount() const { return m_rawCount; }

    // Columns 3.. of data records made by these formatters, one column
    // each, from the record's raw words instead of in the display format;
    // null: the display format. Cells set explicitly still win.
    using TagColumns = std::vector<TagFormatter>;
    void setTagColumns(std::shared_ptr<const TagColumns> columns);
    const std::shared_ptr<const TagColumns> &tagColumns() const { return m_tagColumns; }

    // Room for `bytes` more text, so a large load does not regrow the store.
    // Only a hint: room that cannot be had is not taken.
    void reserveText(qsizetype bytes);

    // Bytes the cells and their texts take (room reserved and not yet
    // written costs no memory until it is).
    qint64 memoryUse() const;
    // A ceiling on memoryUse() below the system's own, so that running out
    // can be tried without running the machine out; negative for none.
    void setMemoryLimit(qint64 bytes)
    {
        m_memoryLimit = bytes;
        updateTextRoom();
    }

    // The empty grid: 2 rows, 2 columns, every cell empty.
    void makeEmpty();

    // Everything the grid shows (cells, texts, records, column widths), kept
    // so that a load that is given up can put it back. Texts and records are
    // shared with the grid until either changes them: keeping is cheap, and
    // a load that replaces the grid holds one copy besides the new rows.
    struct Kept;
    struct KeptDeleter
    {
        void operator()(Kept *kept) const;
    };
    using KeptGrid = std::unique_ptr<Kept, KeptDeleter>;
    KeptGrid keep() const;
    // The grid as kept; the views are reset.
    void restore(KeptGrid kept);

    // The count that the record count display shows: 0 for a grid of exactly
    // 2 rows (which holds no records), row count - 1 otherwise.
    // Shown rows are counted as they are: a range may hold one record.
    int recordCount() const
    {
        if (m_showsSome)
            return int(m_shownRows.size());
        return m_rows == 2 ? 0 : m_rows - 1;
    }

    // Column widths in pixels. Setting the default width resets every column.
    int defaultColWidth() const { return m_defaultColWidth; }
    void setDefaultColWidth(int width);
    int colWidth(int col) const;
    void setColWidth(int col, int width);

    // Batch updates: while a batch is open the views hear nothing; closing
    // it resets them once if anything changed.
    void beginBatch();
    void endBatch() noexcept;

    // A batch for a scope, closed on every way out of it.
    class Batch
    {
    public:
        explicit Batch(RecordGridModel &grid)
            : m_grid(grid)
        {
            m_grid.beginBatch();
        }
        ~Batch() { m_grid.endBatch(); }
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        RecordGridModel &m_grid;
    };

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void columnWidthsChanged();

public:
    // A cell's place in the arena, packed: 40 bits of offset, 24 of length.
    // A text of LongText bytes or more keeps its length in the 8 bytes in
    // front of it, and the span's length says LongText.
    struct Span
    {
        static constexpr int LengthBits = 24;
        static constexpr std::uint64_t LongText = (std::uint64_t(1) << LengthBits) - 1;

        std::uint64_t bits = 0;

        static Span make(std::uint64_t offset, std::uint64_t length)
        {
            return Span {offset << LengthBits | std::min(length, LongText)};
        }
        std::uint64_t offset() const { return bits >> LengthBits; }
        std::uint64_t length() const { return bits & LongText; }
        bool isLong() const { return length() == LongText; }
    };
    static_assert(sizeof(Span) == BytesPerCell);

private:
    // What the records of a run of rows show: their format and how many of
    // their columns.
    struct RawShape
    {
        ValueFormat::Format format = ValueFormat::Format::Unsigned16;
        int cols = 0;
    };
    static std::uint64_t key(int col, int row)
    {
        return std::uint64_t(std::uint32_t(row)) << 32 | std::uint32_t(col);
    }
    bool isRaw() const { return m_rawKind != RawKind::None; }
    int rawRecordSize() const { return m_rawKind == RawKind::Alarm ? 112 : 32; }
    // Bytes the records take.
    qint64 rawBytes() const;
    int rawCols(RawKind kind, ValueFormat::Format format) const;
    CellText rawCell(int col, int row) const;
    std::optional<CellNumber> rawNumber(int col, int row, ValueFormat::Format textsIn) const;
    void setRawRows(int rows);
    // Whether a tag column makes the cell, and its text and number.
    bool isTagCell(int col, int row) const
    {
        return m_tagColumns && col >= 3 && row >= 1 && row <= m_rawCount
            && (m_rawKind == RawKind::Data || m_rawKind == RawKind::Stored);
    }
    std::optional<double> tagCell(int col, int row, CellText *text) const;
    // The raw value of a tag cell; false for an empty stored value.
    bool tagRaw(const TagFormatter &f, int row, std::uint32_t &raw) const;
    // The tag column's formatter and the raw value of its cell in `row`;
    // no formatter for a column the sheet does not reach or an empty value.
    const TagFormatter *tagRawOf(int col, int row, std::uint32_t &raw) const;
    // Drops the set cells whose key(col, row) `drop` picks.
    template<typename Drop> void dropOverlay(Drop drop);
    void setRawCols(int cols);
    template<typename F> void forEachSpan(F f);
    std::size_t spanCount() const { return isRaw() ? m_overlay.size() : m_spans.size(); }
    std::size_t slot(int col, int row) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_cols)
            + static_cast<std::size_t>(col);
    }
    bool inside(int col, int row) const
    {
        return col >= 0 && row >= 0 && col < m_cols && row < m_rows;
    }
    void resize(int rows, int cols);
    // Around a change of the grid's shape or texts: outside a batch each
    // change resets the views; inside one the first change opens a single
    // reset that the batch's end closes.
    bool openReset();
    void closeReset(bool own);
    void compactIfWasteful() noexcept;
    void changed(int col, int row);
    // The text's bytes and the room the arena gives it (a long text's length
    // included).
    QByteArrayView text(Span s) const
    {
        const char *at = m_arena.constData() + s.offset();
        if (!s.isLong())
            return QByteArrayView(at, qsizetype(s.length()));
        qint64 length = 0;
        std::memcpy(&length, at, sizeof length);
        return QByteArrayView(at + sizeof length, qsizetype(length));
    }
    qint64 storedSize(Span s) const
    {
        return s.isLong() ? text(s).size() + qint64(sizeof(qint64)) : qint64(s.length());
    }
    // Throws std::bad_alloc when `spans` cells would pass the memory limit.
    void checkGrowth(std::size_t spans) const;
    // The arena's size that the next text must stay within: its range, less
    // what the limit leaves after the spans.
    void updateTextRoom();
    Span appendLongText(QByteArrayView utf8);
    // The text in the arena, as the span a cell keeps.
    Span store(QByteArrayView utf8);

    int m_rows = 2;
    int m_cols = 2;
    // The whole grid's rows that rows 1.. show, while m_showsSome.
    std::vector<int> m_shownRows;
    bool m_showsSome = false;
    // Without raw records: a span per cell, row by row.
    std::vector<Span> m_spans;
    // With raw records: the records back to back, and the cells set
    // explicitly by key(col, row).
    RawKind m_rawKind = RawKind::None;
    QByteArray m_raw;
    // Shared with what keep() kept, and then never cut in place.
    std::shared_ptr<StoredRecords> m_stored;
    int m_rawCount = 0;
    // Rows before m_split show m_shape, the others m_oldShape (records not
    // yet written again after a change of format).
    RawShape m_shape;
    RawShape m_oldShape;
    int m_split = std::numeric_limits<int>::max();
    ValueFormat::DecimalSeparator m_separator;
    std::unordered_map<std::uint64_t, Span> m_overlay;
    int m_overlayLastRow = -1;
    std::shared_ptr<const TagColumns> m_tagColumns;
    // Tag texts longer than a cell's own buffer (many bit names), kept once
    // each so that the cells can point at them.
    mutable std::set<QByteArray> m_longTagTexts;
    QByteArray m_arena;
    qsizetype m_garbage = 0;
    qint64 m_memoryLimit = -1;
    qint64 m_textRoom = MaxTextBytes;
    int m_defaultColWidth = DefaultColWidth;
    std::vector<int> m_colWidths;
    int m_batchDepth = 0;
    bool m_layoutDirty = false;
    bool m_resetOpen = false;
};
