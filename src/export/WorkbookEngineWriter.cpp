#include "export/WorkbookEngineWriter.h"

#include "export/Automation.h"
#include "export/WorkbookCellValue.h"
#include "export/WorkbookEngineSheet.h"
#include "platform/NativeName.h"
#include "platform/SafeOutputFile.h"
#include "platform/WorkProgress.h"

#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <map>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

[[noreturn]] void fail(const char *what, lxw_error error)
{
    throw AutomationError(std::string(what) + ": " + lxw_strerror(error));
}

void check(const char *what, lxw_error error)
{
    if (error != LXW_NO_ERROR)
        fail(what, error);
}

std::uint8_t lxwBorder(CellStyle::Border border)
{
    switch (border) {
    case CellStyle::Border::None:
        return LXW_BORDER_NONE;
    case CellStyle::Border::Thin:
        return LXW_BORDER_THIN;
    case CellStyle::Border::Dashed:
        return LXW_BORDER_DASHED;
    case CellStyle::Border::Dotted:
        return LXW_BORDER_DOTTED;
    case CellStyle::Border::Double:
        return LXW_BORDER_DOUBLE;
    }
    return LXW_BORDER_NONE;
}

std::uint8_t lxwHAlign(CellStyle::HAlign align)
{
    switch (align) {
    case CellStyle::HAlign::General:
        return LXW_ALIGN_NONE;
    case CellStyle::HAlign::Left:
        return LXW_ALIGN_LEFT;
    case CellStyle::HAlign::Centre:
        return LXW_ALIGN_CENTER;
    case CellStyle::HAlign::Right:
        return LXW_ALIGN_RIGHT;
    }
    return LXW_ALIGN_NONE;
}

std::uint8_t lxwVAlign(CellStyle::VAlign align)
{
    switch (align) {
    case CellStyle::VAlign::Top:
        return LXW_ALIGN_VERTICAL_TOP;
    case CellStyle::VAlign::Centre:
        return LXW_ALIGN_VERTICAL_CENTER;
    case CellStyle::VAlign::Bottom:
        return LXW_ALIGN_VERTICAL_BOTTOM;
    }
    return LXW_ALIGN_VERTICAL_BOTTOM;
}

// The formats of the sheet resolved per band of rows and per column of the
// used area: a band is a run of rows that the same ranges cover, so each cell
// finds its format with one lookup instead of testing every range.
class FormatBands
{
public:
    FormatBands(lxw_workbook *workbook, const WorkbookEngineSheet &sheet)
        : m_workbook(workbook)
        , m_cols(sheet.lastCol() + 1)
    {
        std::vector<int> starts {0};
        for (const auto &op : sheet.styles()) {
            starts.push_back(op.rect.top);
            starts.push_back(op.rect.bottom + 1);
        }
        std::sort(starts.begin(), starts.end());
        starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
        for (int start : starts) {
            m_starts.push_back(start);
            std::vector<Column> columns(static_cast<std::size_t>(m_cols));
            for (int col = 0; col < m_cols; ++col) {
                Column &column = columns[static_cast<std::size_t>(col)];
                for (const auto &op : sheet.styles())
                    if (op.rect.contains(start, col))
                        column.style.overlay(op.style);
                column.plain = format(column.style, {});
            }
            m_columns.push_back(std::move(columns));
        }
    }

    // The format of a cell of the used area holding text or nothing.
    lxw_format *plain(int row, int col) const { return column(row, col).plain; }

    // The format of a cell of the used area holding a value shown with
    // `numberFormat` (a WorkbookCellValue format).
    lxw_format *typed(int row, int col, std::uint16_t numberFormat)
    {
        Column &c = column(row, col);
        // A column's values mostly share one number format.
        for (const auto &[key, f] : c.typed)
            if (key == numberFormat)
                return f;
        lxw_format *f = format(c.style, numberFormatText(numberFormat));
        c.typed.emplace_back(numberFormat, f);
        return f;
    }

    int cols() const { return m_cols; }

private:
    struct Column
    {
        CellStyle style;
        lxw_format *plain = nullptr;
        std::vector<std::pair<std::uint16_t, lxw_format *>> typed;
    };

    std::vector<Column> &band(int row)
    {
        const auto it = std::upper_bound(m_starts.begin(), m_starts.end(), row);
        return m_columns[static_cast<std::size_t>(it - m_starts.begin() - 1)];
    }
    Column &column(int row, int col) { return band(row)[static_cast<std::size_t>(col)]; }
    const Column &column(int row, int col) const
    {
        return const_cast<FormatBands *>(this)->column(row, col);
    }

