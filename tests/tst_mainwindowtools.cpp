#include "curvewindow/CurveWindow.h"
#include "mainwindow/FindBar.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/RecordGridView.h"
#include "platform/MessageSink.h"
#include "records/CsvWriter.h"
#include "support/AutomationRecorder.h"
#include "support/ChildWriter.h"
#include "support/LogFiles.h"
#include "support/MainWindowFixture.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

using Ranges = QList<QPair<int, int>>;

// The main window, active, with the spreadsheet automation a test records.
struct Window : MainWindowFixture
{
    explicit Window(const AutomationRecorder *automation = nullptr)
        : MainWindowFixture(servicesWith(automation))
    {
        showActive();
    }
    static MainWindowServices servicesWith(const AutomationRecorder *automation)
    {
        MainWindowServices services;
        if (automation) {
            // Copies of the recorder share one log.
            services.automation = [automation](const QString &) {
                return std::make_unique<AutomationRecorder>(*automation);
            };
        }
        return services;
    }
    // Selects grid rows [first, last] (1 = first record), adding to the selection.
    void select(int first, int last)
    {
        const QItemSelection range(main->grid().index(first - 1, 0),
                                   main->grid().index(last - 1, 0));
        view()->selectionModel()->select(range,
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QLineEdit *findField() const { return main->findChild<QLineEdit *>(u"FindText"_s); }
    void typeFind(const QString &text)
    {
        findField()->clear();
        QTest::keyClicks(findField(), text);
    }
    int currentRow() const { return view()->currentIndex().row() + 1; }
};

// The expected clipboard text, built cell by cell from the grid.
QByteArray expectedCopy(const RecordGridModel &grid, const QList<int> &rows)
{
    QByteArray text;
    for (const int r : QList<int> {0} + rows) {
        for (int c = 0; c < grid.cols(); ++c) {
            QByteArray cell = grid.cell(c, r).toUtf8();
            if (cell.contains('\t') || cell.contains('"') || cell.contains('\n')
                || cell.contains('\r'))
                cell = '"' + cell.replace("\"", "\"\"") + '"';
            text += (c ? "\t" : "") + cell;
        }
        text += "\r\n";
    }
    return text;
}

// Counts the times a widget is shown.
class ShowCounter : public QObject
{
public:
    explicit ShowCounter(QWidget *watched) { watched->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        shows += event->type() == QEvent::Show;
        return false;
    }
    int shows = 0;
};

QByteArray clipboardText()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    return mime ? mime->data(u"text/plain"_s) : QByteArray();
}

// A workbook's parts, with the creation time of its properties left out:
// libxlsxwriter stamps it to the second, so two saves may differ only there.
QByteArray workbookParts(const QString &file)
{
    QProcess p;
    p.start(u"python3"_s,
            {u"-c"_s,
             u"import re, sys, zipfile\n"
             "z = zipfile.ZipFile(sys.argv[1])\n"
             "for n in sorted(z.namelist()):\n"
             "    d = z.read(n)\n"
             "    if n == 'docProps/core.xml':\n"
             "        d = re.sub(rb'(<dcterms:\\w+[^>]*>)[^<]*', rb'\\1', d)\n"
             "    sys.stdout.buffer.write(n.encode() + b'\\n' + d + b'\\n')\n"_s,
             file});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        qWarning("cannot read %s: %s", qPrintable(file), p.readAllStandardError().constData());
    return p.readAllStandardOutput();
}

QByteArray runProgram(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral(NORVALE_PROGRAM), arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qWarning("norvale failed: %s", p.readAllStandardError().constData());
    return p.readAllStandardOutput();
}

QList<DataRecord> records(int first, int count)
{
    QList<DataRecord> list;
    for (int i = first; i < first + count; ++i) {
        DataRecord r;
        r.id = i;
        r.second = quint8(i % 60);
        for (int v = 0; v < 10; ++v)
            r.words[size_t(v)] = quint16(i * 10 + v);
        list << r;
    }
    return list;
}

bool appendByAnotherProcess(const QString &file, const QByteArray &bytes, const QString &dir)
{
    const QString part = dir + u"/part.bin"_s;
    if (!writeFile(part, bytes))
        return false;
    return QProcess::execute(u"sh"_s, {u"-c"_s, u"cat \"$1\" >> \"$2\""_s, u"sh"_s, part, file})
        == 0;
}

// A log of records [first, first + count) as a binary data file or a
// database, written in place (a database gets a table first when new).
bool writeLog(const QString &file, bool binary, int first, int count)
{
    if (binary)
        return writeFile(file, dataFile(records(first, count)));
    QByteArray statements = QFileInfo::exists(file) ? QByteArray() : createBuffer(1);
    for (int i = first; i < first + count; ++i)
        statements += insertBuffer(1, i, "2013-05-07", "08:00:00", {});
    return sql(file, statements);
}

// More records at the end of a log written by writeLog.
bool appendLog(const QString &file, bool binary, int first, int count, const QString &dir)
{
    if (binary)
        return appendByAnotherProcess(file, dataFile(records(first, count)).mid(32), dir);
    return writeLog(file, binary, first, count);
}

const QString GoneFollowing = u"文件已不在，显示的是最后读到的记录；文件回来后继续跟随。"_s;
const QString GoneNotFollowing
    = u"文件已不在，显示的是最后读到的记录；文件回来后按 F5 重新加载。"_s;

} // namespace

