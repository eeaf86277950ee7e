#include "export/WorkbookEngine.h"

#include "export/RangeStyleCodes.h"
#include "export/WorkbookEngineSheet.h"
#include "export/WorkbookEngineWriter.h"
#include "export/WorkbookTemplate.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>

#include <cmath>
#include <vector>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#endif

using namespace Qt::StringLiterals;

namespace {

bool is(const QString &member, QLatin1StringView name)
{
    return member.compare(name, Qt::CaseInsensitive) == 0;
}

[[noreturn]] void unknownName(const QString &member)
{
    throw AutomationError("unknown name: " + member.toStdString());
}

[[noreturn]] void badArgument(const QString &member)
{
    throw AutomationError("invalid argument for " + member.toStdString());
}

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

double number(const QString &member, const QVariant &v)
{
    if (!isNumber(v))
        badArgument(member);
    const double d = v.toDouble();
    if (!std::isfinite(d))
        badArgument(member);
    return d;
}

int integer(const QString &member, const QVariant &v)
{
    const double d = number(member, v);
    if (d != std::floor(d) || d < -2147483648.0 || d > 2147483647.0)
        badArgument(member);
    return static_cast<int>(d);
}

void expectArgs(const QString &member, const AutomationArgs &args, qsizetype count)
{
    if (args.size() != count)
        throw AutomationError("wrong number of arguments for " + member.toStdString());
}

// 1-based row and column indexes into a 0-based cell.
std::pair<int, int> cellIndex(const QString &member, const AutomationArgs &args)
{
    expectArgs(member, args, 2);
    const int row = integer(member, args[0]);
    const int col = integer(member, args[1]);
    if (row < 1 || row > WorkbookEngineSheet::MaxRows || col < 1
        || col > WorkbookEngineSheet::MaxCols)
        badArgument(member);
    return {row - 1, col - 1};
}

CellRect rangeArgument(const QString &member, const AutomationArgs &args)
{
    expectArgs(member, args, 1);
    if (args[0].typeId() != QMetaType::QString)
        badArgument(member);
    const auto rect = parseCellRange(args[0].toString());
    if (!rect)
        badArgument(member);
    return *rect;
}

QString cellText(const QString &member, const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    if (isNumber(value))
        return value.toString();
    if (!value.isValid())
        return {};
    badArgument(member);
}

struct Book
{
    std::shared_ptr<WorkbookEngineSheet> sheet = std::make_shared<WorkbookEngineSheet>();
};

struct Application
{
    std::shared_ptr<WorkbookPresenter> presenter;
    std::vector<std::shared_ptr<Book>> books;
    bool visible = false;

