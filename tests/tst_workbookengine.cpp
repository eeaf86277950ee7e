#include "export/ExcelExport.h"
#include "export/WorkbookCellValue.h"
#include "export/WorkbookEngine.h"
#include "export/WorkbookEngineSheet.h"
#include "export/WorkbookTemplate.h"
#include "platform/TemporaryFolders.h"
#include "support/MessageRecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

#include <functional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

using Operation = std::function<void(AutomationObject &app)>;
Q_DECLARE_METATYPE(Operation)

namespace {

class NoProgress : public ExportProgress
{
public:
    void start(int) override { }
    void setPosition(int) override { }
    void finish() override { }
};

class MessageLog : public MessageSink
{
public:
    void showMessage(QWidget *, MessageIcon, const QString &caption, const QString &text,
                     bool) override
    {
        shown.append(caption + u": "_s + text);
    }
    QStringList shown;
};

// The host's Python reads the workbooks back; a Windows build has none to
// start (scripts/test-windows.sh compares its workbooks with the Linux build's).
#ifdef Q_OS_WIN
#define SKIP_WITHOUT_HOST_PYTHON() QSKIP("reads the workbook back with the host's Python")
#else
#define SKIP_WITHOUT_HOST_PYTHON()
#endif

// The text of one part of a package, as Python's zip module reads it after
// checking every entry's CRC; empty when the package is damaged.
QString packagePart(const QString &path, const QString &part)
{
    QProcess python;
    python.start(u"/usr/bin/python3"_s,
                 {u"-c"_s,
                  u"import sys, zipfile\n"
                  "z = zipfile.ZipFile(sys.argv[1])\n"
                  "assert z.testzip() is None\n"
                  "sys.stdout.write(z.read(sys.argv[2]).decode())\n"_s,
                  path, part});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return {};
    return QString::fromUtf8(python.readAllStandardOutput());
}

// What openpyxl reads back from a workbook.
QJsonObject readBack(const QString &path)
{
    QProcess python;
    python.start(u"/usr/bin/python3"_s, {QStringLiteral(NORVALE_READ_XLSX), path});
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        qWarning().noquote() << python.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QJsonObject cellOf(const QJsonObject &book, const QString &ref)
{
    return book[u"cells"_s].toObject()[ref].toObject();
}

QString colName(int col)
{
    QString name;
    for (++col; col > 0; col = (col - 1) / 26)
        name.prepend(QChar(u'A' + (col - 1) % 26));
    return name;
}

void fillGrid(RecordGridModel &grid, int cols, int rows)
{
    grid.setCols(cols);
    grid.setRows(rows);
    for (int c = 0; c < cols; ++c) {
        grid.setCell(c, 0, u"标题%1"_s.arg(c));
        for (int r = 1; r < rows; ++r)
            grid.setCell(c, r,
                         c == 1 ? u"2023-01-%1"_s.arg(r, 2, 10, QChar(u'0'))
                                : u"%1"_s.arg(r * 100 + c));
    }
}

std::unique_ptr<AutomationObject> newApplicationWithBook(WorkbookEngine &engine)
{
    auto app = engine.create(u"Excel.application"_s);
    app->get(u"workBooks"_s)->get(u"add"_s);
    return app;
}

void setOn(AutomationObject &app, std::initializer_list<std::pair<QString, QVariant>> chain,
           const QString &member, const QVariant &value)
{
    std::unique_ptr<AutomationObject> holder;
    AutomationObject *object = &app;
    for (const auto &[name, arg] : chain) {
        holder = object->get(name, arg.isValid() ? AutomationArgs {arg} : AutomationArgs {});
        object = holder.get();
    }
    object->set(member, {}, value);
}

// Points the desktop's application registry at a folder of our own, for the
// rest of the test program.
class FakeDesktop
{
public:
    explicit FakeDesktop(bool withSpreadsheetApp)
    {
        const QString root = m_dir.path();
        for (const char *sub : {"data/applications", "config", "dirs"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + u"/data"_s));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + u"/config"_s));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(root + u"/dirs"_s));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(root + u"/dirs"_s));
        qputenv("BROWSER", QFile::encodeName(writeScript(u"browser"_s)));
        // The desktop's opener starts applications only where there is a display.
        qputenv("DISPLAY", ":norvale-test");
        for (const char *name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"})
            qunsetenv(name);
        if (!withSpreadsheetApp)
            return;
        const QByteArray type = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
        QFile desktop(root + u"/data/applications/norvale-test-sheet.desktop"_s);
        desktop.open(QIODevice::WriteOnly);
        const QByteArray templ
            = "application/vnd.openxmlformats-officedocument.spreadsheetml.template";
        desktop.write("[Desktop Entry]\nType=Application\nName=Sheet\nExec="
                      + QFile::encodeName(writeScript(u"sheet"_s)) + " %f\nMimeType=" + type + ";"
                      + templ + ";application/zip;\n");
        QFile list(root + u"/config/mimeapps.list"_s);
        list.open(QIODevice::WriteOnly);
        list.write("[Default Applications]\n" + type + "=norvale-test-sheet.desktop\n" + templ
                   + "=norvale-test-sheet.desktop\napplication/zip=norvale-test-sheet.desktop\n");
    }
    // What the fake application (or the browser fallback) was asked to open.
    QString opened(const QString &who) const
    {
        QFile f(m_dir.path() + u'/' + who + u".opened"_s);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
    }

private:
    QString writeScript(const QString &who)
    {
        const QString path = m_dir.path() + u'/' + who + u".sh"_s;
        QFile script(path);
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\necho \"$1\" > '" + QFile::encodeName(m_dir.path()) + '/'
                     + who.toUtf8() + ".opened'\n");
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    QTemporaryDir m_dir;
};

} // namespace