class TestMainWindowTools : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void copiesSelectedRows_data();
    void copiesSelectedRows();
    void copyQuotesCells();
    void copyFromContextMenuAndSelectAll();
    void nulBytesReachEveryOutputAsSymbol_data();
    void nulBytesReachEveryOutputAsSymbol();

    void findCountsAndWraps_data();
    void findCountsAndWraps();
    void findBarLeavesGridInPlace();
    void foundRowLiesAboveFindBar_data();
    void foundRowLiesAboveFindBar();

    void saveAsTypesCells_data();
    void saveAsTypesCells();
    void saveAsMatchesCommandLine_data();
    void saveAsMatchesCommandLine();
    void saveAsNeverOverTheShownFile();
    void commandLineEncodings_data();
    void commandLineEncodings();

    void reloadKeepsPosition();
    void followReadsOnlyNewRecords();
    void followShrunkFileReloadsWhole();
    void followWalDatabase();
    void followGoesOnWithTheFileBackUnderTheName_data();
    void followGoesOnWithTheFileBackUnderTheName();
    void reloadWhileFileIsGoneKeepsRows_data();
    void reloadWhileFileIsGoneKeepsRows();
    void reloadRefreshesCurveWindow();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMainWindowTools::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestMainWindowTools::copiesSelectedRows_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<Ranges>("ranges");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QByteArray>("title");
    QTest::newRow("one row, Chinese titles")
        << true << Ranges {{3, 3}} << QList<int> {3} << "数据ID\t记录日期\t记录时间\t数据(0)"_ba;
    QTest::newRow("one row, English titles") << false << Ranges {{3, 3}} << QList<int> {3}
                                             << "Data ID\tRecord Date\tRecord Time\tData(0)"_ba;
    QTest::newRow("a range") << true << Ranges {{2, 5}} << QList<int> {2, 3, 4, 5} << "数据ID"_ba;
    QTest::newRow("two ranges picked bottom first, in grid order")
        << false << Ranges {{7, 8}, {1, 2}} << QList<int> {1, 2, 7, 8} << "Data ID"_ba;
    QTest::newRow("overlapping ranges, each row once")
        << false << Ranges {{2, 4}, {3, 6}} << QList<int> {2, 3, 4, 5, 6} << "Data ID"_ba;
}

void TestMainWindowTools::copiesSelectedRows()
{
    QFETCH(bool, chinese);
    QFETCH(Ranges, ranges);
    QFETCH(QList<int>, rows);
    QFETCH(QByteArray, title);
    QVERIFY(writeFile(path(u"d.bin"_s), dataFile(records(1, 8))));
    Window w;
    if (!chinese)
        w.main->switchToEnglish();
    w.open(path(u"d.bin"_s));
    for (const auto &[first, last] : ranges)
        w.select(first, last);
    QTest::keySequence(w.main.get(), QKeySequence::Copy);
    const QByteArray copied = clipboardText();
    QCOMPARE(copied, expectedCopy(w.main->grid(), rows));
    QVERIFY(copied.startsWith(title));
    QCOMPARE(copied.count("\r\n"), rows.size() + 1);
    QCOMPARE(copied.split('\n').first().count('\t'), 12);
    QCOMPARE(QGuiApplication::clipboard()->text().toUtf8(), copied);
}

void TestMainWindowTools::copyQuotesCells()
{
    QList<AlarmRecord> alarms(3);
    alarms[0].text = u"plain, text";
    alarms[1].text = u"tab\there \"quoted\"";
    alarms[2].text = u"two\nlines";
    for (int i = 0; i < 3; ++i)
        alarms[i].id = i + 1;
    QVERIFY(writeFile(path(u"Alarm.db"_s), alarmFile(alarms)));
    Window w;
    w.open(path(u"Alarm.db"_s));
    w.select(1, 3);
    w.main->copySelection();
    const QList<QByteArray> lines = clipboardText().split('\n');
    QCOMPARE(lines.size(), 6); // title, 3 rows (one holding a line end), empty tail
    QVERIFY(lines[1].endsWith("\tplain, text\r"));
    QVERIFY(lines[2].endsWith("\t\"tab\there \"\"quoted\"\"\"\r"));
    QVERIFY(lines[3].endsWith("\t\"two"));
    QCOMPARE(lines[4], "lines\"\r"_ba);
}

void TestMainWindowTools::copyFromContextMenuAndSelectAll()
{
    QVERIFY(writeFile(path(u"d.bin"_s), dataFile(records(1, 5))));
    Window w;
    w.open(path(u"d.bin"_s));
    QTest::keySequence(w.main.get(), QKeySequence::SelectAll);
    auto *menu = w.main->findChild<QMenu *>(u"GridMenu"_s);
    QVERIFY(menu);
    QCOMPARE(menu->actions().value(0)->text(), u"复制"_s);
    menu->actions().value(0)->trigger();
    QCOMPARE(clipboardText(), expectedCopy(w.main->grid(), {1, 2, 3, 4, 5}));
    w.main->switchToEnglish();
    QCOMPARE(menu->actions().value(0)->text(), u"Copy"_s);
}

