#include "export/ExcelExport.h"
#include "support/AutomationRecorder.h"
#include "support/LogFiles.h"

#include "document/LogDocument.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Progress calls, each with the number of automation lines recorded before it.
class ProgressLog : public ExportProgress
{
public:
    explicit ProgressLog(const AutomationRecorder &recorder)
        : m_recorder(recorder)
    { }
    void start(int maximum) override { add(u"start %1"_s.arg(maximum)); }
    void setPosition(int position) override { add(u"pos %1"_s.arg(position)); }
    void finish() override { add(u"finish"_s); }

    QStringList events;
    QList<qsizetype> at;

private:
    void add(const QString &event)
    {
        events.append(event);
        at.append(m_recorder.log().size());
    }
    const AutomationRecorder &m_recorder;
};

struct Shown
{
    QWidget *owner;
    MessageIcon icon;
    QString caption;
    QString text;
    qsizetype progressEventsBefore;
};

class MessageLog : public MessageSink
{
public:
    explicit MessageLog(const ProgressLog &progress)
        : m_progress(progress)
    { }
    void showMessage(QWidget *owner, MessageIcon icon, const QString &caption, const QString &text,
                     bool) override
    {
        shown.append({owner, icon, caption, text, m_progress.events.size()});
    }
    QList<Shown> shown;

private:
    const ProgressLog &m_progress;
};

struct Run
{
    AutomationRecorder recorder;
    ProgressLog progress {recorder};
    MessageLog messages {progress};
};

// A grid whose titles read "T<col>" and whose cells read "<row>:<col>".
void fillGrid(RecordGridModel &grid, int cols, int rows)
{
    grid.setCols(cols);
    grid.setRows(rows);
    for (int c = 0; c < cols; ++c) {
        grid.setCell(c, 0, u"T%1"_s.arg(c));
        for (int r = 1; r < rows; ++r)
            grid.setCell(c, r, u"%1:%2"_s.arg(r).arg(c));
    }
}

// Every operation of one export as the recorder writes it, objects numbered
// in the order they are obtained. TITLE, WHOLE and DATA stand for the range
// texts, CELLS for the cell writes row by row.
const QStringList Skeleton {
    u"create Excel.application = #1"_s,
    u"create excel.sheet = #2"_s,
    u"#1.workBooks = #3"_s,
    u"#3.add = #4"_s,
    u"release #2"_s,
    u"#1.worksheets(1) = #5"_s,
    u"#5.Rows(1) = #6"_s,
    u"#6.RowHeight := 18"_s,
    u"#1.worksheets(1) = #7"_s,
    u"#7.range(\"TITLE\") = #8"_s,
    u"#8.Font = #9"_s,
    u"#9.Size := 11"_s,
    u"#1.worksheets(1) = #10"_s,
    u"#10.range(\"TITLE\") = #11"_s,
    u"#11.Font = #12"_s,
    u"#12.Name := \"黑体\""_s,
    u"CELLS"_s,
    u"#1.worksheets(1) = #13"_s,
    u"#13.Range(\"WHOLE\") = #14"_s,
    u"#14.Borders = #15"_s,
    u"#15.LineStyle := 1"_s,
    u"#1.worksheets(1) = #16"_s,
    u"#16.range(\"WHOLE\") = #17"_s,
    u"#17.HorizontalAlignment := -4108"_s,
    u"#1.worksheets(1) = #18"_s,
    u"#18.range(\"WHOLE\") = #19"_s,
    u"#19.VerticalAlignment := -4108"_s,
    u"#1.worksheets(1) = #20"_s,
    u"#20.range(\"DATA\") = #21"_s,
    u"#21.Font = #22"_s,
    u"#22.Color := 32768"_s,
    u"#1.worksheets(1) = #23"_s,
    u"#23.range(\"DATA\") = #24"_s,
    u"#24.Font = #25"_s,
    u"#25.Size := 10"_s,
    u"#1.visible := true"_s,
    // Everything obtained is held until the end: the chains, the workbook,
    // the application last.
    u"release #3"_s,
    u"RELEASE 5..25"_s,
    u"release #4"_s,
    u"release #1"_s,
};