class TestWorkbookEngine : public QObject
{
    Q_OBJECT

private slots:
    void rangeTexts_data();
    void rangeTexts();
    void refusedOperations_data();
    void refusedOperations();
    void cellValues_data();
    void cellValues();
    void exportedWorkbookReadsBack_data();
    void exportedWorkbookReadsBack();
    void typedCellsReadBack();
    void wholeNumbersWriteAsTheirTexts();
    void textColumnsStayTexts();
    void cellsInAnyOrder_data();
    void cellsInAnyOrder();
    void failedExportWritesNothing_data();
    void failedExportWritesNothing();
    void eachApplicationStartsEmpty();
    void desktopWithoutSpreadsheetApplication();
    void desktopOpensTheWorkbook();
    void templateHoldsTheWorkbook();
    void templateOfDamagedPackage_data();
    void templateOfDamagedPackage();
    void staleExportsRemoved();
    void exportSweep_data();
    void exportSweep();
};

void TestWorkbookEngine::rangeTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("block"); // top,left,bottom,right; empty when refused

    QTest::newRow("title range") << u"A1:L1"_s << u"0,0,0,11"_s;
    QTest::newRow("whole range") << u"A1:G1001"_s << u"0,0,1000,6"_s;
    QTest::newRow("lower case, absolute") << u"$a$2:c$9"_s << u"1,0,8,2"_s;
    QTest::newRow("one cell") << u"B3"_s << u"2,1,2,1"_s;
    QTest::newRow("corners reversed") << u"A2:L1"_s << u"0,0,1,11"_s;
    QTest::newRow("last cell of a sheet") << u"XFD1048576"_s << u"1048575,16383,1048575,16383"_s;
    QTest::newRow("letter past Z") << u"A1:[1"_s << QString();
    QTest::newRow("letter before A") << u"A1:@5"_s << QString();
    QTest::newRow("row 0") << u"A0"_s << QString();
    QTest::newRow("row past the sheet") << u"A1:B1048577"_s << QString();
    QTest::newRow("column past the sheet") << u"XFE1"_s << QString();
    QTest::newRow("three corners") << u"A1:B2:C3"_s << QString();
    QTest::newRow("trailing colon") << u"A1:"_s << QString();
    QTest::newRow("blank before") << u" A1"_s << QString();
}

void TestWorkbookEngine::rangeTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, block);
    const auto rect = parseCellRange(text);
    QCOMPARE(rect.has_value(), !block.isEmpty());
    if (rect)
        QCOMPARE(u"%1,%2,%3,%4"_s.arg(rect->top).arg(rect->left).arg(rect->bottom).arg(rect->right),
                 block);
}

void TestWorkbookEngine::refusedOperations_data()
{
    QTest::addColumn<Operation>("operation");

    auto range = [](AutomationObject &app, const QString &text) {
        return app.get(u"worksheets"_s, {1})->get(u"range"_s, {text});
    };
    QTest::newRow("unknown member")
        << Operation([](AutomationObject &app) { app.get(u"Charts"_s); });
    QTest::newRow("second worksheet")
        << Operation([](AutomationObject &app) { app.get(u"worksheets"_s, {2}); });
    QTest::newRow("range past Z") << Operation(
        [=](AutomationObject &app) { range(app, u"A1:[1"_s); });
    QTest::newRow("cell row 0") << Operation([](AutomationObject &app) {
        app.set(u"Cells"_s, {0, 1}, u"x"_s);
    });
    QTest::newRow("cell past the last column") << Operation([](AutomationObject &app) {
        app.set(u"Cells"_s, {1, 16385}, u"x"_s);
    });
    QTest::newRow("text too long for a cell") << Operation([](AutomationObject &app) {
        app.set(u"Cells"_s, {1, 1}, QString(32768, u'x'));
    });
    QTest::newRow("font size 0") << Operation(
        [=](AutomationObject &app) { range(app, u"A1"_s)->get(u"Font"_s)->set(u"Size"_s, {}, 0); });
    QTest::newRow("colour past 24 bits") << Operation([=](AutomationObject &app) {
        range(app, u"A1"_s)->get(u"Font"_s)->set(u"Color"_s, {}, 0x1000000);
    });
    QTest::newRow("unknown line style") << Operation([=](AutomationObject &app) {
        range(app, u"A1"_s)->get(u"Borders"_s)->set(u"LineStyle"_s, {}, 7);
    });
    QTest::newRow("row too high") << Operation([](AutomationObject &app) {
        app.get(u"worksheets"_s, {1})->get(u"Rows"_s, {1})->set(u"RowHeight"_s, {}, 410);
    });
}

void TestWorkbookEngine::refusedOperations()
{
    QFETCH(Operation, operation);
    QTemporaryDir dir;
    const QString out = dir.filePath(u"out.xlsx"_s);
    WorkbookEngine engine(makeSavingPresenter(out));
    auto app = newApplicationWithBook(engine);
    QVERIFY_THROWS_EXCEPTION(AutomationError, operation(*app));
    // Nothing reaches the file until the workbook is shown.
    QVERIFY(!QFile::exists(out));
}