void TestMainWindowTools::nulBytesReachEveryOutputAsSymbol_data()
{
    QTest::addColumn<QByteArray>("value"); // an SQL expression
    QTest::addColumn<QString>("shown");
    QTest::newRow("text, NUL in the middle") << "'ab' || char(0) || 'cd'"_ba << u"ab␀cd"_s;
    QTest::newRow("text, NUL at the end") << "'ab' || char(0)"_ba << u"ab␀"_s;
    QTest::newRow("text, only NUL") << "char(0)"_ba << u"␀"_s;
    QTest::newRow("blob with NUL") << "X'61006263'"_ba << u"a␀bc"_s;
    QTest::newRow("blob of one NUL") << "X'00'"_ba << u"␀"_s;
}

void TestMainWindowTools::nulBytesReachEveryOutputAsSymbol()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, shown);
    const QString db = path(u"Alarm.db"_s);
    QVERIFY(sql(db,
                "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 TEXT, N2 TEXT);"
                "INSERT INTO Ldata VALUES (1, "
                    + value + ", 'n', " + value
                    + ");"
                      // A grid of one record has nothing to export.
                      "INSERT INTO Ldata VALUES (2, 't', 'n', 'x');"));
    AutomationRecorder recorder;
    Window w(&recorder);
    w.open(db);
    QCOMPARE(w.sink.lines(), QStringList {});
    QCOMPARE(w.main->grid().cell(1, 1), shown);
    QCOMPARE(w.main->grid().cell(3, 1), shown);
    // The view shows the ID column as its row header.
    QCOMPARE(w.view()->model()->index(0, 2).data().toString(), shown);

    const QByteArray utf8 = shown.toUtf8();
    w.select(1, 1);
    const QByteArray copied = w.main->selectionText();
    QVERIFY(copied.endsWith("\r\n1\t" + utf8 + "\tn\t" + utf8 + "\r\n"));
    QVERIFY(!copied.contains('\0'));

    QBuffer csv;
    QVERIFY(csv.open(QIODevice::WriteOnly));
    QVERIFY(writeGridCsv(w.main->grid(), csv));
    QVERIFY(csv.data().contains("\r\n1," + utf8 + ",n," + utf8 + "\r\n2,"));
    QVERIFY(!csv.data().contains('\0'));

    w.main->exportWorkbook();
    const QStringList log = recorder.log();
    // Alarm texts go in behind an apostrophe, which keeps them texts.
    const auto written = [&](int col) {
        const QString cell
            = u"Cells(2, %1) := \"%2\""_s.arg(col).arg(col == 3 ? u"'"_s + shown : shown);
        return std::any_of(log.begin(), log.end(),
                           [&](const QString &l) { return l.endsWith(cell); });
    };
    // The export leaves the ID column out.
    QVERIFY2(written(1) && written(3), qPrintable(log.join(u'\n')));
    for (const QString &line : log)
        QVERIFY(!line.contains(QChar(0)));
}

void TestMainWindowTools::findCountsAndWraps_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("visits"); // rows after typing, then Next, Next, Previous
    QTest::addColumn<QStringList>("counts");
    // Words are ID * 10 + v and IDs 1..20: "11" is in rows 1 and 11 only.
    QTest::newRow("decimal, wraps") << 0 << u"11"_s << QList<int> {1, 11, 1, 11}
                                    << QStringList {u"1 / 2"_s, u"2 / 2"_s, u"1 / 2"_s, u"2 / 2"_s};
    // In the hexadecimal view 0xC8 (200) shows as its digits; the decimal text is not there.
    QTest::newRow("hex view, any case")
        << 3 << u"00c9"_s << QList<int> {20, 20, 20, 20}
        << QStringList {u"1 / 1"_s, u"1 / 1"_s, u"1 / 1"_s, u"1 / 1"_s};
    QTest::newRow("no match") << 0 << u"zz"_s << QList<int> {0, 0, 0, 0}
                              << QStringList {u"0 / 0"_s, u"0 / 0"_s, u"0 / 0"_s, u"0 / 0"_s};
    QTest::newRow("#ID") << 0 << u"#17"_s << QList<int> {17, 17, 17, 17}
                         << QStringList {u"1 / 1"_s, u"1 / 1"_s, u"1 / 1"_s, u"1 / 1"_s};
}