QStringList expectedSequence(const RecordGridModel &grid, const QString &letter)
{
    const QString rows = QString::number(grid.rows());
    QStringList lines;
    for (QString line : Skeleton) {
        if (line == u"CELLS"_s) {
            for (int r = 0; r < grid.rows(); ++r)
                for (int c = 1; c < grid.cols(); ++c)
                    lines << u"#1.Cells(%1, %2) := \"%3\""_s.arg(r + 1).arg(c).arg(grid.cell(c, r));
        } else if (line == u"RELEASE 5..25"_s) {
            for (int id = 5; id <= 25; ++id)
                lines << u"release #%1"_s.arg(id);
        } else {
            lines << line.replace(u"TITLE"_s, u"A1:"_s + letter + u'1')
                         .replace(u"WHOLE"_s, u"A1:"_s + letter + rows)
                         .replace(u"DATA"_s, u"A2:"_s + letter + rows);
        }
    }
    return lines;
}

void compareLines(const QStringList &actual, const QStringList &expected)
{
    for (qsizetype i = 0; i < std::min(actual.size(), expected.size()); ++i)
        if (actual[i] != expected[i])
            QFAIL(qPrintable(u"line %1: got %2, expected %3"_s.arg(i).arg(actual[i], expected[i])));
    QCOMPARE(actual.size(), expected.size());
}

const QString NoDataZh = u"没有可用数据导出 ！"_s;
const QString NoDataEn = u"No data is available for export!"_s;
const QString NotInstalledZh
    = u"未发现系统中安装了Microsoft Excel，在使用该功能前，请先将其安装！"_s;
const QString NotInstalledEn
    = u"No Excel was installed in the system. Please install it before using this function！"_s;
const QString FailedZh = u"数据导出到Excel时，发生意外失败。请稍候再试！"_s;
const QString FailedEn = u"exported failure occurred. Please try again later！"_s;

} // namespace

class TestExcelExport : public QObject
{
    Q_OBJECT

private slots:
    void operationSequence_data();
    void operationSequence();
    void progressAdvancesBeforeEachRow();
    void stopsBeforeAnyWork_data();
    void stopsBeforeAnyWork();
    void failureInTheMiddle_data();
    void failureInTheMiddle();
    void gridOutsideAWorksheet_data();
    void gridOutsideAWorksheet();
    void lastColumnLetter_data();
    void lastColumnLetter();
    void textsKeptAsTexts_data();
    void textsKeptAsTexts();
    void recordNumbersGoInAsNumbers_data();
    void recordNumbersGoInAsNumbers();
};

void TestExcelExport::operationSequence_data()
{
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("letter");

    QTest::newRow("13 columns: date, time, ten values") << 13 << 4 << u"L"_s;
    QTest::newRow("8 columns: float pairs") << 8 << 5 << u"G"_s;
    QTest::newRow("4 columns: alarms") << 4 << 3 << u"C"_s;
    QTest::newRow("2 columns") << 2 << 6 << u"A"_s;
    QTest::newRow("title row only") << 13 << 1 << u"L"_s;
    QTest::newRow("one record in three rows") << 13 << 3 << u"L"_s;
    QTest::newRow("27 columns: up to Z") << 27 << 3 << u"Z"_s;
}

void TestExcelExport::operationSequence()
{
    QFETCH(int, cols);
    QFETCH(int, rows);
    QFETCH(QString, letter);

    RecordGridModel grid;
    fillGrid(grid, cols, rows);
    Run run;
    exportRecordGrid(grid, Language::English, run.recorder, run.progress, run.messages, nullptr);

    compareLines(run.recorder.log(), expectedSequence(grid, letter));
    QVERIFY(run.messages.shown.isEmpty());
    QCOMPARE(run.recorder.liveObjects(), 0);
    QCOMPARE(run.progress.events.first(), u"start %1"_s.arg(rows - 1));
    QCOMPARE(run.progress.events.last(), u"finish"_s);
    QCOMPARE(run.progress.events.size(), rows - 1 + 2);
}

void TestExcelExport::progressAdvancesBeforeEachRow()
{
    RecordGridModel grid;
    fillGrid(grid, 8, 6);
    Run run;
    exportRecordGrid(grid, Language::Chinese, run.recorder, run.progress, run.messages, nullptr);

    const QStringList log = run.recorder.log();
    const ProgressLog &progress = run.progress;
    // The bar appears after the titles and before the first record.
    QCOMPARE(progress.events[0], u"start 5"_s);
    QCOMPARE(log[progress.at[0] - 1], u"#1.Cells(1, 7) := \"T7\""_s);
    for (int i = 1; i <= 5; ++i) {
        QCOMPARE(progress.events[i], u"pos %1"_s.arg(i));
        QCOMPARE(log[progress.at[i]], u"#1.Cells(%1, 1) := \"%2:1\""_s.arg(i + 1).arg(i));
    }
    // Hidden once everything is set, before the objects are released.
    QCOMPARE(log[progress.at[6] - 1], u"#1.visible := true"_s);
}