void TestWorkbookEngine::cellValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    // The number format, or empty for a text.
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("number");

    const QString dot = u"."_s;
    const QString text;
    const double day = 86400;
    // Decimal numbers as the grid shows them.
    QTest::newRow("unsigned") << u"40000"_s << dot << u"0"_s << 40000.0;
    QTest::newRow("negative") << u"-12"_s << dot << u"0"_s << -12.0;
    QTest::newRow("zero") << u"0"_s << dot << u"0"_s << 0.0;
    QTest::newRow("32-bit") << u"-2147483648"_s << dot << u"0"_s << -2147483648.0;
    QTest::newRow("15 digits") << u"123456789012345"_s << dot << u"0"_s << 123456789012345.0;
    QTest::newRow("float") << u"3.250000"_s << dot << u"0.000000"_s << 3.25;
    QTest::newRow("float 123.456") << u"123.456000"_s << dot << u"0.000000"_s << 123.456;
    QTest::newRow("float zero") << u"0.000000"_s << dot << u"0.000000"_s << 0.0;
    QTest::newRow("float negative") << u"-1.000000"_s << dot << u"0.000000"_s << -1.0;
    QTest::newRow("float failure text") << u"0.0"_s << dot << u"0.0"_s << 0.0;
    QTest::newRow("float 9999999") << u"9999999.000000"_s << dot << u"0.000000"_s << 9999999.0;
    QTest::newRow("float 1E7") << u"1E7"_s << dot << u"0E-0"_s << 1e7;
    QTest::newRow("float 1.234568E7") << u"1.234568E7"_s << dot << u"0.000000E-0"_s << 12345680.0;
    QTest::newRow("negative exponent") << u"-1.5E-7"_s << dot << u"0.0E-0"_s << -1.5e-7;
    QTest::newRow("exponent with plus") << u"1.5E+3"_s << dot << u"0.0E+0"_s << 1500.0;
    QTest::newRow("regional separator") << u"3,250000"_s << u","_s << u"0.000000"_s << 3.25;
    // Dates and times as serial days.
    QTest::newRow("date") << u"2013-05-07"_s << dot << u"yyyy-mm-dd"_s << 41401.0;
    QTest::newRow("first date taken") << u"1900-03-01"_s << dot << u"yyyy-mm-dd"_s << 61.0;
    QTest::newRow("last date") << u"9999-12-31"_s << dot << u"yyyy-mm-dd"_s << 2958465.0;
    QTest::newRow("leap day") << u"2024-02-29"_s << dot << u"yyyy-mm-dd"_s << 45351.0;
    QTest::newRow("time") << u"08:00:01"_s << dot << u"hh:mm:ss"_s << 28801 / day;
    QTest::newRow("midnight") << u"00:00:00"_s << dot << u"hh:mm:ss"_s << 0.0;
    QTest::newRow("last second") << u"23:59:59"_s << dot << u"hh:mm:ss"_s << 86399 / day;
    QTest::newRow("alarm time") << u"2013-05-07 08:01:10"_s << dot << u"yyyy-mm-dd hh:mm:ss"_s
                                << 41401 + 28870 / day;
    QTest::newRow("binary alarm time")
        << u"2013-05-07/08:01:10"_s << dot << u"yyyy-mm-dd\"/\"hh:mm:ss"_s << 41401 + 28870 / day;
    // Texts that a value would not show again as they are.
    QTest::newRow("leading zero") << u"012"_s << dot << text << 0.0;
    QTest::newRow("hex with leading zeros") << u"0000FFFF"_s << dot << text << 0.0;
    QTest::newRow("hex with letters") << u"3FC00000"_s << dot << text << 0.0;
    QTest::newRow("16 digits") << u"1234567890123456"_s << dot << text << 0.0;
    QTest::newRow("16 float digits") << u"0.1234567890123456"_s << dot << text << 0.0;
    QTest::newRow("minus zero") << u"-0"_s << dot << text << 0.0;
    QTest::newRow("minus float zero") << u"-0.000000"_s << dot << text << 0.0;
    QTest::newRow("plus") << u"+5"_s << dot << text << 0.0;
    QTest::newRow("space before") << u" 5"_s << dot << text << 0.0;
    QTest::newRow("space after") << u"5 "_s << dot << text << 0.0;
    QTest::newRow("empty") << u""_s << dot << text << 0.0;
    QTest::newRow("NAN") << u"NAN"_s << dot << text << 0.0;
    QTest::newRow("INF") << u"-INF"_s << dot << text << 0.0;
    QTest::newRow("separator alone at the end") << u"1."_s << dot << text << 0.0;
    QTest::newRow("no digit before the separator") << u".5"_s << dot << text << 0.0;
    QTest::newRow("another locale's separator") << u"3.25"_s << u","_s << text << 0.0;
    QTest::newRow("grouping") << u"1,000"_s << dot << text << 0.0;
    QTest::newRow("lower-case exponent") << u"1e5"_s << dot << text << 0.0;
    QTest::newRow("two digits before the exponent") << u"12.5E3"_s << dot << text << 0.0;
    QTest::newRow("exponent with leading zero") << u"1E07"_s << dot << text << 0.0;
    QTest::newRow("exponent out of range") << u"1E400"_s << dot << text << 0.0;
    QTest::newRow("no leap day") << u"2013-02-29"_s << dot << text << 0.0;
    QTest::newRow("month 13") << u"2013-13-01"_s << dot << text << 0.0;
    QTest::newRow("before March 1900") << u"1900-02-28"_s << dot << text << 0.0;
    QTest::newRow("short year") << u"999-05-07"_s << dot << text << 0.0;
    QTest::newRow("hour 24") << u"24:00:00"_s << dot << text << 0.0;
    QTest::newRow("one-digit hour") << u"8:00:01"_s << dot << text << 0.0;
    QTest::newRow("T between date and time") << u"2013-05-07T08:01:10"_s << dot << text << 0.0;
    QTest::newRow("words") << u"Motor 1 overload"_s << dot << text << 0.0;
}