void TestMainWindowTools::findCountsAndWraps()
{
    QFETCH(int, format);
    QFETCH(QString, text);
    QFETCH(QList<int>, visits);
    QFETCH(QStringList, counts);
    QVERIFY(writeFile(path(u"d.bin"_s), dataFile(records(1, 20))));
    Window w;
    w.open(path(u"d.bin"_s));
    QVERIFY(w.main->pickFormat(static_cast<ValueFormat::Format>(format)));
    QTest::keySequence(w.main.get(), QKeySequence::Find);
    QVERIFY(w.main->findBar()->isVisible());
    w.typeFind(text);
    QList<int> seen;
    QStringList shown;
    const auto note = [&] {
        seen << (visits[seen.size()] == 0 && !w.view()->currentIndex().isValid() ? 0
                                                                                 : w.currentRow());
        shown << w.main->findCountText();
    };
    note();
    QTest::keyClick(w.findField(), Qt::Key_Return);
    note();
    QTest::keyClick(w.main.get(), Qt::Key_F3);
    note();
    QTest::keyClick(w.findField(), Qt::Key_Return, Qt::ShiftModifier);
    note();
    QCOMPARE(seen, visits);
    QCOMPARE(shown, counts);
    QTest::keyClick(w.findField(), Qt::Key_Escape);
    QVERIFY(w.main->findBar()->isHidden());
}

void TestMainWindowTools::findBarLeavesGridInPlace()
{
    Window w;
    const QRect grid = w.view()->geometry();
    QTest::keySequence(w.main.get(), QKeySequence(Qt::CTRL | Qt::Key_G));
    QVERIFY(w.main->findBar()->isVisible());
    QCOMPARE(w.findField()->text(), u"#"_s);
    QCOMPARE(w.view()->geometry(), grid);
    QCOMPARE(w.main->findBar()->geometry().bottom(), grid.bottom());
    QVERIFY(w.main->findBar()->geometry().top() > grid.top());
}

void TestMainWindowTools::foundRowLiesAboveFindBar_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("row");
    // Words are ID * 10 + v: "409" is in the last record only.
    QTest::newRow("text in the last row") << u"409"_s << 40;
    QTest::newRow("ID of the last row") << u"#40"_s << 40;
    QTest::newRow("text in the next to last row") << u"399"_s << 39;
    QTest::newRow("text in the middle") << u"209"_s << 20;
}

void TestMainWindowTools::foundRowLiesAboveFindBar()
{
    QFETCH(QString, text);
    QFETCH(int, row);
    QVERIFY(writeFile(path(u"d.bin"_s), dataFile(records(1, 40))));
    Window w;
    w.open(path(u"d.bin"_s));
    QTest::keySequence(w.main.get(), QKeySequence::Find);
    w.typeFind(text);
    QCOMPARE(w.main->findCountText(), u"1 / 1"_s);
    QWidget *viewport = w.view()->viewport();
    const int barTop = viewport->mapFromGlobal(w.main->findBar()->mapToGlobal(QPoint())).y();
    QVERIFY(barTop < viewport->height());
    const QRect found = w.view()->visualRect(w.main->grid().index(row - 1, 0));
    QVERIFY2(
        found.top() >= 0 && found.bottom() < barTop,
        qPrintable(u"row %1..%2, bar at %3"_s.arg(found.top()).arg(found.bottom()).arg(barTop)));
    QCOMPARE(w.currentRow(), row);
    QVERIFY(w.view()->selectionModel()->isRowSelected(row - 1));
    QCOMPARE(w.view()->selectionModel()->selectedRows().size(), 1);

    // A new field empties the count, and so does an emptied field.
    QTest::keySequence(w.main.get(), QKeySequence(Qt::CTRL | Qt::Key_G));
    QCOMPARE(w.findField()->text(), u"#"_s);
    QCOMPARE(w.main->findCountText(), QString());
    w.typeFind(text);
    QCOMPARE(w.main->findCountText(), u"1 / 1"_s);
    w.findField()->selectAll();
    QTest::keyClick(w.findField(), Qt::Key_Backspace);
    QCOMPARE(w.findField()->text(), QString());
    QCOMPARE(w.main->findCountText(), QString());

    // Closed, the bar covers nothing: the grid scrolls to its own end again.
    QTest::keyClick(w.findField(), Qt::Key_Escape);
    QVERIFY(w.main->findBar()->isHidden());
    w.view()->scrollToBottom();
    const QRect last = w.view()->visualRect(w.main->grid().index(39, 0));
    QVERIFY(last.bottom() < viewport->height());
    QVERIFY(last.bottom() >= viewport->height() - last.height());
}