    lxw_format *format(const CellStyle &style, const std::string &numberFormat)
    {
        if (style.isDefault() && numberFormat.empty())
            return nullptr;
        const auto found = m_cache.find({style, numberFormat});
        if (found != m_cache.end())
            return found->second;
        lxw_format *f = workbook_add_format(m_workbook);
        if (!f)
            fail("format", LXW_ERROR_MEMORY_MALLOC_FAILED);
        if (!numberFormat.empty())
            format_set_num_format(f, numberFormat.c_str());
        if (style.fontName)
            format_set_font_name(f, style.fontName->c_str());
        if (style.fontSize)
            format_set_font_size(f, *style.fontSize);
        if (style.fontColour)
            format_set_font_color(f, *style.fontColour);
        if (style.border)
            format_set_border(f, lxwBorder(*style.border));
        if (style.hAlign)
            format_set_align(f, lxwHAlign(*style.hAlign));
        if (style.vAlign)
            format_set_align(f, lxwVAlign(*style.vAlign));
        m_cache.emplace(std::pair {style, numberFormat}, f);
        return f;
    }

    lxw_workbook *m_workbook;
    int m_cols;
    std::vector<int> m_starts;
    std::vector<std::vector<Column>> m_columns;
    std::map<std::pair<CellStyle, std::string>, lxw_format *> m_cache;
};

class SheetWriter
{
public:
    SheetWriter(lxw_workbook *workbook, lxw_worksheet *worksheet, const WorkbookEngineSheet &sheet,
                WorkProgress *progress)
        : m_ws(worksheet)
        , m_sheet(sheet)
        , m_progress(progress)
        , m_bands(workbook, sheet)
        , m_written(static_cast<std::size_t>(std::max(sheet.lastCol() + 1, 0)), 0)
    {
        for (const auto &op : sheet.heights())
            m_lastRow = std::max(m_lastRow, op.bottom);
        m_lastRow = std::max(m_lastRow, sheet.lastRow());
    }

    // Rows strictly in order: each row is started, filled and left for good.
    void streamRows()
    {
        int current = -1;
        m_sheet.forEachCell([&](const WorkbookEngineSheet::Cell &cell) {
            if (cell.row != current) {
                if (cell.row % 256 == 0)
                    stopUnlessGoing(m_progress, cell.row);
                if (current >= 0)
                    fillBlanks(current);
                startRow(cell.row);
                current = cell.row;
            }
            writeText(cell);
            m_written[static_cast<std::size_t>(cell.col)] = 1;
        });
        if (current >= 0)
            fillBlanks(current);
        if (m_lastRow >= 0)
            startRow(m_lastRow + 1);
    }

    // Any order: formats and heights first, then the texts over them.
    void writeAnyOrder()
    {
        for (int row = 0; row <= m_lastRow; ++row) {
            if (row % 256 == 0)
                stopUnlessGoing(m_progress, row);
            setHeight(row);
            fillBlanks(row);
        }
        m_sheet.forEachCell([&](const WorkbookEngineSheet::Cell &cell) { writeText(cell); });
    }

private:
    // Finishes the rows before `row` that have no cells and opens `row`.
    void startRow(int row)
    {
        std::fill(m_written.begin(), m_written.end(), 0);
        for (; m_nextRow < row; ++m_nextRow) {
            setHeight(m_nextRow);
            fillBlanks(m_nextRow);
        }
        if (row <= m_lastRow)
            setHeight(row);
        m_nextRow = row + 1;
    }

    void setHeight(int row)
    {
        if (const auto height = m_sheet.rowHeight(row))
            check("row height",
                  worksheet_set_row(m_ws, static_cast<lxw_row_t>(row), *height, nullptr));
    }

    // A range format shows on every cell of the used area it covers, so
    // cells that got no text still get a formatted blank.
    void fillBlanks(int row)
    {
        if (row > m_sheet.lastRow())
            return;
        for (int col = 0; col < m_bands.cols(); ++col) {
            lxw_format *f = m_bands.plain(row, col);
            if (f && !m_written[static_cast<std::size_t>(col)])
                check("blank",
                      worksheet_write_blank(m_ws, static_cast<lxw_row_t>(row),
                                            static_cast<lxw_col_t>(col), f));
        }
    }