void TestWorkbookEngine::cellValues()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QString, format);
    QFETCH(double, number);

    const QByteArray utf8 = text.toUtf8();
    const WorkbookCellValue value = workbookCellValue(utf8.toStdString(), separator.toStdString());
    if (format.isEmpty()) {
        QCOMPARE(value.kind, WorkbookCellValue::Kind::Text);
        QCOMPARE(value.textStart, std::size_t(0));
        // A leading apostrophe keeps any text, and only the rest is kept.
        const QByteArray quoted = '\'' + utf8;
        const WorkbookCellValue kept = workbookCellValue(quoted.toStdString(), ".");
        QCOMPARE(kept.kind, WorkbookCellValue::Kind::Text);
        QCOMPARE(kept.textStart, std::size_t(1));
        return;
    }
    QCOMPARE(value.kind, WorkbookCellValue::Kind::Number);
    QCOMPARE(value.number, number);
    QCOMPARE(QString::fromStdString(numberFormatText(value.format)), format);
    // An apostrophe keeps a number text as text too.
    const QByteArray quoted = '\'' + utf8;
    QCOMPARE(workbookCellValue(quoted.toStdString(), separator.toStdString()).kind,
             WorkbookCellValue::Kind::Text);
}

void TestWorkbookEngine::exportedWorkbookReadsBack_data()
{
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("titleSize");
    QTest::addColumn<QString>("titleColour");

    QTest::newRow("13 columns") << 13 << 6 << 11.0 << QString();
    QTest::newRow("8 columns") << 8 << 4 << 11.0 << QString();
    QTest::newRow("4 columns") << 4 << 3 << 11.0 << QString();
    QTest::newRow("2 columns") << 2 << 5 << 11.0 << QString();
    // "A2:L1" names rows 1 and 2, as the application reads it: the titles of
    // a grid without records take the data font too.
    QTest::newRow("title row only") << 13 << 1 << 10.0 << u"FF008000"_s;
}

void TestWorkbookEngine::exportedWorkbookReadsBack()
{
    SKIP_WITHOUT_HOST_PYTHON();
    QFETCH(int, cols);
    QFETCH(int, rows);
    QFETCH(double, titleSize);
    QFETCH(QString, titleColour);

    RecordGridModel grid;
    fillGrid(grid, cols, rows);
    QTemporaryDir dir;
    const QString out = dir.filePath(u"Buffer.db.xlsx"_s);
    auto engine = makeSavingWorkbookEngine(out);
    NoProgress progress;
    MessageRecorder messages;
    exportRecordGrid(grid, Language::Chinese, *engine, progress, messages, nullptr);
    QCOMPARE(messages.lines(), QStringList());

    const QJsonObject book = readBack(out);
    QVERIFY2(!book.isEmpty(), "openpyxl could not read the workbook");
    QCOMPARE(book[u"sheets"_s].toInt(), 1);
    QCOMPARE(book[u"maxRow"_s].toInt(), rows);
    QCOMPARE(book[u"maxCol"_s].toInt(), cols - 1);
    // Only row 1 has a height of its own.
    QCOMPARE(book[u"heights"_s].toObject(), (QJsonObject {{u"1"_s, 18}}));

    const QJsonArray thin {u"thin"_s, u"thin"_s, u"thin"_s, u"thin"_s};
    for (int r = 0; r < rows; ++r) {
        for (int c = 1; c < cols; ++c) {
            const QString ref = colName(c - 1) + QString::number(r + 1);
            const QJsonObject cell = cellOf(book, ref);
            QVERIFY2(!cell.isEmpty(), qPrintable(ref));
            // Titles are texts, dates are dates and the values numbers.
            if (r == 0) {
                QCOMPARE(cell[u"value"_s].toString(), grid.cell(c, r));
                QCOMPARE(cell[u"type"_s].toString(), u"s"_s);
                QCOMPARE(cell[u"format"_s].toString(), u"General"_s);
            } else if (c == 1) {
                QCOMPARE(cell[u"value"_s].toString(), grid.cell(c, r) + u" 00:00:00"_s);
                QCOMPARE(cell[u"type"_s].toString(), u"d"_s);
                QCOMPARE(cell[u"format"_s].toString(), u"yyyy-mm-dd"_s);
            } else {
                QCOMPARE(cell[u"value"_s].toDouble(), grid.cell(c, r).toDouble());
                QCOMPARE(cell[u"type"_s].toString(), u"n"_s);
                QCOMPARE(cell[u"format"_s].toString(), u"0"_s);
            }
            QCOMPARE(cell[u"border"_s].toArray(), thin);
            QCOMPARE(cell[u"h"_s].toString(), u"center"_s);
            QCOMPARE(cell[u"v"_s].toString(), u"center"_s);
            if (r == 0) {
                QCOMPARE(cell[u"font"_s].toString(), u"黑体"_s);
                QCOMPARE(cell[u"size"_s].toDouble(), titleSize);
                QCOMPARE(cell[u"colour"_s].toString(), titleColour);
            } else {
                QCOMPARE(cell[u"font"_s].toString(), u"Calibri"_s);
                QCOMPARE(cell[u"size"_s].toDouble(), 10.0);
                QCOMPARE(cell[u"colour"_s].toString(), u"FF008000"_s);
            }
        }
    }
}

