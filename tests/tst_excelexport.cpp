#include "mainwindow/ExcelExport.h"
#include "platform/AutomationRecorder.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Shown
{
    QWidget *owner;
    MessageIcon icon;
    QString caption;
    QString text;
    int progressEventsBefore;
};

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

class MessageLog : public MessageSink
{
public:
    explicit MessageLog(const ProgressLog &progress)
        : m_progress(progress)
    { }
    void showMessage(QWidget *owner, MessageIcon icon, const QString &caption, const QString &text,
                     bool) override
    {
        shown.append({owner, icon, caption, text, int(m_progress.events.size())});
    }
    QList<Shown> shown;

private:
    const ProgressLog &m_progress;
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

// The operations the export must perform, numbered as the recorder numbers
// objects, written out independently of the code under test.
class Expected
{
public:
    int create(const QString &progId)
    {
        lines << u"create %1 = #%2"_s.arg(progId).arg(m_next);
        return m_next++;
    }
    int get(int object, const QString &member, const QString &args = {})
    {
        lines << u"#%1.%2%3 = #%4"_s.arg(object).arg(member, args).arg(m_next);
        obtained << m_next;
        return m_next++;
    }
    void set(int object, const QString &member, const QString &value)
    {
        lines << u"#%1.%2 := %3"_s.arg(object).arg(member, value);
    }
    void release(int object) { lines << u"release #%1"_s.arg(object); }

    QStringList lines;
    QList<int> obtained;

private:
    int m_next = 1;
};

QStringList expectedSequence(const RecordGridModel &grid, const QString &letter)
{
    Expected e;
    const int rows = grid.rows();
    const int app = e.create(u"Excel.application"_s);
    const int sheet = e.create(u"excel.sheet"_s);
    const int workbooks = e.get(app, u"workBooks"_s);
    e.obtained.removeLast(); // the workbook is released at the end, after the chains
    const int book = e.get(workbooks, u"add"_s);
    e.obtained.removeLast();
    e.obtained << workbooks;
    e.release(sheet);

    const QString title = u"(\"A1:"_s + letter + u"1\")"_s;
    const QString whole = u"(\"A1:%1%2\")"_s.arg(letter).arg(rows);
    const QString data = u"(\"A2:%1%2\")"_s.arg(letter).arg(rows);

    e.set(e.get(e.get(app, u"worksheets"_s, u"(1)"_s), u"Rows"_s, u"(1)"_s), u"RowHeight"_s,
          u"18"_s);
    e.set(e.get(e.get(e.get(app, u"worksheets"_s, u"(1)"_s), u"range"_s, title), u"Font"_s),
          u"Size"_s, u"11"_s);
    e.set(e.get(e.get(e.get(app, u"worksheets"_s, u"(1)"_s), u"range"_s, title), u"Font"_s),
          u"Name"_s, u"\"黑体\""_s);
    for (int r = 0; r < rows; ++r)
        for (int c = 1; c < grid.cols(); ++c)
            e.set(app, u"Cells(%1, %2)"_s.arg(r + 1).arg(c), u'"' + grid.cell(c, r) + u'"');
    e.set(e.get(e.get(e.get(app, u"worksheets"_s, u"(1)"_s), u"Range"_s, whole), u"Borders"_s),
          u"LineStyle"_s, u"1"_s);
    e.set(e.get(e.get(app, u"worksheets"_s, u"(1)"_s), u"range"_s, whole), u"HorizontalAlignment"_s,
          u"-4108"_s);
    e.set(e.get(e.get(app, u"worksheets"_s, u"(1)"_s), u"range"_s, whole), u"VerticalAlignment"_s,
          u"-4108"_s);
    e.set(e.get(e.get(e.get(app, u"worksheets"_s, u"(1)"_s), u"range"_s, data), u"Font"_s),
          u"Color"_s, u"32768"_s);
    e.set(e.get(e.get(e.get(app, u"worksheets"_s, u"(1)"_s), u"range"_s, data), u"Font"_s),
          u"Size"_s, u"10"_s);
    e.set(app, u"visible"_s, u"true"_s);
    for (int id : e.obtained)
        e.release(id);
    e.release(book);
    e.release(app);
    return e.lines;
}

void compareLines(const QStringList &actual, const QStringList &expected)
{
    for (qsizetype i = 0; i < std::min(actual.size(), expected.size()); ++i)
        if (actual[i] != expected[i])
            QFAIL(qPrintable(u"line %1: got %2, expected %3"_s.arg(i).arg(actual[i], expected[i])));
    QCOMPARE(actual.size(), expected.size());
}

const QString FailedZh = u"数据导出到Excel时，发生意外失败。请稍候再试！"_s;
const QString FailedEn = u"exported failure occurred. Please try again later！"_s;

} // namespace