    WorkbookEngineSheet &activeSheet(const QString &member) const
    {
        if (books.empty())
            throw AutomationError("no workbook for " + member.toStdString());
        return *books.back()->sheet;
    }
};

// A new workbook has one worksheet, reached by index 1 or by its name.
void expectFirstSheet(const QString &member, const AutomationArgs &args)
{
    expectArgs(member, args, 1);
    const QVariant &which = args[0];
    if (which.typeId() == QMetaType::QString) {
        if (which.toString().compare("Sheet1"_L1, Qt::CaseInsensitive) != 0)
            badArgument(member);
    } else if (integer(member, which) != 1) {
        badArgument(member);
    }
}

// A part of a range (its font, its borders): nothing to read, properties
// that style the range's cells.
class RangeStyleObject : public AutomationObject
{
public:
    RangeStyleObject(std::shared_ptr<WorkbookEngineSheet> sheet, CellRect rect)
        : m_sheet(std::move(sheet))
        , m_rect(rect)
    { }
    std::unique_ptr<AutomationObject> get(const QString &member, const AutomationArgs &) override
    {
        unknownName(member);
    }

protected:
    void apply(const CellStyle &style) { m_sheet->applyStyle(m_rect, style); }

private:
    std::shared_ptr<WorkbookEngineSheet> m_sheet;
    CellRect m_rect;
};

class FontObject : public RangeStyleObject
{
public:
    using RangeStyleObject::RangeStyleObject;
    void set(const QString &member, const AutomationArgs &indexes, const QVariant &value) override
    {
        expectArgs(member, indexes, 0);
        CellStyle style;
        if (is(member, "Size"_L1)) {
            const double size = number(member, value);
            if (size < 1 || size > 409)
                badArgument(member);
            style.fontSize = size;
        } else if (is(member, "Name"_L1)) {
            if (value.typeId() != QMetaType::QString || value.toString().trimmed().isEmpty())
                badArgument(member);
            style.fontName = value.toString().toStdString();
        } else if (is(member, "Color"_L1)) {
            // The automation colour word keeps red in the low byte.
            const double colour = number(member, value);
            if (colour < 0 || colour > 0xffffff || colour != std::floor(colour))
                badArgument(member);
            const auto bgr = static_cast<std::uint32_t>(colour);
            style.fontColour = ((bgr & 0xff) << 16) | (bgr & 0xff00) | ((bgr >> 16) & 0xff);
        } else {
            unknownName(member);
        }
        apply(style);
    }
};

class BordersObject : public RangeStyleObject
{
public:
    using RangeStyleObject::RangeStyleObject;
    void set(const QString &member, const AutomationArgs &indexes, const QVariant &value) override
    {
        expectArgs(member, indexes, 0);
        if (!is(member, "LineStyle"_L1))
            unknownName(member);
        CellStyle style;
        switch (integer(member, value)) {
        case RangeStyleCodes::LineContinuous:
            style.border = CellStyle::Border::Thin;
            break;
        case RangeStyleCodes::LineDash:
            style.border = CellStyle::Border::Dashed;
            break;
        case RangeStyleCodes::LineDot:
            style.border = CellStyle::Border::Dotted;
            break;
        case RangeStyleCodes::LineDouble:
            style.border = CellStyle::Border::Double;
            break;
        case RangeStyleCodes::LineNone:
            style.border = CellStyle::Border::None;
            break;
        default:
            badArgument(member);
        }
        apply(style);
    }
};

class RangeObject : public AutomationObject
{
public:
    RangeObject(std::shared_ptr<WorkbookEngineSheet> sheet, CellRect rect)
        : m_sheet(std::move(sheet))
        , m_rect(rect)
    { }
    std::unique_ptr<AutomationObject> get(const QString &member,
                                          const AutomationArgs &args) override
    {
        expectArgs(member, args, 0);
        if (is(member, "Font"_L1))
            return std::make_unique<FontObject>(m_sheet, m_rect);
        if (is(member, "Borders"_L1))
            return std::make_unique<BordersObject>(m_sheet, m_rect);
        unknownName(member);
    }
    void set(const QString &member, const AutomationArgs &indexes, const QVariant &value) override
    {
        expectArgs(member, indexes, 0);
        CellStyle style;
        if (is(member, "RowHeight"_L1)) {
            const double height = number(member, value);
            if (height < 0 || height > 409)
                badArgument(member);
            m_sheet->setRowHeight(m_rect.top, m_rect.bottom, height);
            return;
        }
        if (is(member, "HorizontalAlignment"_L1)) {
            switch (integer(member, value)) {
            case RangeStyleCodes::AlignGeneral:
                style.hAlign = CellStyle::HAlign::General;
                break;
            case RangeStyleCodes::AlignLeft:
                style.hAlign = CellStyle::HAlign::Left;
                break;
            case RangeStyleCodes::AlignCentre:
                style.hAlign = CellStyle::HAlign::Centre;
                break;
            case RangeStyleCodes::AlignRight:
                style.hAlign = CellStyle::HAlign::Right;
                break;
            default:
                badArgument(member);
            }
        } else if (is(member, "VerticalAlignment"_L1)) {
            switch (integer(member, value)) {
            case RangeStyleCodes::AlignTop:
                style.vAlign = CellStyle::VAlign::Top;
                break;
            case RangeStyleCodes::AlignCentre:
                style.vAlign = CellStyle::VAlign::Centre;
                break;
            case RangeStyleCodes::AlignBottom:
                style.vAlign = CellStyle::VAlign::Bottom;
                break;
            default:
                badArgument(member);
            }
        } else {
            unknownName(member);
        }
        m_sheet->applyStyle(m_rect, style);
    }

private:
    std::shared_ptr<WorkbookEngineSheet> m_sheet;
    CellRect m_rect;
};

// Members that a worksheet and the application (for its active worksheet) share.
std::unique_ptr<AutomationObject> sheetMember(const std::shared_ptr<WorkbookEngineSheet> &sheet,
                                              const QString &member, const AutomationArgs &args)
{
    if (is(member, "Rows"_L1)) {
        expectArgs(member, args, 1);
        const int row = integer(member, args[0]);
        if (row < 1 || row > WorkbookEngineSheet::MaxRows)
            badArgument(member);
        return std::make_unique<RangeObject>(
            sheet, CellRect {row - 1, 0, row - 1, WorkbookEngineSheet::MaxCols - 1});
    }
    if (is(member, "Range"_L1))
        return std::make_unique<RangeObject>(sheet, rangeArgument(member, args));
    if (is(member, "Cells"_L1)) {
        const auto [row, col] = cellIndex(member, args);
        return std::make_unique<RangeObject>(sheet, CellRect {row, col, row, col});
    }
    unknownName(member);
}

void setSheetCell(WorkbookEngineSheet &sheet, const QString &member, const AutomationArgs &indexes,
                  const QVariant &value)
{
    const auto [row, col] = cellIndex(member, indexes);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        // A whole number is a number as it is, not a text read back.
        sheet.setInteger(row, col, value.toLongLong());
        return;
    default:
        break;
    }
    sheet.setCell(row, col, cellText(member, value));
}

