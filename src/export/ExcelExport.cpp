#include "export/ExcelExport.h"

#include "export/RangeStyleCodes.h"

#include "logfiles/BinaryLogFile.h"
#include "records/CellNumber.h"
#include "records/TagValue.h"
#include "texts/Translations.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A worksheet's capacity: titles in row 1, data below, letters A to Z.
constexpr int MaxWorksheetRows = 1048576;
constexpr int MinExportCols = 2;
constexpr int MaxExportCols = 27;
constexpr qsizetype MaxCellChars = 32767;

// The export's messages, under the main window that shows them.
QString text(Language language, const char *source)
{
    return Translations::text(language, "MainWindow", source);
}

QString noDataText(Language language)
{
    return text(language, QT_TRANSLATE_NOOP("MainWindow", "No data is available for export!"));
}

QString notInstalledText(Language language)
{
    return text(language,
                QT_TRANSLATE_NOOP("MainWindow",
                                  "No Excel was installed in the system. Please "
                                  "install it before using this function！"));
}

QString failedText(Language language)
{
    return text(
        language,
        QT_TRANSLATE_NOOP("MainWindow", "exported failure occurred. Please try again later！"));
}

// One run of the export against the application object. Every object that a
// step obtains is kept until the run ends and released with it.
class ExportRun
{
public:
    ExportRun(const RecordGridModel &grid, ExportProgress &progress,
              std::unique_ptr<AutomationObject> app, std::unique_ptr<AutomationObject> sheet,
              const QList<int> &textColumns)
        : m_grid(grid)
        , m_progress(progress)
        , m_app(std::move(app))
        , m_book(std::move(sheet))
        , m_textColumns(static_cast<std::size_t>(std::max(grid.cols(), 0)), false)
    {
        for (int col : textColumns)
            if (col >= 0 && col < grid.cols())
                m_textColumns[static_cast<std::size_t>(col)] = true;
    }

    ~ExportRun()
    {
        for (auto &object : m_obtained)
            object.reset();
        m_book.reset();
        m_app.reset();
    }

    void run()
    {
        const int rows = m_grid.rows();
        const int cols = m_grid.cols();
        const int n = rows - 1;

        // The new workbook takes the place of the sheet object.
        {
            auto workbooks = m_app->get(u"workBooks"_s);
            auto book = workbooks->get(u"add"_s);
            m_obtained.push_back(std::move(workbooks));
            m_book = std::move(book);
        }

        // Ranges past Z or past the last worksheet row would name other cells
        // or none at all; such a grid cannot be exported faithfully.
        if (rows < 1 || rows > MaxWorksheetRows)
            throw AutomationError("the grid has " + std::to_string(n)
                                  + " data rows, a worksheet holds at most 1,048,575");
        if (cols < MinExportCols || cols > MaxExportCols)
            throw AutomationError("the grid has " + std::to_string(cols - 1)
                                  + " columns, a worksheet export holds 1 to 26");
        const QString letter = exportLastColumnLetter(cols);
        const QString count = QString::number(rows);
        const QString titleRange = "A1:"_L1 + letter + u'1';
        const QString wholeRange = "A1:"_L1 + letter + count;
        const QString dataRange = "A2:"_L1 + letter + count;

        set(chain({{u"worksheets"_s, 1}, {u"Rows"_s, 1}}), u"RowHeight"_s, 18);
        set(chain({{u"worksheets"_s, 1}, {u"range"_s, titleRange}, {u"Font"_s, {}}}), u"Size"_s,
            11);
        set(chain({{u"worksheets"_s, 1}, {u"range"_s, titleRange}, {u"Font"_s, {}}}), u"Name"_s,
            u"黑体"_s); // a font face, not a text

        for (int j = 1; j < cols; ++j)
            setCell(1, j, m_grid.cell(j, 0));

        m_progress.start(n);
        for (int i = 1; i <= n; ++i) {
            m_progress.setPosition(i);
            for (int j = 1; j < cols; ++j) {
                const bool keepText = m_textColumns[static_cast<std::size_t>(j)];
                if (!keepText && setNumberCell(i + 1, j, i))
                    continue;
                setCell(i + 1, j, m_grid.cell(j, i), keepText);
            }
        }

        set(chain({{u"worksheets"_s, 1}, {u"Range"_s, wholeRange}, {u"Borders"_s, {}}}),
            u"LineStyle"_s, RangeStyleCodes::LineContinuous);
        set(chain({{u"worksheets"_s, 1}, {u"range"_s, wholeRange}}), u"HorizontalAlignment"_s,
            RangeStyleCodes::AlignCentre);
        set(chain({{u"worksheets"_s, 1}, {u"range"_s, wholeRange}}), u"VerticalAlignment"_s,
            RangeStyleCodes::AlignCentre);
        set(chain({{u"worksheets"_s, 1}, {u"range"_s, dataRange}, {u"Font"_s, {}}}), u"Color"_s,
            RangeStyleCodes::colourWord(0, 128, 0));
        set(chain({{u"worksheets"_s, 1}, {u"range"_s, dataRange}, {u"Font"_s, {}}}), u"Size"_s, 10);
        m_app->set(u"visible"_s, {}, true);
    }

private:
    struct Step
    {
        QString member;
        QVariant arg; // none when invalid
    };