class TestExcelExport : public QObject
{
    Q_OBJECT

private slots:
    void operationsOfASmallGrid();
    void operationSequence_data();
    void operationSequence();
    void progressAdvancesBeforeEachRow();
    void noData_data();
    void noData();
    void notInstalled_data();
    void notInstalled();
    void failureInTheMiddle_data();
    void failureInTheMiddle();
    void gridOutsideAWorksheet_data();
    void gridOutsideAWorksheet();
    void lastColumnLetter_data();
    void lastColumnLetter();
};

// One case spelled out line by line, so the generator above is checked too.
void TestExcelExport::operationsOfASmallGrid()
{
    RecordGridModel grid;
    fillGrid(grid, 4, 3);
    AutomationRecorder recorder;
    ProgressLog progress(recorder);
    MessageLog messages(progress);
    exportRecordGrid(grid, true, recorder, progress, messages, nullptr);

    const QStringList expected {
        u"create Excel.application = #1"_s,
        u"create excel.sheet = #2"_s,
        u"#1.workBooks = #3"_s,
        u"#3.add = #4"_s,
        u"release #2"_s,
        u"#1.worksheets(1) = #5"_s,
        u"#5.Rows(1) = #6"_s,
        u"#6.RowHeight := 18"_s,
        u"#1.worksheets(1) = #7"_s,
        u"#7.range(\"A1:C1\") = #8"_s,
        u"#8.Font = #9"_s,
        u"#9.Size := 11"_s,
        u"#1.worksheets(1) = #10"_s,
        u"#10.range(\"A1:C1\") = #11"_s,
        u"#11.Font = #12"_s,
        u"#12.Name := \"黑体\""_s,
        u"#1.Cells(1, 1) := \"T1\""_s,
        u"#1.Cells(1, 2) := \"T2\""_s,
        u"#1.Cells(1, 3) := \"T3\""_s,
        u"#1.Cells(2, 1) := \"1:1\""_s,
        u"#1.Cells(2, 2) := \"1:2\""_s,
        u"#1.Cells(2, 3) := \"1:3\""_s,
        u"#1.Cells(3, 1) := \"2:1\""_s,
        u"#1.Cells(3, 2) := \"2:2\""_s,
        u"#1.Cells(3, 3) := \"2:3\""_s,
        u"#1.worksheets(1) = #13"_s,
        u"#13.Range(\"A1:C3\") = #14"_s,
        u"#14.Borders = #15"_s,
        u"#15.LineStyle := 1"_s,
        u"#1.worksheets(1) = #16"_s,
        u"#16.range(\"A1:C3\") = #17"_s,
        u"#17.HorizontalAlignment := -4108"_s,
        u"#1.worksheets(1) = #18"_s,
        u"#18.range(\"A1:C3\") = #19"_s,
        u"#19.VerticalAlignment := -4108"_s,
        u"#1.worksheets(1) = #20"_s,
        u"#20.range(\"A2:C3\") = #21"_s,
        u"#21.Font = #22"_s,
        u"#22.Color := 32768"_s,
        u"#1.worksheets(1) = #23"_s,
        u"#23.range(\"A2:C3\") = #24"_s,
        u"#24.Font = #25"_s,
        u"#25.Size := 10"_s,
        u"#1.visible := true"_s,
        u"release #3"_s,
        u"release #5"_s,
        u"release #6"_s,
        u"release #7"_s,
        u"release #8"_s,
        u"release #9"_s,
        u"release #10"_s,
        u"release #11"_s,
        u"release #12"_s,
        u"release #13"_s,
        u"release #14"_s,
        u"release #15"_s,
        u"release #16"_s,
        u"release #17"_s,
        u"release #18"_s,
        u"release #19"_s,
        u"release #20"_s,
        u"release #21"_s,
        u"release #22"_s,
        u"release #23"_s,
        u"release #24"_s,
        u"release #25"_s,
        u"release #4"_s,
        u"release #1"_s,
    };
    compareLines(recorder.log(), expected);
    compareLines(expectedSequence(grid, u"C"_s), expected);
    QVERIFY(messages.shown.isEmpty());
}

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
    AutomationRecorder recorder;
    ProgressLog progress(recorder);
    MessageLog messages(progress);
    exportRecordGrid(grid, false, recorder, progress, messages, nullptr);

    compareLines(recorder.log(), expectedSequence(grid, letter));
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(recorder.liveObjects(), 0);
    QCOMPARE(progress.events.first(), u"start %1"_s.arg(rows - 1));
    QCOMPARE(progress.events.last(), u"finish"_s);
    QCOMPARE(progress.events.size(), rows - 1 + 2);
}