void TestMainWindowTools::saveAsTypesCells_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("format"); // -1: as opened
    QTest::addColumn<QString>("ref");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("value"); // as JSON
    QTest::addColumn<QString>("numberFormat");

    auto data = [](std::initializer_list<quint16> words) {
        DataRecord r;
        r.id = 1;
        std::copy(words.begin(), words.end(), r.words.begin());
        // A grid of one record counts as empty.
        DataRecord second = r;
        second.id = 2;
        return dataFile({r, second});
    };
    const QByteArray unsignedWords = data({40000, 7});
    QTest::newRow("unsigned") << u"d.bin"_s << unsignedWords << 0 << u"C2"_s << u"n"_s << u"40000"_s
                              << u"0"_s;
    QTest::newRow("date") << u"d.bin"_s << unsignedWords << 0 << u"A2"_s << u"d"_s
                          << u"\"2013-05-07 00:00:00\""_s << u"yyyy-mm-dd"_s;
    QTest::newRow("time") << u"d.bin"_s << unsignedWords << 0 << u"B2"_s << u"d"_s
                          << u"\"08:04:59\""_s << u"hh:mm:ss"_s;
    QTest::newRow("signed") << u"d.bin"_s << unsignedWords << 1 << u"C2"_s << u"n"_s << u"-25536"_s
                            << u"0"_s;
    QTest::newRow("32-bit") << u"d.bin"_s << data({0, 0x3FC0}) << 2 << u"C2"_s << u"n"_s
                            << u"1069547520"_s << u"0"_s;
    // 12345678 in hexadecimal reads as a decimal number, but is none.
    QTest::newRow("hex of digits") << u"d.bin"_s << data({0x5678, 0x1234}) << 3 << u"C2"_s << u"s"_s
                                   << u"\"12345678\""_s << u"General"_s;
    QTest::newRow("hex") << u"d.bin"_s << data({0, 0x3FC0}) << 3 << u"C2"_s << u"s"_s
                         << u"\"3FC00000\""_s << u"General"_s;
    QTest::newRow("float") << u"d.bin"_s << data({0, 0x3FC0}) << 4 << u"C2"_s << u"n"_s << u"1.5"_s
                           << u"0.000000"_s;
    QTest::newRow("float 1E7") << u"d.bin"_s << data({0x9680, 0x4B18}) << 4 << u"C2"_s << u"n"_s
                               << u"10000000"_s << u"0E-0"_s;
    QTest::newRow("float NAN") << u"d.bin"_s << data({0, 0x7FC0}) << 4 << u"C2"_s << u"s"_s
                               << u"\"NAN\""_s << u"General"_s;

    AlarmRecord alarm;
    alarm.number = 7;
    alarm.text = u"123";
    const QByteArray alarms = alarmFile({alarm, alarm});
    QTest::newRow("alarm time") << u"Alarm.db"_s << alarms << -1 << u"A2"_s << u"d"_s
                                << u"\"2013-05-07 08:04:59\""_s << u"yyyy-mm-dd\"/\"hh:mm:ss"_s;
    QTest::newRow("alarm number") << u"Alarm.db"_s << alarms << -1 << u"B2"_s << u"n"_s << u"7"_s
                                  << u"0"_s;
    QTest::newRow("alarm text of digits")
        << u"Alarm.db"_s << alarms << -1 << u"C2"_s << u"s"_s << u"\"123\""_s << u"General"_s;
}

// Save As xlsx writes what a spreadsheet shows for the grid's texts.
void TestMainWindowTools::saveAsTypesCells()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, format);
    QFETCH(QString, ref);
    QFETCH(QString, type);
    QFETCH(QString, value);
    QFETCH(QString, numberFormat);

    const QString log = path(name);
    QVERIFY(writeFile(log, bytes));
    Window w;
    w.open(log);
    if (format >= 0)
        QVERIFY(w.main->pickFormat(static_cast<ValueFormat::Format>(format)));
    w.saves.file = path(u"out"_s);
    w.saves.filter = 0;
    QTest::keySequence(w.main.get(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(w.sink.lines(), QStringList {});

    QProcess python;
    python.start(u"/usr/bin/python3"_s, {QStringLiteral(NORVALE_READ_XLSX), path(u"out.xlsx"_s)});
    QVERIFY(python.waitForFinished(60000) && python.exitCode() == 0);
    const QJsonObject cell = QJsonDocument::fromJson(python.readAllStandardOutput())
                                 .object()[u"cells"_s]
                                 .toObject()[ref]
                                 .toObject();
    QCOMPARE(cell[u"type"_s].toString(), type);
    QCOMPARE(cell[u"value"_s], QJsonDocument::fromJson("[" + value.toUtf8() + "]").array()[0]);
    QCOMPARE(cell[u"format"_s].toString(), numberFormat);
}

void TestMainWindowTools::saveAsMatchesCommandLine_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("command");
    QTest::newRow("csv with BOM") << 1 << u"out.csv"_s
                                  << QStringList {u"--to"_s,      u"csv"_s,      u"--encoding"_s,
                                                  u"utf-8-bom"_s, u"--format"_s, u"3"_s};
    QTest::newRow("xlsx") << 0 << u"out.xlsx"_s
                          << QStringList {u"--to"_s, u"xlsx"_s, u"--format"_s, u"3"_s};
}