void TestExcelExport::stopsBeforeAnyWork_data()
{
    QTest::addColumn<int>("gridRows");
    QTest::addColumn<QString>("refused");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QString>("text");

    const QStringList noApp {u"create Excel.application = null"_s};
    const QStringList noSheet {u"create Excel.application = #1"_s, u"create excel.sheet = null"_s,
                               u"release #1"_s};
    // A grid of two rows holds no records, even with a record in row 1.
    QTest::newRow("no data, Chinese") << 2 << QString() << true << QStringList() << NoDataZh;
    QTest::newRow("no data, English") << 2 << QString() << false << QStringList() << NoDataEn;
    QTest::newRow("no application, Chinese")
        << 5 << u"Excel.application"_s << true << noApp << NotInstalledZh;
    QTest::newRow("no application, English")
        << 5 << u"Excel.application"_s << false << noApp << NotInstalledEn;
    QTest::newRow("no sheet object, Chinese")
        << 5 << u"excel.sheet"_s << true << noSheet << NotInstalledZh;
    QTest::newRow("no sheet object, English")
        << 5 << u"excel.sheet"_s << false << noSheet << NotInstalledEn;
}

void TestExcelExport::stopsBeforeAnyWork()
{
    QFETCH(int, gridRows);
    QFETCH(QString, refused);
    QFETCH(bool, chinese);
    QFETCH(QStringList, log);
    QFETCH(QString, text);

    RecordGridModel grid;
    fillGrid(grid, 13, gridRows);
    Run run;
    run.recorder.refuseCreate(refused);
    QWidget *owner = reinterpret_cast<QWidget *>(this);
    exportRecordGrid(grid, (chinese ? Language::Chinese : Language::English), run.recorder,
                     run.progress, run.messages, owner);

    compareLines(run.recorder.log(), log);
    QVERIFY(run.progress.events.isEmpty());
    QCOMPARE(run.messages.shown.size(), 1);
    QCOMPARE(run.messages.shown[0].owner, owner);
    QCOMPARE(run.messages.shown[0].icon, MessageIcon::Warning);
    QCOMPARE(run.messages.shown[0].caption, chinese ? u"错误"_s : u"Error"_s);
    QCOMPARE(run.messages.shown[0].text, text);
}

void TestExcelExport::failureInTheMiddle_data()
{
    QTest::addColumn<QString>("failingLine");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<bool>("barShown");

    QTest::newRow("workbooks") << u"#1.workBooks = #3"_s << true << false;
    QTest::newRow("add") << u"#3.add = #4"_s << false << false;
    QTest::newRow("row height") << u"#6.RowHeight := 18"_s << true << false;
    QTest::newRow("a title") << u"#1.Cells(1, 5) := \"T5\""_s << false << false;
    QTest::newRow("a cell of a middle row") << u"#1.Cells(3, 4) := \"2:4\""_s << true << true;
    QTest::newRow("borders") << u"#14.Borders = #15"_s << false << true;
    QTest::newRow("data font size") << u"#25.Size := 10"_s << true << true;
    QTest::newRow("visible") << u"#1.visible := true"_s << false << true;
}

void TestExcelExport::failureInTheMiddle()
{
    QFETCH(QString, failingLine);
    QFETCH(bool, chinese);
    QFETCH(bool, barShown);

    RecordGridModel grid;
    fillGrid(grid, 13, 4);
    const QStringList full = expectedSequence(grid, u"L"_s);
    const auto index = full.indexOf(failingLine);
    QVERIFY(index > 0);

    Run run;
    run.recorder.failAtLine(int(index));
    exportRecordGrid(grid, (chinese ? Language::Chinese : Language::English), run.recorder,
                     run.progress, run.messages, nullptr);

    const QStringList log = run.recorder.log();
    // Everything up to the failure as usual, then nothing but releases.
    QCOMPARE(log.mid(0, index), full.mid(0, index));
    QCOMPARE(log[index], failingLine + u" failed"_s);
    for (qsizetype i = index + 1; i < log.size(); ++i)
        QVERIFY2(log[i].startsWith(u"release #"_s), qPrintable(log[i]));
    QCOMPARE(log.last(), u"release #1"_s);
    QCOMPARE(run.recorder.liveObjects(), 0);

    QCOMPARE(run.progress.events.first() == u"start 3"_s, barShown);
    QCOMPARE(run.progress.events.last(), u"finish"_s);
    QCOMPARE(run.messages.shown.size(), 1);
    const Shown &shown = run.messages.shown[0];
    QCOMPARE(shown.icon, MessageIcon::Error);
    QCOMPARE(shown.caption, chinese ? u"错误"_s : u"Error"_s);
    QCOMPARE(shown.text, chinese ? FailedZh : FailedEn);
    // The bar is hidden before the message appears.
    QCOMPARE(shown.progressEventsBefore, run.progress.events.size());
}