    // The cell holds what a spreadsheet application makes of its text.
    void writeText(const WorkbookEngineSheet::Cell &cell)
    {
        const auto row = static_cast<lxw_row_t>(cell.row);
        const auto col = static_cast<lxw_col_t>(cell.col);
        if (cell.isInteger) {
            // Whole numbers show as typed with the plain number format.
            check("cell",
                  worksheet_write_number(m_ws, row, col, static_cast<double>(cell.integer),
                                         m_bands.typed(cell.row, cell.col, 0)));
            return;
        }
        const WorkbookCellValue value = workbookCellValue(cell.text, m_sheet.decimalSeparator());
        if (value.kind == WorkbookCellValue::Kind::Number) {
            check("cell",
                  worksheet_write_number(m_ws, row, col, value.number,
                                         m_bands.typed(cell.row, cell.col, value.format)));
            return;
        }
        lxw_format *f = m_bands.plain(cell.row, cell.col);
        const char *text = cell.text + value.textStart;
        // An empty text leaves a blank cell, which only a format keeps.
        const lxw_error error = *text ? worksheet_write_string(m_ws, row, col, text, f)
                                      : worksheet_write_blank(m_ws, row, col, f);
        check("cell", error);
    }

    lxw_worksheet *m_ws;
    const WorkbookEngineSheet &m_sheet;
    WorkProgress *m_progress;
    FormatBands m_bands;
    std::vector<char> m_written;
    int m_lastRow = -1;
    int m_nextRow = 0;
};

// The library reports some failures on stderr as well as in its return
// codes; the codes are what counts, and stderr is the program's own. The
// redirection holds only while the library runs.
class QuietStderr
{
public:
    QuietStderr()
    {
        std::fflush(stderr);
#ifdef Q_OS_WIN
        m_saved = _dup(2);
        const int null = _open("NUL", _O_WRONLY);
        if (m_saved >= 0 && null >= 0)
            _dup2(null, 2);
        if (null >= 0)
            _close(null);
#else
        m_saved = ::dup(2);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (m_saved >= 0 && null >= 0)
            ::dup2(null, 2);
        if (null >= 0)
            ::close(null);
#endif
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        if (m_saved < 0)
            return;
#ifdef Q_OS_WIN
        _dup2(m_saved, 2);
        _close(m_saved);
#else
        ::dup2(m_saved, 2);
        ::close(m_saved);
#endif
    }
    QuietStderr(const QuietStderr &) = delete;
    QuietStderr &operator=(const QuietStderr &) = delete;

private:
    int m_saved = -1;
};

void writeTo(const WorkbookEngineSheet &sheet, const QByteArray &fileName, WorkProgress *progress)
{
    const QuietStderr quiet;
    lxw_workbook_options options {};
    options.constant_memory = sheet.rowsInOrder() ? LXW_TRUE : LXW_FALSE;
    const QByteArray tmpDir = QFile::encodeName(QDir::tempPath());
    options.tmpdir = const_cast<char *>(tmpDir.constData());
    lxw_workbook *workbook = workbook_new_opt(fileName.constData(), &options);
    if (!workbook)
        fail("workbook", LXW_ERROR_CREATING_TMPFILE);
    try {
        lxw_worksheet *worksheet = workbook_add_worksheet(workbook, nullptr);
        if (!worksheet)
            fail("worksheet", LXW_ERROR_MEMORY_MALLOC_FAILED);
        SheetWriter writer(workbook, worksheet, sheet, progress);
        if (sheet.rowsInOrder())
            writer.streamRows();
        else
            writer.writeAnyOrder();
    } catch (...) {
        workbook_close(workbook);
        throw;
    }
    // Closing writes the file.
    const lxw_error closed = workbook_close(workbook);
    if (closed != LXW_NO_ERROR)
        throw WorkbookWriteError(lxw_strerror(closed));
}

} // namespace

void writeWorkbookFile(const WorkbookEngineSheet &sheet, const QString &path,
                       const QString &protectedFile, WorkProgress *progress)
{
    // The library writes by name: it gets the temporary file beside the
    // target, which replaces the target only when the library reports success.
    SafeOutputFile out(path);
    if (!out.open(protectedFile))
        throw WorkbookWriteError(out.errorString().toStdString());
    writeTo(sheet, nativeFileName(out.temporaryName()), progress);
    // The library's last write may have taken a while.
    stopUnlessGoing(progress, sheet.lastRow());
    if (!out.commit())
        throw WorkbookWriteError(out.errorString().toStdString());
}