void TestMainWindowTools::saveAsMatchesCommandLine()
{
    QFETCH(int, filter);
    QFETCH(QString, name);
    QFETCH(QStringList, command);
    const QString log = path(u"d.bin"_s);
    QVERIFY(writeFile(log, dataFile(records(1, 30))));
    runProgram(command << log << u"-o"_s << path(u"cli-"_s + name));
    Window w;
    w.open(log);
    QVERIFY(w.main->pickFormat(ValueFormat::Format::Hex32));
    w.saves.file = path(name).chopped(name.size() - name.indexOf(u'.'));
    w.saves.filter = filter;
    auto *gauge = w.main->findChild<QWidget *>(u"progressGauge"_s);
    const ShowCounter progress(gauge);
    QTest::keySequence(w.main.get(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(progress.shows, 1);
    QVERIFY(gauge->isHidden());
    QCOMPARE(w.saves.filters, (QStringList {u"Excel 工作簿 (*.xlsx)"_s, u"CSV (*.csv)"_s}));
    QCOMPARE(w.sink.lines(), QStringList {});
    const QByteArray saved = readFile(path(name));
    QVERIFY(!saved.isEmpty());
    if (filter == 1) {
        QCOMPARE(saved, readFile(path(u"cli-"_s + name)));
        QVERIFY(saved.startsWith("\xEF\xBB\xBF数据ID,"));
    } else {
        const QByteArray parts = workbookParts(path(name));
        QVERIFY(parts.contains("xl/worksheets/sheet1.xml"));
        QCOMPARE(parts, workbookParts(path(u"cli-"_s + name)));
    }
    // Nothing else is left in the folder: the temporary files were renamed.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 3);
}

void TestMainWindowTools::saveAsNeverOverTheShownFile()
{
    const QString log = path(u"d.csv"_s);
    const QByteArray bytes = dataFile(records(1, 3));
    QVERIFY(writeFile(log, bytes));
    QVERIFY(QFile::link(log, path(u"link.csv"_s)));
    Window w;
    w.open(log);
    w.saves.file = path(u"link.csv"_s);
    w.saves.filter = 1;
    w.main->saveAs();
    QCOMPARE(readFile(log), bytes);
    QCOMPARE(w.sink.lines().size(), 1);
    QVERIFY2(w.sink.lines()[0].startsWith(u"Norvale: 保存失败："_s), qPrintable(w.sink.lines()[0]));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::System).size(), 2);
}

void TestMainWindowTools::commandLineEncodings_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("codec"); // empty: UTF-8; "bom": UTF-8 behind a BOM
    QTest::newRow("utf-8: today's bytes")
        << QStringList {u"--encoding"_s, u"utf-8"_s} << 0 << QByteArray();
    QTest::newRow("utf-8-bom") << QStringList {u"--encoding"_s, u"utf-8-bom"_s} << 0 << "bom"_ba;
    if (QStringEncoder("GB18030").isValid())
        QTest::newRow("gb18030") << QStringList {u"--encoding"_s, u"gb18030"_s} << 0
                                 << "GB18030"_ba;
    else
        QTest::newRow("gb18030 unavailable: usage error")
            << QStringList {u"--encoding"_s, u"gb18030"_s} << 2 << QByteArray();
    QTest::newRow("unknown encoding")
        << QStringList {u"--encoding"_s, u"latin1"_s} << 2 << QByteArray();
    QTest::newRow("only for csv") << QStringList {u"--encoding"_s, u"utf-8"_s, u"--to"_s,
                                                  u"xlsx"_s,       u"-o"_s,    u"x.xlsx"_s}
                                  << 2 << QByteArray();
}

void TestMainWindowTools::commandLineEncodings()
{
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QByteArray, codec);
    QList<AlarmRecord> alarms(2);
    alarms[0].text = u"电机过热";
    alarms[1].id = 2;
    alarms[1].text = u"€ 欧元";
    const QString log = path(u"Alarm.db"_s);
    QVERIFY(writeFile(log, alarmFile(alarms)));
    const QByteArray plain = runProgram({u"--to"_s, u"csv"_s, log});
    QVERIFY(plain.contains("电机过热"));
    QProcess p;
    if (!options.contains(u"--to"_s))
        options << u"--to"_s << u"csv"_s;
    p.start(QStringLiteral(NORVALE_PROGRAM), options << log);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), status);
    const QByteArray out = p.readAllStandardOutput();
    if (status != 0) {
        QVERIFY(out.isEmpty());
        QVERIFY(p.readAllStandardError().startsWith("norvale: --encoding"));
        return;
    }
    if (codec.isEmpty())
        QCOMPARE(out, plain);
    else if (codec == "bom")
        QCOMPARE(out, "\xEF\xBB\xBF"_ba + plain);
    else
        QCOMPARE(out, QStringEncoder(codec.constData()).encode(QString::fromUtf8(plain)));
}

void TestMainWindowTools::reloadKeepsPosition()
{
    const QString log = path(u"d.bin"_s);
    QVERIFY(writeFile(log, dataFile(records(1, 200))));
    Window w;
    w.open(log);
    QVERIFY(w.main->pickFormat(ValueFormat::Format::Signed32));
    w.view()->scrollTo(w.main->grid().index(99, 0), QAbstractItemView::PositionAtTop);
    w.view()->setCurrentIndex(w.main->grid().index(104, 0));
    const int top = w.view()->rowAt(0);
    QVERIFY(top > 50);
    QVERIFY(writeFile(log, dataFile(records(1, 210))));
    QTest::keyClick(w.main.get(), Qt::Key_F5);
    QCOMPARE(w.main->grid().recordCount(), 210);
    QCOMPARE(w.main->displayFormat(), ValueFormat::Format::Signed32);
    QCOMPARE(w.main->grid().cell(3, 1), u"720906"_s); // words 10 (low) and 11 (high)
    QCOMPARE(w.view()->rowAt(0), top);
    QCOMPARE(w.currentRow(), 105);
    QVERIFY(w.main->windowTitle().endsWith(log + u" ]"_s));
}