// Typed cells keep the look the range formats give them; texts that do not
// read back as typed stay texts.
void TestWorkbookEngine::typedCellsReadBack()
{
    SKIP_WITHOUT_HOST_PYTHON();
    struct Typed
    {
        QString text;
        QString type;
        QJsonValue value;
        QString format;
    };
    const QList<Typed> cells {
        {u"40000"_s, u"n"_s, 40000, u"0"_s},
        {u"-1.500000"_s, u"n"_s, -1.5, u"0.000000"_s},
        {u"1.234568E7"_s, u"n"_s, 12345680, u"0.000000E-0"_s},
        {u"2013-05-07"_s, u"d"_s, u"2013-05-07 00:00:00"_s, u"yyyy-mm-dd"_s},
        {u"08:00:01"_s, u"d"_s, u"08:00:01"_s, u"hh:mm:ss"_s},
        {u"2013-05-07 08:01:10"_s, u"d"_s, u"2013-05-07 08:01:10"_s, u"yyyy-mm-dd hh:mm:ss"_s},
        {u"012"_s, u"s"_s, u"012"_s, u"General"_s},
        {u"-0"_s, u"s"_s, u"-0"_s, u"General"_s},
        {u"'12345678"_s, u"s"_s, u"12345678"_s, u"General"_s},
        {u"''quoted"_s, u"s"_s, u"'quoted"_s, u"General"_s},
        {u"NAN"_s, u"s"_s, u"NAN"_s, u"General"_s},
    };
    QTemporaryDir dir;
    const QString out = dir.filePath(u"typed.xlsx"_s);
    WorkbookEngine engine(makeSavingPresenter(out));
    auto app = newApplicationWithBook(engine);
    for (int i = 0; i < cells.size(); ++i)
        app->set(u"Cells"_s, {i + 1, 1}, cells[i].text);
    setOn(*app, {{u"Range"_s, u"A1:A20"_s}, {u"Font"_s, {}}}, u"Color"_s, 0x008000);
    app->set(u"visible"_s, {}, true);

    const QJsonObject book = readBack(out);
    QVERIFY(!book.isEmpty());
    for (int i = 0; i < cells.size(); ++i) {
        const QJsonObject cell = cellOf(book, u"A%1"_s.arg(i + 1));
        const Typed &typed = cells[i];
        QVERIFY2(cell[u"type"_s].toString() == typed.type, qPrintable(typed.text));
        QVERIFY2(cell[u"value"_s] == typed.value, qPrintable(typed.text));
        QVERIFY2(cell[u"format"_s].toString() == typed.format, qPrintable(typed.text));
        QCOMPARE(cell[u"colour"_s].toString(), u"FF008000"_s);
    }
}

// A whole number given as a number makes the workbook its decimal text makes:
// a number cell in the plain format up to 15 digits, a text past them.
void TestWorkbookEngine::wholeNumbersWriteAsTheirTexts()
{
    SKIP_WITHOUT_HOST_PYTHON();
    const QList<QVariant> numbers {
        QVariant(0),
        QVariant(7),
        QVariant(-1),
        QVariant(qlonglong(40000)),
        QVariant(qlonglong(-2147483648LL)),
        QVariant(4294967295U),
        QVariant(qlonglong(999999999999999LL)),
        QVariant(qlonglong(-999999999999999LL)),
        QVariant(qlonglong(1000000000000000LL)),
        QVariant(qlonglong(std::numeric_limits<qint64>::min())),
    };
    QTemporaryDir dir;
    const auto write = [&](const QString &name, bool asText) {
        const QString out = dir.filePath(name);
        WorkbookEngine engine(makeSavingPresenter(out));
        auto app = newApplicationWithBook(engine);
        app->set(u"Cells"_s, {1, 1}, u"Value"_s);
        for (int i = 0; i < numbers.size(); ++i)
            app->set(u"Cells"_s, {i + 2, 1}, asText ? QVariant(numbers[i].toString()) : numbers[i]);
        setOn(*app, {{u"Range"_s, u"A2:A20"_s}, {u"Font"_s, {}}}, u"Size"_s, 10);
        app->set(u"visible"_s, {}, true);
        return out;
    };
    const QString numbered = write(u"numbers.xlsx"_s, false);
    const QString typed = write(u"texts.xlsx"_s, true);
    for (const QString &part : {u"xl/worksheets/sheet1.xml"_s, u"xl/styles.xml"_s}) {
        const QString sheet = packagePart(numbered, part);
        QVERIFY2(!sheet.isEmpty(), qPrintable(part));
        QCOMPARE(sheet, packagePart(typed, part));
    }
    const QJsonObject book = readBack(numbered);
    QCOMPARE(cellOf(book, u"A5"_s)[u"type"_s].toString(), u"n"_s);
    QCOMPARE(cellOf(book, u"A5"_s)[u"value"_s], QJsonValue(40000));
    QCOMPARE(cellOf(book, u"A5"_s)[u"format"_s].toString(), u"0"_s);
    QCOMPARE(cellOf(book, u"A10"_s)[u"type"_s].toString(), u"s"_s);
    QCOMPARE(cellOf(book, u"A10"_s)[u"value"_s].toString(), u"1000000000000000"_s);
}