class SheetObject : public AutomationObject
{
public:
    explicit SheetObject(std::shared_ptr<WorkbookEngineSheet> sheet)
        : m_sheet(std::move(sheet))
    { }
    std::unique_ptr<AutomationObject> get(const QString &member,
                                          const AutomationArgs &args) override
    {
        return sheetMember(m_sheet, member, args);
    }
    void set(const QString &member, const AutomationArgs &indexes, const QVariant &value) override
    {
        if (!is(member, "Cells"_L1))
            unknownName(member);
        setSheetCell(*m_sheet, member, indexes, value);
    }

private:
    std::shared_ptr<WorkbookEngineSheet> m_sheet;
};

class BookObject : public AutomationObject
{
public:
    explicit BookObject(std::shared_ptr<Book> book)
        : m_book(std::move(book))
    { }
    std::unique_ptr<AutomationObject> get(const QString &member,
                                          const AutomationArgs &args) override
    {
        if (!is(member, "Worksheets"_L1) && !is(member, "Sheets"_L1))
            unknownName(member);
        expectFirstSheet(member, args);
        return std::make_unique<SheetObject>(m_book->sheet);
    }
    void set(const QString &member, const AutomationArgs &, const QVariant &) override
    {
        unknownName(member);
    }

private:
    std::shared_ptr<Book> m_book;
};

class WorkbooksObject : public AutomationObject
{
public:
    explicit WorkbooksObject(std::shared_ptr<Application> app)
        : m_app(std::move(app))
    { }
    std::unique_ptr<AutomationObject> get(const QString &member,
                                          const AutomationArgs &args) override
    {
        if (!is(member, "Add"_L1))
            unknownName(member);
        expectArgs(member, args, 0);
        m_app->books.push_back(std::make_shared<Book>());
        return std::make_unique<BookObject>(m_app->books.back());
    }
    void set(const QString &member, const AutomationArgs &, const QVariant &) override
    {
        unknownName(member);
    }

private:
    std::shared_ptr<Application> m_app;
};

class ApplicationObject : public AutomationObject
{
public:
    explicit ApplicationObject(std::shared_ptr<WorkbookPresenter> presenter)
        : m_app(std::make_shared<Application>())
    {
        m_app->presenter = std::move(presenter);
    }
    std::unique_ptr<AutomationObject> get(const QString &member,
                                          const AutomationArgs &args) override
    {
        if (is(member, "Workbooks"_L1)) {
            expectArgs(member, args, 0);
            return std::make_unique<WorkbooksObject>(m_app);
        }
        if (is(member, "Worksheets"_L1) || is(member, "Sheets"_L1)) {
            m_app->activeSheet(member);
            expectFirstSheet(member, args);
            return std::make_unique<SheetObject>(m_app->books.back()->sheet);
        }
        if (is(member, "ActiveSheet"_L1)) {
            expectArgs(member, args, 0);
            m_app->activeSheet(member);
            return std::make_unique<SheetObject>(m_app->books.back()->sheet);
        }
        m_app->activeSheet(member);
        return sheetMember(m_app->books.back()->sheet, member, args);
    }
    void set(const QString &member, const AutomationArgs &indexes, const QVariant &value) override
    {
        if (is(member, "Cells"_L1)) {
            setSheetCell(m_app->activeSheet(member), member, indexes, value);
        } else if (is(member, "Visible"_L1)) {
            expectArgs(member, indexes, 0);
            const bool visible = number(member, value) != 0;
            if (visible && !m_app->visible && !m_app->books.empty())
                m_app->presenter->present(*m_app->books.back()->sheet);
            m_app->visible = visible;
        } else {
            unknownName(member);
        }
    }

private:
    std::shared_ptr<Application> m_app;
};