void TestExcelExport::progressAdvancesBeforeEachRow()
{
    RecordGridModel grid;
    fillGrid(grid, 8, 6);
    AutomationRecorder recorder;
    ProgressLog progress(recorder);
    MessageLog messages(progress);
    exportRecordGrid(grid, true, recorder, progress, messages, nullptr);

    const QStringList log = recorder.log();
    // The bar appears after the titles and before the first record.
    QCOMPARE(progress.events[0], u"start 5"_s);
    QCOMPARE(log[progress.at[0] - 1], u"#1.Cells(1, 7) := \"T7\""_s);
    for (int i = 1; i <= 5; ++i) {
        QCOMPARE(progress.events[i], u"pos %1"_s.arg(i));
        QCOMPARE(log[progress.at[i]], u"#1.Cells(%1, 1) := \"%2:1\""_s.arg(i + 1).arg(i));
    }
    // Hidden once everything is set, objects still held until the end.
    QCOMPARE(log[progress.at[6] - 1], u"#1.visible := true"_s);
}

void TestExcelExport::noData_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<bool>("withRecord");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty grid, Chinese") << true << false << u"错误"_s << u"没有可用数据导出 ！"_s;
    QTest::newRow("empty grid, English")
        << false << false << u"Error"_s << u"No data is available for export!"_s;
    QTest::newRow("a single record, Chinese")
        << true << true << u"错误"_s << u"没有可用数据导出 ！"_s;
    QTest::newRow("a single record, English")
        << false << true << u"Error"_s << u"No data is available for export!"_s;
}

void TestExcelExport::noData()
{
    QFETCH(bool, chinese);
    QFETCH(bool, withRecord);
    QFETCH(QString, caption);
    QFETCH(QString, text);

    RecordGridModel grid;
    if (withRecord)
        fillGrid(grid, 13, 2);
    QCOMPARE(grid.rows(), 2);
    AutomationRecorder recorder;
    ProgressLog progress(recorder);
    MessageLog messages(progress);
    QWidget *owner = reinterpret_cast<QWidget *>(this);
    exportRecordGrid(grid, chinese, recorder, progress, messages, owner);

    QVERIFY(recorder.log().isEmpty());
    QVERIFY(progress.events.isEmpty());
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].owner, owner);
    QCOMPARE(messages.shown[0].icon, MessageIcon::Warning);
    QCOMPARE(messages.shown[0].caption, caption);
    QCOMPARE(messages.shown[0].text, text);
}