// The hexadecimal values of a data grid and the texts of an alarm list go in
// as texts however they read.
void TestWorkbookEngine::textColumnsStayTexts()
{
    SKIP_WITHOUT_HOST_PYTHON();
    RecordGridModel grid;
    grid.setCols(4);
    grid.setRows(3);
    for (int c = 0; c < 4; ++c)
        grid.setCell(c, 0, u"T%1"_s.arg(c));
    grid.setCell(1, 1, u"2013-05-07 08:01:10"_s);
    grid.setCell(2, 1, u"17"_s);
    grid.setCell(3, 1, u"12345678"_s);
    grid.setCell(1, 2, u"2013-05-07 08:02:00"_s);
    grid.setCell(2, 2, u"18"_s);
    grid.setCell(3, 2, u"'2013-05-07"_s);
    QTemporaryDir dir;
    const QString out = dir.filePath(u"Alarm.db.xlsx"_s);
    auto engine = makeSavingWorkbookEngine(out);
    NoProgress progress;
    MessageRecorder messages;
    exportRecordGrid(grid, Language::English, *engine, progress, messages, nullptr, {3});
    QCOMPARE(messages.lines(), QStringList());

    const QJsonObject book = readBack(out);
    QVERIFY(!book.isEmpty());
    QCOMPARE(cellOf(book, u"A2"_s)[u"type"_s].toString(), u"d"_s);
    QCOMPARE(cellOf(book, u"B2"_s)[u"type"_s].toString(), u"n"_s);
    QCOMPARE(cellOf(book, u"B2"_s)[u"value"_s].toInt(), 17);
    for (const auto &[ref, text] :
         {std::pair {u"C2"_s, u"12345678"_s}, std::pair {u"C3"_s, u"'2013-05-07"_s}}) {
        const QJsonObject cell = cellOf(book, ref);
        QCOMPARE(cell[u"type"_s].toString(), u"s"_s);
        QCOMPARE(cell[u"value"_s].toString(), text);
    }
}

void TestWorkbookEngine::cellsInAnyOrder_data()
{
    QTest::addColumn<QList<int>>("rowOrder");

    QTest::newRow("rows in order") << QList<int> {1, 2, 3, 4};
    QTest::newRow("rows backwards") << QList<int> {4, 3, 2, 1};
    QTest::newRow("a row written twice") << QList<int> {1, 3, 2, 3, 4};
    QTest::newRow("rows skipped") << QList<int> {1, 4};
}

void TestWorkbookEngine::cellsInAnyOrder()
{
    SKIP_WITHOUT_HOST_PYTHON();
    QFETCH(QList<int>, rowOrder);

    QTemporaryDir dir;
    const QString out = dir.filePath(u"o.xlsx"_s);
    WorkbookEngine engine(makeSavingPresenter(out));
    auto app = newApplicationWithBook(engine);
    for (int row : rowOrder)
        for (int col : {3, 1, 2})
            app->set(u"Cells"_s, {row, col}, u"r%1c%2"_s.arg(row).arg(col));
    setOn(*app, {{u"Range"_s, u"A1:D4"_s}, {u"Borders"_s, {}}}, u"LineStyle"_s, 1);
    setOn(*app, {{u"Range"_s, u"B2:B3"_s}, {u"Font"_s, {}}}, u"Color"_s, 0x0000ff); // red
    setOn(*app, {{u"Rows"_s, 3}}, u"RowHeight"_s, 30);
    app->set(u"visible"_s, {}, true);

    const QJsonObject book = readBack(out);
    QVERIFY(!book.isEmpty());
    QCOMPARE(book[u"heights"_s].toObject(), (QJsonObject {{u"3"_s, 30}}));
    for (int row = 1; row <= 4; ++row) {
        for (int col = 1; col <= 4; ++col) {
            const QString ref = colName(col - 1) + QString::number(row);
            const QJsonObject cell = cellOf(book, ref);
            const bool written = col <= 3 && rowOrder.contains(row);
            QCOMPARE(cell[u"value"_s].toString(),
                     written ? u"r%1c%2"_s.arg(row).arg(col) : QString());
            // The border reaches into the used area's cells that got no text,
            // but not past it.
            const bool used = col <= 3;
            QCOMPARE(cell[u"border"_s].toArray().first().toString(), used ? u"thin"_s : QString());
            const bool red = col == 2 && (row == 2 || row == 3);
            QCOMPARE(cell[u"colour"_s].toString(), red ? u"FFFF0000"_s : QString());
        }
    }
}

void TestWorkbookEngine::failedExportWritesNothing_data()
{
    QTest::addColumn<QString>("longText");
    QTest::addColumn<bool>("outExists");

    QTest::newRow("a text too long for a cell") << QString(40000, u'x') << false;
    QTest::newRow("the earlier file stays as it was") << QString(40000, u'x') << true;
}

void TestWorkbookEngine::failedExportWritesNothing()
{
    QFETCH(QString, longText);
    QFETCH(bool, outExists);

    QTemporaryDir dir;
    const QString out = dir.filePath(u"out.xlsx"_s);
    if (outExists) {
        QFile f(out);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("earlier");
    }
    RecordGridModel grid;
    fillGrid(grid, 4, 5);
    grid.setCell(2, 3, longText);
    auto engine = makeSavingWorkbookEngine(out);
    NoProgress progress;
    MessageRecorder messages;
    exportRecordGrid(grid, Language::English, *engine, progress, messages, nullptr);

    QCOMPARE(messages.lines(),
             QStringList {u"Error: exported failure occurred. Please try again later！"_s});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             outExists ? QStringList {u"out.xlsx"_s} : QStringList());
    if (outExists) {
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("earlier"));
    }
}

void TestWorkbookEngine::eachApplicationStartsEmpty()
{
    SKIP_WITHOUT_HOST_PYTHON();
    QTemporaryDir dir;
    const QString out = dir.filePath(u"e.xlsx"_s);
    WorkbookEngine engine(makeSavingPresenter(out));
    {
        auto first = newApplicationWithBook(engine);
        first->set(u"Cells"_s, {5, 5}, u"old"_s);
    }
    auto app = engine.create(u"excel.application"_s);
    // No workbook yet: the application has nothing to address.
    QVERIFY_THROWS_EXCEPTION(AutomationError, app->set(u"Cells"_s, {1, 1}, u"x"_s));
    app->get(u"Workbooks"_s)->get(u"Add"_s);
    app->set(u"cells"_s, {1, 1}, u"new"_s);
    app->set(u"VISIBLE"_s, {}, true);
    const QJsonObject book = readBack(out);
    QCOMPARE(book[u"maxRow"_s].toInt(), 1);
    QCOMPARE(cellOf(book, u"A1"_s)[u"value"_s].toString(), u"new"_s);
    QVERIFY(!engine.create(u"Word.Application"_s));
}