    // Fetches a chain of members anew from the application object.
    AutomationObject &chain(std::initializer_list<Step> steps)
    {
        AutomationObject *object = m_app.get();
        for (const Step &step : steps) {
            const AutomationArgs args
                = step.arg.isValid() ? AutomationArgs {step.arg} : AutomationArgs {};
            m_obtained.push_back(object->get(step.member, args));
            object = m_obtained.back().get();
        }
        return *object;
    }

    // A longer text would be cut or refused by the worksheet.
    // An apostrophe in front keeps a text as it is.
    void setCell(int row, int col, QString text, bool keepText = false)
    {
        if (text.size() > MaxCellChars)
            throw AutomationError("row " + std::to_string(row) + " column " + std::to_string(col)
                                  + " holds " + std::to_string(text.size())
                                  + " characters, a worksheet cell holds at most 32,767");
        if ((keepText && !text.isEmpty()) || text.startsWith(u'\''))
            text.prepend(u'\'');
        m_app->set(u"Cells"_s, {row, col}, text);
    }

    // A whole number that the grid makes from a record goes in as the number,
    // not as its text read back; false for every other cell.
    bool setNumberCell(int row, int col, int gridRow)
    {
        if (!m_grid.cellIsNumber(col, gridRow))
            return false;
        // A cell made from a record: the format of texts of their own plays no part.
        const std::optional<CellNumber> number
            = m_grid.cellNumber(col, gridRow, ValueFormat::Format::Unsigned16);
        if (!number || number->shown != CellNumber::Shown::Decimal)
            return false;
        m_app->set(u"Cells"_s, {row, col}, QVariant(qlonglong(number->integer)));
        return true;
    }

    static void set(AutomationObject &object, const QString &member, const QVariant &value)
    {
        object.set(member, {}, value);
    }

    const RecordGridModel &m_grid;
    ExportProgress &m_progress;
    std::unique_ptr<AutomationObject> m_app;
    std::unique_ptr<AutomationObject> m_book;
    std::vector<std::unique_ptr<AutomationObject>> m_obtained;
    std::vector<bool> m_textColumns;
};

} // namespace

QList<int> exportTextColumns(const RecordGridModel &grid, bool valueColumns,
                             ValueFormat::Format format, const QString &path)
{
    // Hexadecimal values and alarm texts stay texts even where they read as numbers.
    QList<int> textColumns;
    if (const auto &tags = grid.tagColumns()) {
        for (std::size_t i = 0; i < tags->size(); ++i)
            if (!(*tags)[i].holdsNumbers())
                textColumns.append(3 + int(i));
    } else if (valueColumns && format == ValueFormat::Format::Hex32) {
        for (int col = 3; col < grid.cols(); ++col)
            textColumns.append(col);
    } else if (LogKind::isAlarmFileName(path) && grid.cols() == 4) {
        textColumns.append(3);
    }
    return textColumns;
}

QString exportLastColumnLetter(int cols)
{
    const auto code = static_cast<unsigned char>('A' + cols - 2);
    return QString(QChar(static_cast<char16_t>(code)));
}

QString exportRecordGrid(const RecordGridModel &grid, Language language,
                         AutomationFactory &automation, ExportProgress &progress,
                         MessageSink &messages, QWidget *owner, const QList<int> &textColumns)
{
    const QString caption = text(language, QT_TRANSLATE_NOOP("MainWindow", "Error"));
    if (grid.rows() == 2) {
        messages.showMessage(owner, MessageIcon::Warning, caption, noDataText(language));
        return {};
    }

    std::unique_ptr<AutomationObject> app = automation.create(u"Excel.application"_s);
    std::unique_ptr<AutomationObject> sheet;
    if (app)
        sheet = automation.create(u"excel.sheet"_s);
    if (!app || !sheet) {
        messages.showMessage(owner, MessageIcon::Warning, caption, notInstalledText(language));
        return {};
    }

    ExportRun run(grid, progress, std::move(app), std::move(sheet), textColumns);
    bool failed = false;
    QString reason;
    try {
        run.run();
    } catch (const std::exception &error) {
        // Any failure of the application or the engine, memory included.
        failed = true;
        reason = QString::fromUtf8(error.what());
    }
    progress.finish();
    if (failed)
        messages.showMessage(owner, MessageIcon::Error, caption, failedText(language));
    return reason;
}