void TestExcelExport::notInstalled_data()
{
    QTest::addColumn<QString>("refused");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");

    const QString zh = u"未发现系统中安装了Microsoft Excel，在使用该功能前，请先将其安装！"_s;
    const QString en
        = u"No Excel was installed in the system. Please install it before using this function！"_s;
    const QStringList noApp {u"create Excel.application = null"_s};
    const QStringList noSheet {u"create Excel.application = #1"_s, u"create excel.sheet = null"_s,
                               u"release #1"_s};
    QTest::newRow("no application, Chinese")
        << u"Excel.application"_s << true << noApp << u"错误"_s << zh;
    QTest::newRow("no application, English")
        << u"Excel.application"_s << false << noApp << u"Error"_s << en;
    QTest::newRow("no sheet object, Chinese")
        << u"excel.sheet"_s << true << noSheet << u"错误"_s << zh;
    QTest::newRow("no sheet object, English")
        << u"excel.sheet"_s << false << noSheet << u"Error"_s << en;
}

void TestExcelExport::notInstalled()
{
    QFETCH(QString, refused);
    QFETCH(bool, chinese);
    QFETCH(QStringList, log);
    QFETCH(QString, caption);
    QFETCH(QString, text);

    RecordGridModel grid;
    fillGrid(grid, 13, 5);
    AutomationRecorder recorder;
    recorder.refuseCreate(refused);
    ProgressLog progress(recorder);
    MessageLog messages(progress);
    exportRecordGrid(grid, chinese, recorder, progress, messages, nullptr);

    compareLines(recorder.log(), log);
    QVERIFY(progress.events.isEmpty());
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].icon, MessageIcon::Warning);
    QCOMPARE(messages.shown[0].caption, caption);
    QCOMPARE(messages.shown[0].text, text);
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

    AutomationRecorder recorder;
    recorder.failAtLine(int(index));
    ProgressLog progress(recorder);
    MessageLog messages(progress);
    exportRecordGrid(grid, chinese, recorder, progress, messages, nullptr);

    const QStringList log = recorder.log();
    // Everything up to the failure as usual, then nothing but releases.
    QCOMPARE(log.mid(0, index), full.mid(0, index));
    QCOMPARE(log[index], failingLine + u" failed"_s);
    for (qsizetype i = index + 1; i < log.size(); ++i)
        QVERIFY2(log[i].startsWith(u"release #"_s), qPrintable(log[i]));
    QCOMPARE(log.last(), u"release #1"_s);
    QCOMPARE(recorder.liveObjects(), 0);

    QCOMPARE(progress.events.first() == u"start 3"_s, barShown);
    QCOMPARE(progress.events.last(), u"finish"_s);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].icon, MessageIcon::Error);
    QCOMPARE(messages.shown[0].caption, chinese ? u"错误"_s : u"Error"_s);
    QCOMPARE(messages.shown[0].text, chinese ? FailedZh : FailedEn);
    // The bar is hidden before the message appears.
    QCOMPARE(messages.shown[0].progressEventsBefore, int(progress.events.size()));
}

void TestExcelExport::gridOutsideAWorksheet_data()
{
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("rows");

    QTest::newRow("28 columns: past Z") << 28 << 3;
    QTest::newRow("one column: nothing to export") << 1 << 3;
    QTest::newRow("one row more than a worksheet") << 2 << 1048577;
}

void TestExcelExport::gridOutsideAWorksheet()
{
    QFETCH(int, cols);
    QFETCH(int, rows);

    RecordGridModel grid;
    grid.setCols(cols);
    grid.setRows(rows);
    AutomationRecorder recorder;
    ProgressLog progress(recorder);
    MessageLog messages(progress);
    exportRecordGrid(grid, false, recorder, progress, messages, nullptr);

    for (const QString &line : recorder.log())
        QVERIFY2(!line.contains(u"Cells"_s) && !line.contains(u"visible"_s), qPrintable(line));
    QCOMPARE(recorder.liveObjects(), 0);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].icon, MessageIcon::Error);
    QCOMPARE(messages.shown[0].text, FailedEn);
    QCOMPARE(progress.events, QStringList {u"finish"_s});
}

void TestExcelExport::lastColumnLetter_data()
{
    QTest::addColumn<int>("cols");
    QTest::addColumn<QString>("letter");

    QTest::newRow("2") << 2 << u"A"_s;
    QTest::newRow("4") << 4 << u"C"_s;
    QTest::newRow("8") << 8 << u"G"_s;
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

QTEST_GUILESS_MAIN(TestExcelExport)
#include "tst_excelexport.moc"