void TestWorkbookEngine::desktopWithoutSpreadsheetApplication()
{
    if (QStandardPaths::findExecutable(u"xdg-mime"_s).isEmpty())
        QSKIP("xdg-mime is not installed");
    FakeDesktop desktop(false);
    QVERIFY(!desktopHasSpreadsheetApplication());

    RecordGridModel grid;
    fillGrid(grid, 13, 4);
    auto automation = makeDesktopAutomation(u"/logs/Buffer.db"_s);
    NoProgress progress;
    MessageRecorder messages;
    exportRecordGrid(grid, Language::English, *automation, progress, messages, nullptr);
    QCOMPARE(messages.lines(),
             QStringList {u"Error: No Excel was installed in the system. Please "
                          "install it before using this function！"_s});
}

void TestWorkbookEngine::desktopOpensTheWorkbook()
{
    if (QStandardPaths::findExecutable(u"xdg-mime"_s).isEmpty())
        QSKIP("xdg-mime is not installed");
    FakeDesktop desktop(true);
    QVERIFY(desktopHasSpreadsheetApplication());

    RecordGridModel grid;
    fillGrid(grid, 4, 3);
    auto automation = makeDesktopAutomation(u"/logs/Alarm.db"_s);
    NoProgress progress;
    MessageRecorder messages;
    exportRecordGrid(grid, Language::Chinese, *automation, progress, messages, nullptr);
    QCOMPARE(messages.lines(), QStringList());

    QTRY_VERIFY_WITH_TIMEOUT(!desktop.opened(u"sheet"_s).isEmpty(), 20000);
    const QString opened = desktop.opened(u"sheet"_s);
    // A template, which the application opens as a new, untitled workbook,
    // alone in a folder of the program's own but for the folder's lock.
    QVERIFY2(opened.endsWith(u"/Alarm.db.xltx"_s), qPrintable(opened));
    QVERIFY(opened.startsWith(QDir::tempPath() + u"/norvale-export-"_s));
    QCOMPARE(QDir(QFileInfo(opened).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             (QStringList {u"Alarm.db.xltx"_s, TemporaryFolders::lockFileName()}));
#ifdef Q_OS_UNIX
    // Held while this run lives.
    const int lock = ::open(QFile::encodeName(QFileInfo(opened).absolutePath() + u'/'
                                              + TemporaryFolders::lockFileName())
                                .constData(),
                            O_RDONLY | O_CLOEXEC);
    QVERIFY(lock >= 0);
    QCOMPARE(::flock(lock, LOCK_EX | LOCK_NB), -1);
    ::close(lock);
#endif
    QCOMPARE(desktop.opened(u"browser"_s), QString());
    const QJsonObject book = readBack(opened);
    QCOMPARE(cellOf(book, u"C3"_s)[u"value"_s].toInt(), 203);
    QDir(QFileInfo(opened).absolutePath()).removeRecursively();
}

void TestWorkbookEngine::templateHoldsTheWorkbook()
{
    SKIP_WITHOUT_HOST_PYTHON();
    RecordGridModel grid;
    fillGrid(grid, 13, 6);
    QTemporaryDir dir;
    const QString workbook = dir.filePath(u"Buffer.db.xlsx"_s);
    auto engine = makeSavingWorkbookEngine(workbook);
    NoProgress progress;
    MessageLog messages;
    exportRecordGrid(grid, Language::Chinese, *engine, progress, messages, nullptr);
    QCOMPARE(messages.shown, QStringList());

    const QString templ = dir.filePath(u"Buffer.db.xltx"_s);
    WorkbookTemplate::writeTemplateFile(workbook, templ);
    const QString types = packagePart(templ, u"[Content_Types].xml"_s);
    QVERIFY2(types.contains(u"spreadsheetml.template.main+xml"_s), qPrintable(types));
    QVERIFY(!types.contains(u"spreadsheetml.sheet.main+xml"_s));
    // Every other part as it was; cells and their formats read back the same.
    QCOMPARE(packagePart(templ, u"xl/styles.xml"_s), packagePart(workbook, u"xl/styles.xml"_s));
    const QJsonObject fromWorkbook = readBack(workbook);
    QVERIFY(!fromWorkbook.isEmpty());
    QCOMPARE(readBack(templ), fromWorkbook);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestWorkbookEngine::templateOfDamagedPackage_data()
{
    QTest::addColumn<QByteArray>("package");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no zip") << QByteArray(4000, 'x');
    QTest::newRow("end record only") << QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0');
    QTest::newRow("directory past the end")
        << QByteArray("PK\x05\x06\0\0\0\0\x01\0\x01\0\x2e\0\0\0\xff\xff\0\0\0\0", 22);
}

void TestWorkbookEngine::templateOfDamagedPackage()
{
    QFETCH(QByteArray, package);
    QCOMPARE(WorkbookTemplate::fromWorkbook(package), QByteArray());
    // Nor a workbook cut short.
    RecordGridModel grid;
    fillGrid(grid, 4, 3);
    QTemporaryDir dir;
    const QString workbook = dir.filePath(u"a.xlsx"_s);
    auto engine = makeSavingWorkbookEngine(workbook);
    NoProgress progress;
    MessageLog messages;
    exportRecordGrid(grid, Language::Chinese, *engine, progress, messages, nullptr);
    QFile file(workbook);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    QVERIFY(!WorkbookTemplate::fromWorkbook(whole).isEmpty());
    QCOMPARE(WorkbookTemplate::fromWorkbook(whole.left(whole.size() - 30)), QByteArray());
    QCOMPARE(WorkbookTemplate::fromWorkbook(whole.left(whole.size() / 2) + package), QByteArray());
}

namespace {

// A file of `ageSeconds` in `folder` (made, of mode 0700, as the program makes its own).
bool makeAged(const QString &folder, const QString &file, qint64 ageSeconds)
{
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile f(folder + u'/' + file);
    return f.open(QIODevice::WriteOnly) && f.write("x") == 1 && f.flush()
        && f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                         QFileDevice::FileModificationTime);
}

[[maybe_unused]] QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                  | QDir::NoDotAndDotDot);
}