void TestExcelExport::gridOutsideAWorksheet_data()
{
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("rows");
    QTest::addColumn<qsizetype>("titleLength"); // of the first title exported
    QTest::addColumn<QString>("reason"); // the returned reason holds it

    QTest::newRow("28 columns: past Z") << 28 << 3 << qsizetype(0) << u"27 columns"_s;
    QTest::newRow("one column: nothing to export") << 1 << 3 << qsizetype(0) << u"0 columns"_s;
    QTest::newRow("one row more than a worksheet")
        << 2 << 1048577 << qsizetype(0) << u"1048576 data rows"_s;
    QTest::newRow("a title longer than a cell holds")
        << 2 << 3 << qsizetype(32768) << u"32768 characters"_s;
}

void TestExcelExport::gridOutsideAWorksheet()
{
    QFETCH(int, cols);
    QFETCH(int, rows);
    QFETCH(qsizetype, titleLength);
    QFETCH(QString, reason);

    RecordGridModel grid;
    grid.setCols(cols);
    grid.setRows(rows);
    if (titleLength > 0)
        grid.setCell(1, 0, QString(titleLength, u'x'));
    Run run;
    const QString why = exportRecordGrid(grid, Language::English, run.recorder, run.progress,
                                         run.messages, nullptr);
    QVERIFY2(why.contains(reason), qPrintable(why));

    for (const QString &line : run.recorder.log())
        QVERIFY2(!line.contains(u"Cells"_s) && !line.contains(u"visible"_s), qPrintable(line));
    QCOMPARE(run.recorder.liveObjects(), 0);
    QCOMPARE(run.messages.shown.size(), 1);
    QCOMPARE(run.messages.shown[0].icon, MessageIcon::Error);
    QCOMPARE(run.messages.shown[0].text, FailedEn);
    QCOMPARE(run.progress.events, QStringList {u"finish"_s});
}

void TestExcelExport::lastColumnLetter_data()
{
    QTest::addColumn<int>("cols");
    QTest::addColumn<QString>("letter");

    QTest::newRow("2") << 2 << u"A"_s;
    QTest::newRow("13") << 13 << u"L"_s;
    QTest::newRow("27") << 27 << u"Z"_s;
    QTest::newRow("28 runs past Z") << 28 << u"["_s;
    QTest::newRow("1 runs before A") << 1 << u"@"_s;
    QTest::newRow("258 wraps to A") << 258 << u"A"_s;
}

void TestExcelExport::lastColumnLetter()
{
    QFETCH(int, cols);
    QFETCH(QString, letter);
    QCOMPARE(exportLastColumnLetter(cols), letter);
}