void TestMainWindowTools::followReadsOnlyNewRecords()
{
    const QString log = path(u"d.bin"_s);
    QVERIFY(writeFile(log, dataFile(records(1, 100))));
    Window w;
    w.open(log);
    w.main->setFollowing(true);
    w.view()->scrollToBottom();
    // A mark in the grid that only a whole reload would undo.
    w.main->grid().setCell(1, 1, u"kept"_s);
    QVERIFY(appendByAnotherProcess(log, dataFile(records(101, 50)).mid(32), m_dir->path()));
    QTRY_COMPARE_WITH_TIMEOUT(w.main->grid().recordCount(), 150, 5000);
    QCOMPARE(w.main->grid().cell(1, 1), u"kept"_s);
    QCOMPARE(w.main->grid().cell(0, 150), u"150"_s);
    // The last row stays in view, as a growing log's tail.
    const int bottom = w.view()->rowAt(w.view()->viewport()->height() - 1);
    QVERIFY2(bottom == -1 || bottom == 149, qPrintable(QString::number(bottom)));
    QCOMPARE(w.main->findChild<QPushButton *>(u"recordCountButton"_s)->text(), u"数据条数:150"_s);
    // A partial record waits for the rest of it.
    QVERIFY(appendByAnotherProcess(log, QByteArray(10, 'x'), m_dir->path()));
    QTest::qWait(1500);
    QCOMPARE(w.main->grid().recordCount(), 150);
    QCOMPARE(w.sink.lines(), QStringList {});
}