constexpr qint64 Day = 24 * 3600;

} // namespace

void TestWorkbookEngine::staleExportsRemoved()
{
    QTemporaryDir root;
    const QDateTime now = QDateTime::currentDateTime();
    const auto make = [&](const QString &folder, const QString &file, qint64 ageSeconds) {
        QVERIFY(makeAged(root.filePath(folder), file, ageSeconds));
    };
    make(u"norvale-export-aB3dE9"_s, u"Buffer.db.xltx"_s, Day + 60); // stale: removed
    make(u"norvale-export-Zz0001"_s, u"Alarm.db.xltx"_s, 3 * Day); // stale: removed
    make(u"norvale-export-fresh1"_s, u"Buffer.db.xltx"_s, Day - 60); // a day not yet past
    make(u"norvale-export-other1"_s, u"notes.txt"_s, 3 * Day); // not ours
    make(u"norvale-export-wbook1"_s, u"Alarm.db.xlsx"_s, 3 * Day); // not a template
    make(u"norvale-export-toolong"_s, u"Buffer.db.xltx"_s, 3 * Day); // not our name
    make(u"someone-else-aB3dE9"_s, u"Buffer.db.xltx"_s, 3 * Day); // not ours
    QCOMPARE(WorkbookTemplate::removeStaleExports(root.path(), now), 2);
    QCOMPARE(QDir(root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             (QStringList {u"norvale-export-fresh1"_s, u"norvale-export-other1"_s,
                           u"norvale-export-toolong"_s, u"norvale-export-wbook1"_s,
                           u"someone-else-aB3dE9"_s}));
    // Nothing left to remove the second time.
    QCOMPARE(WorkbookTemplate::removeStaleExports(root.path(), now), 0);
}

void TestWorkbookEngine::exportSweep_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("removed");
    QTest::newRow("a day old") << u"plain"_s << 1;
    QTest::newRow("lock free, its own files") << u"lock free"_s << 1;
    QTest::newRow("lock held by a live run") << u"lock held"_s << 0;
    QTest::newRow("lock free, a file it was not given") << u"unrecorded"_s << 0;
    QTest::newRow("a workbook of the user's beside it") << u"foreign file"_s << 0;
    QTest::newRow("open to others") << u"mode 0755"_s << 0;
    QTest::newRow("a link named like ours") << u"symlink"_s << 0;
    QTest::newRow("another user's") << u"other user"_s << 0;
}

void TestWorkbookEngine::exportSweep()
{
#ifndef Q_OS_UNIX
    QSKIP("the sweep of export folders runs on POSIX systems");
#else
    QFETCH(QString, setup);
    QFETCH(int, removed);
    if (setup == u"other user" && ::geteuid() != 0)
        QSKIP("only root can give a folder to another user");
    QTemporaryDir root;
    const QString folder = root.filePath(u"norvale-export-aB3dE9"_s);
    QString made = folder; // where the files are
    if (setup == u"symlink")
        made = root.filePath(u"elsewhere"_s);
    QVERIFY(makeAged(made, u"Buffer.db.xltx"_s, 2 * Day));
    const QStringList given {u"Buffer.db.xlsx"_s, u"Buffer.db.xltx"_s};
    if (setup == u"lock free" || setup == u"unrecorded") {
        // A run that ended: its lock is free again.
        TemporaryFolders::FolderLock lock;
        QVERIFY(lock.take(folder));
        for (const QString &name : given)
            lock.record(name);
        // What its write left when it was killed, and what it was not given.
        QVERIFY(makeAged(folder, u".Buffer.db.xlsx.k3j2a.tmp"_s, 2 * Day));
        if (setup == u"unrecorded")
            QVERIFY(makeAged(folder, u"Other.db.xltx"_s, 2 * Day));
    } else if (setup == u"lock held") {
        WorkbookTemplate::holdExportFolder(folder, given);
    } else if (setup == u"foreign file") {
        QVERIFY(makeAged(folder, u"budget.xlsx"_s, 2 * Day));
    } else if (setup == u"mode 0755") {
        QVERIFY(QFile::setPermissions(folder,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                          | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                                          | QFile::ExeOther));
    } else if (setup == u"symlink") {
        QVERIFY(QFile::link(made, folder));
    } else if (setup == u"other user") {
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
    }
    const QStringList before = entriesOf(made);
    QCOMPARE(WorkbookTemplate::removeStaleExports(root.path(), QDateTime::currentDateTime()),
             removed);
    if (removed) {
        QVERIFY(!QFileInfo::exists(folder));
    } else {
        QCOMPARE(entriesOf(made), before);
        QVERIFY(before.contains(u"Buffer.db.xltx"_s));
    }
    if (setup == u"symlink")
        QVERIFY(QFileInfo(folder).isSymLink());
#endif
}

QTEST_MAIN(TestWorkbookEngine)
#include "tst_workbookengine.moc"