void TestExcelExport::recordNumbersGoInAsNumbers_data()
{
    QTest::addColumn<QString>("make");
    QTest::addColumn<int>("format");
    QTest::addColumn<QList<int>>("numberCols"); // grid columns that go in as numbers

    const QList<int> values {3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const QList<int> pairs {3, 4, 5, 6, 7};
    QTest::newRow("binary data, 16-bit unsigned") << u"data.bin"_s << 0 << values;
    QTest::newRow("binary data, 16-bit signed") << u"data.bin"_s << 1 << values;
    QTest::newRow("binary data, 32-bit signed") << u"data.bin"_s << 2 << pairs;
    QTest::newRow("binary data, hexadecimal: texts") << u"data.bin"_s << 3 << QList<int> {};
    QTest::newRow("binary data, floating point: texts") << u"data.bin"_s << 4 << QList<int> {};
    QTest::newRow("database, 16-bit unsigned") << u"records.db"_s << 0 << values;
    QTest::newRow("database, 16-bit signed") << u"records.db"_s << 1 << values;
    QTest::newRow("database, 32-bit signed") << u"records.db"_s << 2 << pairs;
    QTest::newRow("binary alarms: the alarm number") << u"Alarm.db"_s << 0 << QList<int> {2};
}

// The values a grid makes from records reach the workbook as the numbers
// behind their cells, each the number its text shows; every other cell goes
// in as its text.
void TestExcelExport::recordNumbersGoInAsNumbers()
{
    QFETCH(QString, make);
    QFETCH(int, format);
    QFETCH(QList<int>, numberCols);

    using namespace logfiles;
    QTemporaryDir dir;
    const QString file = dir.filePath(make);
    if (make == u"data.bin") {
        QList<DataRecord> records(3);
        records[0].words = {40000, 0xFFFF, 0x3FC0, 0, 1, 0x8000, 7, 0x1234, 65535, 12};
        records[1].id = -5;
        records[1].words = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        records[2].id = 3;
        records[2].words[9] = 0xBEEF;
        QVERIFY(writeFile(file, dataFile(records)));
    } else if (make == u"records.db") {
        QVERIFY(sql(file,
                    createBuffer(1)
                        + insertBuffer(1, 1, "2013-05-07", "08:04:59",
                                       {"40000", "65535", "-1", "70000", "0", "12"})
                        + insertBuffer(1, 2, "2013-05-07", "08:05:00", {"7", "-32768"})));
    } else {
        AlarmRecord a;
        a.number = 200;
        a.text = u"42";
        AlarmRecord b;
        b.id = 2;
        b.number = 0;
        QVERIFY(writeFile(file, alarmFile({a, b})));
    }
    LogDocument document;
    QCOMPARE(document.open(file).status, LogDocument::Status::Loaded);
    if (format != 0)
        QCOMPARE(document.selectFormat(ValueFormat::AllFormats[format]).status,
                 LogDocument::Status::Loaded);
    const RecordGridModel &grid = document.grid();
    QVERIFY(grid.rows() > 2);

    Run run;
    const QList<int> textColumns
        = exportTextColumns(grid, !document.holdsAlarms(), document.format(), file);
    exportRecordGrid(grid, Language::English, run.recorder, run.progress, run.messages, nullptr,
                     textColumns);
    QVERIFY(run.messages.shown.isEmpty());
    const QStringList log = run.recorder.log();
    for (int r = 1; r < grid.rows(); ++r) {
        for (int c = 1; c < grid.cols(); ++c) {
            const QString text = grid.cell(c, r);
            const QString value = numberCols.contains(c) ? u"<qlonglong:"_s + text + u'>'
                : textColumns.contains(c)                ? u"\"'"_s + text + u'"'
                                                         : u'"' + text + u'"';
            const QString line = u"#1.Cells(%1, %2) := %3"_s.arg(r + 1).arg(c).arg(value);
            QVERIFY2(log.contains(line), qPrintable(line));
        }
    }
}

QTEST_GUILESS_MAIN(TestExcelExport)
void TestExcelExport::textsKeptAsTexts_data()
{
    QTest::addColumn<QList<int>>("textColumns");
    QTest::addColumn<QString>("text");
    // What is typed into worksheet cell (2, 2), from grid cell (2, 1).
    QTest::addColumn<QString>("typed");

    const QList<int> none;
    const QList<int> second {2};
    QTest::newRow("a number as it is") << none << u"12345678"_s << u"12345678"_s;
    QTest::newRow("a number of a text column") << second << u"12345678"_s << u"'12345678"_s;
    QTest::newRow("hex of a text column") << second << u"3FC00000"_s << u"'3FC00000"_s;
    QTest::newRow("an empty cell of a text column") << second << QString() << QString();
    QTest::newRow("a leading apostrophe") << none << u"'5"_s << u"''5"_s;
    QTest::newRow("a leading apostrophe, text column") << second << u"'5"_s << u"''5"_s;
    QTest::newRow("an apostrophe inside") << none << u"a'b"_s << u"a'b"_s;
}

void TestExcelExport::textsKeptAsTexts()
{
    QFETCH(QList<int>, textColumns);
    QFETCH(QString, text);
    QFETCH(QString, typed);

    RecordGridModel grid;
    fillGrid(grid, 4, 3);
    grid.setCell(2, 1, text);
    // Titles are typed as they are.
    grid.setCell(2, 0, u"007"_s);
    Run run;
    exportRecordGrid(grid, Language::English, run.recorder, run.progress, run.messages, nullptr,
                     textColumns);

    const QStringList log = run.recorder.log();
    QVERIFY(log.contains(u"#1.Cells(1, 2) := \"007\""_s));
    QVERIFY2(log.contains(u"#1.Cells(2, 2) := \"%1\""_s.arg(typed)), qPrintable(log.join(u'\n')));
    // The other cells of a text column too; other columns as they are.
    const QString quote = textColumns.isEmpty() ? QString() : u"'"_s;
    const QString other = u"#1.Cells(3, 2) := \""_s + quote + u"2:2\""_s;
    QVERIFY2(log.contains(other), qPrintable(other));
    QVERIFY(log.contains(u"#1.Cells(3, 3) := \"2:3\""_s));
}

#include "tst_excelexport.moc"