void TestMainWindowTools::followShrunkFileReloadsWhole()
{
    const QString log = path(u"d.bin"_s);
    QVERIFY(writeFile(log, dataFile(records(1, 100))));
    Window w;
    w.open(log);
    w.main->setFollowing(true);
    w.main->grid().setCell(1, 1, u"gone"_s);
    QVERIFY(QProcess::execute(u"truncate"_s, {u"-s"_s, QString::number(32 * 41), log}) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(w.main->grid().recordCount(), 40, 5000);
    QCOMPARE(w.main->grid().cell(1, 1), u"2013-05-07"_s);
    // A record changed before the end is read whole as well.
    w.main->grid().setCell(1, 1, u"gone"_s);
    QByteArray bytes = dataFile(records(1, 41));
    bytes[32 * 40] = char(99); // the last record's ID
    QVERIFY(writeFile(path(u"new.bin"_s), bytes));
    QVERIFY(QProcess::execute(u"cp"_s, {path(u"new.bin"_s), log}) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(w.main->grid().cell(0, 40), u"99"_s, 5000);
    QCOMPARE(w.main->grid().cell(1, 1), u"2013-05-07"_s);
}

void TestMainWindowTools::followWalDatabase()
{
    const QString db = path(u"records.db"_s);
    QByteArray setup = "PRAGMA journal_mode=WAL;" + createBuffer(1);
    for (int i = 1; i <= 5; ++i)
        setup += insertBuffer(1, i, "2013-05-07", "08:00:00", {});
    QVERIFY(sql(db, setup));
    Window w;
    w.open(db);
    QCOMPARE(w.main->grid().recordCount(), 5);
    w.main->setFollowing(true);
    ChildWriter writer;
    QByteArray more = "PRAGMA journal_mode=WAL;";
    for (int i = 6; i <= 9; ++i)
        more += insertBuffer(1, i, "2013-05-07", "08:00:01", {});
    QVERIFY(writer.start(db, more));
    QTRY_COMPARE_WITH_TIMEOUT(w.main->grid().recordCount(), 9, 5000);
    QCOMPARE(w.main->grid().cell(0, 9), u"9"_s);
}

void TestMainWindowTools::followGoesOnWithTheFileBackUnderTheName_data()
{
    QTest::addColumn<bool>("binary");
    QTest::addColumn<QString>("rotation");
    for (const bool binary : {true, false}) {
        const char *kind = binary ? "data file" : "database";
        // Gone for a while: the notice, F5 kept off, then the new file.
        QTest::addRow("%s deleted, later created", kind) << binary << u"gone"_s;
        // Deleted and created again at once, perhaps with the same inode.
        QTest::addRow("%s deleted and created", kind) << binary << u"delete"_s;
        // Rotation: renamed to NAME.1 and a new NAME created.
        QTest::addRow("%s renamed away and created", kind) << binary << u"rename"_s;
    }
}

void TestMainWindowTools::followGoesOnWithTheFileBackUnderTheName()
{
    QFETCH(bool, binary);
    QFETCH(QString, rotation);
    const QString file = path(binary ? u"d.bin"_s : u"records.db"_s);
    QVERIFY(writeLog(file, binary, 1, 100));
    Window w;
    w.open(file);
    QCOMPARE(w.main->grid().recordCount(), 100);
    w.main->setFollowing(true);
    auto *notice = w.main->findChild<QLabel *>(u"FileGoneNotice"_s);
    QVERIFY(notice);
    QVERIFY(!notice->isVisible());
    // A mark in the grid that only a whole read undoes.
    const QString date = w.main->grid().cell(1, 1);
    w.main->grid().setCell(1, 1, u"mark"_s);

    if (rotation == u"rename"_s)
        QVERIFY(QFile::rename(file, file + u".1"_s));
    else
        QVERIFY(QFile::remove(file));
    if (rotation == u"gone"_s) {
        QTRY_VERIFY_WITH_TIMEOUT(notice->isVisible(), 5000);
        QCOMPARE(notice->text(), GoneFollowing);
        QCOMPARE(w.main->grid().recordCount(), 100);
        QCOMPARE(w.main->grid().cell(1, 1), u"mark"_s);
        QTest::keyClick(w.main.get(), Qt::Key_F5);
        QCOMPARE(w.main->grid().recordCount(), 100);
        QCOMPARE(w.main->grid().cell(1, 1), u"mark"_s);
        QVERIFY(notice->isVisible());
    }
    // The old records and more: a new file all the same, read whole.
    QVERIFY(writeLog(file, binary, 1, 120));
    QTRY_COMPARE_WITH_TIMEOUT(w.main->grid().recordCount(), 120, 5000);
    QCOMPARE(w.main->grid().cell(1, 1), date);
    QVERIFY(!notice->isVisible());
    QCOMPARE(w.main->findChild<QPushButton *>(u"recordCountButton"_s)->text(), u"数据条数:120"_s);

    // Following goes on with the file under the name, not the renamed one.
    if (rotation == u"rename"_s)
        QVERIFY(appendLog(file + u".1"_s, binary, 901, 5, m_dir->path()));
    QVERIFY(appendLog(file, binary, 121, 10, m_dir->path()));
    QTRY_COMPARE_WITH_TIMEOUT(w.main->grid().recordCount(), 130, 5000);
    QCOMPARE(w.main->grid().cell(0, 130), u"130"_s);
    QCOMPARE(w.sink.lines(), QStringList {});
}

void TestMainWindowTools::reloadWhileFileIsGoneKeepsRows_data()
{
    QTest::addColumn<bool>("binary");
    QTest::newRow("data file") << true;
    QTest::newRow("database") << false;
}

void TestMainWindowTools::reloadWhileFileIsGoneKeepsRows()
{
    QFETCH(bool, binary);
    const QString file = path(binary ? u"d.bin"_s : u"records.db"_s);
    QVERIFY(writeLog(file, binary, 1, 50));
    Window w;
    w.open(file);
    QCOMPARE(w.main->grid().recordCount(), 50);
    auto *notice = w.main->findChild<QLabel *>(u"FileGoneNotice"_s);
    QVERIFY(notice);
    QVERIFY(QFile::remove(file));
    QTest::keyClick(w.main.get(), Qt::Key_F5);
    QCOMPARE(w.main->grid().recordCount(), 50);
    QCOMPARE(w.main->grid().cell(0, 50), u"50"_s);
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->text(), GoneNotFollowing);
    QCOMPARE(w.sink.lines(), QStringList {});

    // Following, turned on while the file is gone, waits for it.
    w.main->setFollowing(true);
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->text(), GoneFollowing);
    QVERIFY(writeLog(file, binary, 1, 60));
    QTRY_COMPARE_WITH_TIMEOUT(w.main->grid().recordCount(), 60, 5000);
    QVERIFY(!notice->isVisible());
    // Taken to English, the notice speaks English.
    QVERIFY(QFile::remove(file));
    QTRY_VERIFY_WITH_TIMEOUT(notice->isVisible(), 5000);
    w.main->switchToEnglish();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(notice->text(),
             u"The file is gone; the rows shown are the last ones read. Following resumes when "
             "it returns."_s);
    QCOMPARE(w.main->grid().recordCount(), 60);
}

void TestMainWindowTools::reloadRefreshesCurveWindow()
{
    const QString log = path(u"d.bin"_s);
    QVERIFY(writeFile(log, dataFile(records(1, 300))));
    Window w;
    CurveWindow curves(*w.main);
    QObject::connect(w.main.get(), &MainWindow::gridReloaded, &curves, &CurveWindow::refreshData);
    w.open(log);
    curves.show();
    QVERIFY(curves.hasCurves());
    auto *scroll = curves.findChild<QScrollBar *>(u"dataScrollBar"_s);
    QVERIFY(scroll);
    scroll->setValue(scroll->maximum());
    QVERIFY(writeFile(log, dataFile(records(1, 400))));
    w.main->reloadFile();
    QCOMPARE(scroll->maximum(), 399);
    QCOMPARE(scroll->value(), scroll->maximum());
}

QTEST_MAIN(TestMainWindowTools)
#include "tst_mainwindowtools.moc"
