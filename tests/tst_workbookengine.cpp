#include "automation/WorkbookEngine.h"
#include "automation/WorkbookEngineSheet.h"
#include "automation/WorkbookTemplate.h"
#include "export/ExcelExport.h"
#include "support/MessageRecorder.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

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
    void exportedWorkbookReadsBack_data();
    void exportedWorkbookReadsBack();
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
    exportRecordGrid(grid, true, *engine, progress, messages, nullptr);
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
            QCOMPARE(cell[u"value"_s].toString(), grid.cell(c, r));
            QCOMPARE(cell[u"type"_s].toString(), u"s"_s);
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
    exportRecordGrid(grid, false, *engine, progress, messages, nullptr);

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
    exportRecordGrid(grid, false, *automation, progress, messages, nullptr);
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
    exportRecordGrid(grid, true, *automation, progress, messages, nullptr);
    QCOMPARE(messages.lines(), QStringList());

    QTRY_VERIFY_WITH_TIMEOUT(!desktop.opened(u"sheet"_s).isEmpty(), 20000);
    const QString opened = desktop.opened(u"sheet"_s);
    // A template, which the application opens as a new, untitled workbook,
    // alone in a folder of the program's own.
    QVERIFY2(opened.endsWith(u"/Alarm.db.xltx"_s), qPrintable(opened));
    QVERIFY(opened.startsWith(QDir::tempPath() + u"/norvale-export-"_s));
    QCOMPARE(QDir(QFileInfo(opened).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             QStringList {u"Alarm.db.xltx"_s});
    QCOMPARE(desktop.opened(u"browser"_s), QString());
    const QJsonObject book = readBack(opened);
    QCOMPARE(cellOf(book, u"C3"_s)[u"value"_s].toString(), u"203"_s);
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
    exportRecordGrid(grid, true, *engine, progress, messages, nullptr);
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
    exportRecordGrid(grid, true, *engine, progress, messages, nullptr);
    QFile file(workbook);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    QVERIFY(!WorkbookTemplate::fromWorkbook(whole).isEmpty());
    QCOMPARE(WorkbookTemplate::fromWorkbook(whole.left(whole.size() - 30)), QByteArray());
    QCOMPARE(WorkbookTemplate::fromWorkbook(whole.left(whole.size() / 2) + package), QByteArray());
}

void TestWorkbookEngine::staleExportsRemoved()
{
    QTemporaryDir root;
    const QDateTime now = QDateTime::currentDateTime();
    const auto make = [&](const QString &folder, const QString &file, qint64 ageSeconds) {
        QDir(root.path()).mkpath(folder);
        QFile f(root.filePath(folder + u'/' + file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write("x") == 1);
        QVERIFY(f.flush());
        QVERIFY(f.setFileTime(now.addSecs(-ageSeconds), QFileDevice::FileModificationTime));
        f.close();
    };
    const qint64 day = 24 * 3600;
    make(u"norvale-export-aB3dE9"_s, u"Buffer.db.xltx"_s, day + 60); // stale: removed
    make(u"norvale-export-Zz0001"_s, u"Alarm.db.xlsx"_s, 3 * day); // stale: removed
    make(u"norvale-export-fresh1"_s, u"Buffer.db.xltx"_s, day - 60); // a day not yet past
    make(u"norvale-export-other1"_s, u"notes.txt"_s, 3 * day); // not ours
    make(u"norvale-export-toolong"_s, u"Buffer.db.xltx"_s, 3 * day); // not our name
    make(u"someone-else-aB3dE9"_s, u"Buffer.db.xltx"_s, 3 * day); // not ours
    QCOMPARE(WorkbookTemplate::removeStaleExports(root.path(), now), 2);
    QCOMPARE(QDir(root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             (QStringList {u"norvale-export-fresh1"_s, u"norvale-export-other1"_s,
                           u"norvale-export-toolong"_s, u"someone-else-aB3dE9"_s}));
    // Nothing left to remove the second time.
    QCOMPARE(WorkbookTemplate::removeStaleExports(root.path(), now), 0);
}

QTEST_MAIN(TestWorkbookEngine)
#include "tst_workbookengine.moc"