class DesktopPresenter : public WorkbookPresenter
{
public:
    explicit DesktopPresenter(QString logFileName)
        : m_logFileName(std::move(logFileName))
    { }
    void present(const WorkbookEngineSheet &sheet) override
    {
        // The folder stays: the spreadsheet application reads the file after
        // we return. The next start removes it when a day old.
        QTemporaryDir dir(QDir::tempPath() + u'/' + WorkbookTemplate::exportFolderPattern());
        if (!dir.isValid())
            throw AutomationError("cannot create a temporary folder");
        dir.setAutoRemove(false);
        const QString workbook = dir.filePath(workbookFileNameFor(m_logFileName));
        QString path = workbook;
        path.replace(path.size() - 4, 4, "xltx"_L1);
        WorkbookTemplate::holdExportFolder(
            dir.path(), {QFileInfo(workbook).fileName(), QFileInfo(path).fileName()});
        try {
            writeWorkbookFile(sheet, workbook, m_logFileName);
            // Opened as a template, it is a new workbook that the user saves
            // where they choose.
            WorkbookTemplate::writeTemplateFile(workbook, path);
            QFile::remove(workbook);
        } catch (...) {
            dir.remove();
            throw;
        }
        if (!open(path))
            throw AutomationError("cannot open the workbook");
    }

private:
    static bool open(const QString &path)
    {
#ifdef Q_OS_WIN
        // The shell's "open" of a template starts a new, unsaved workbook
        // from it in the spreadsheet application.
        const auto native = QDir::toNativeSeparators(path).toStdWString();
        const auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", native.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32;
#else
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
            return true;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
        // Platforms without desktop services (offscreen, minimal) still have
        // the desktop's own opener.
        return QProcess::startDetached(u"xdg-open"_s, {path});
#else
        return false;
#endif
#endif
    }

    QString m_logFileName;
};

class SavingPresenter : public WorkbookPresenter
{
public:
    SavingPresenter(QString outFile, QString protectedFile, QString *writeFailure,
                    WorkProgress *progress)
        : m_outFile(std::move(outFile))
        , m_protectedFile(std::move(protectedFile))
        , m_writeFailure(writeFailure)
        , m_progress(progress)
    { }
    void present(const WorkbookEngineSheet &sheet) override
    {
        if (!m_writeFailure) {
            writeWorkbookFile(sheet, m_outFile, m_protectedFile, m_progress);
            return;
        }
        try {
            writeWorkbookFile(sheet, m_outFile, m_protectedFile, m_progress);
        } catch (const WorkbookWriteError &error) {
            *m_writeFailure = QString::fromStdString(error.what());
        }
    }

private:
    QString m_outFile;
    QString m_protectedFile;
    QString *m_writeFailure;
    WorkProgress *m_progress;
};

} // namespace

WorkbookEngine::WorkbookEngine(std::shared_ptr<WorkbookPresenter> presenter,
                               std::function<bool()> available)
    : m_presenter(std::move(presenter))
    , m_available(std::move(available))
{ }

std::unique_ptr<AutomationObject> WorkbookEngine::create(const QString &progId)
{
    if (!m_isAvailable)
        m_isAvailable = !m_available || m_available();
    if (!*m_isAvailable)
        return nullptr;
    if (is(progId, "Excel.Application"_L1))
        return std::make_unique<ApplicationObject>(m_presenter);
    if (is(progId, "Excel.Sheet"_L1))
        return std::make_unique<BookObject>(std::make_shared<Book>());
    return nullptr;
}

std::shared_ptr<WorkbookPresenter> makeDesktopPresenter(const QString &logFileName)
{
    return std::make_shared<DesktopPresenter>(logFileName);
}

std::shared_ptr<WorkbookPresenter> makeSavingPresenter(const QString &outFile,
                                                       const QString &protectedFile,
                                                       QString *writeFailure,
                                                       WorkProgress *progress)
{
    return std::make_shared<SavingPresenter>(outFile, protectedFile, writeFailure, progress);
}

QString workbookFileNameFor(const QString &logFileName)
{
    QString name = QFileInfo(logFileName).fileName();
    if (name.isEmpty())
        name = u"Norvale"_s;
    return name + ".xlsx"_L1;
}

bool desktopHasSpreadsheetApplication()
{
#if defined(Q_OS_WIN)
    const QSettings classes(u"HKEY_CLASSES_ROOT\\.xlsx"_s, QSettings::NativeFormat);
    return !classes.allKeys().isEmpty();
#elif defined(Q_OS_MACOS)
    return true;
#else
    QProcess query;
    query.start(u"xdg-mime"_s,
                {u"query"_s, u"default"_s,
                 u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"_s});
    if (!query.waitForStarted(5000))
        return false;
    if (!query.waitForFinished(10000)) {
        query.kill();
        query.waitForFinished();
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0
        && !query.readAllStandardOutput().trimmed().isEmpty();
#endif
}
