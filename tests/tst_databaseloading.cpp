#include "logfiles/DatabaseLoading.h"
#include "records/GridLayout.h"
#include "records/RecordGridModel.h"
#include "support/LogFiles.h"
#include "texts/MainTexts.h"

#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstring>

using namespace Qt::StringLiterals;
using namespace logfiles;
using Format = ValueFormat::Format;

using Rows = QList<QStringList>;

namespace {

QStringList row(const RecordGridModel &grid, int r)
{
    QStringList cells;
    for (int c = 0; c < grid.cols(); ++c)
        cells << grid.cell(c, r);
    return cells;
}

// The grid as opening leaves it before the alarm loader runs.
void prepareAlarmList(RecordGridModel &grid)
{
    grid.makeEmpty();
    GridLayout::setAlarmList(grid, Language::Chinese);
}

const QStringList AlarmTitles = {u"数据ID"_s, u"报警时间"_s, u"报警编号"_s, u"报警内容"_s};

// A grid with something in every cell, to see what a load leaves alone.
void fillSentinel(RecordGridModel &grid)
{
    grid.makeEmpty();
    GridLayout::setDataRecords(grid, Language::Chinese, ValueFormat::Format::Unsigned16);
    grid.setRows(4);
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < grid.cols(); ++c)
            grid.setCell(c, r, u"old %1/%2"_s.arg(c).arg(r));
}

QList<QStringList> snapshot(const RecordGridModel &grid)
{
    QList<QStringList> rows;
    for (int r = 0; r < grid.rows(); ++r)
        rows << row(grid, r);
    return rows;
}

// Values N3..N12 of the row that shows every format's rule.
const QList<QByteArray> MixedValues
    = {"0", "16320", "65535", "65535", "0", "32768", "-1", "1", "40000", "70000"};

} // namespace

class TestDatabaseLoading : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void alarmTable_data();
    void alarmTable();

    void dataRecords_data();
    void dataRecords();
    void valuesInEveryFormat_data();
    void valuesInEveryFormat();
    void bufferWithoutRowsLeavesGridUntouched();
    void failedLoadsReportNotCreated_data();
    void failedLoadsReportNotCreated();
    void largeBufferFromSampleTool();
    void bufferQueryText_data();
    void bufferQueryText();

    void loadsLeaveFolderUnchanged_data();
    void loadsLeaveFolderUnchanged();
    void lockedDatabaseShowsNoUncommittedRows();
    void runawayQueriesAreRefused_data();
    void runawayQueriesAreRefused();
    void tooLargeMessage_data();
    void tooLargeMessage();
    void failuresNameTheirCause_data();
    void failuresNameTheirCause();
    void textWithNulReachesGridWhole_data();
    void textWithNulReachesGridWhole();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDatabaseLoading::initTestCase()
{
    QVERIFY(QTemporaryDir().isValid());
}

void TestDatabaseLoading::init()
{
    // A fresh folder per case: no file of one case is seen by another.
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestDatabaseLoading::alarmTable_data()
{
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<bool>("fetched");
    QTest::addColumn<bool>("failed");
    QTest::addColumn<int>("rows");
    QTest::addColumn<Rows>("cells"); // rows from 1 on

    const QByteArray table = "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 TEXT, N2 TEXT);";
    const QStringList empty4 = {QString(), QString(), QString(), QString()};

    QTest::newRow("empty table: title row alone") << table << true << false << 1 << Rows {};
    QTest::newRow("empty table lacking columns")
        << QByteArray("CREATE TABLE Ldata (ID INTEGER, N0 TEXT);") << true << false << 1 << Rows {};
    QTest::newRow("one alarm")
        << table + "INSERT INTO Ldata VALUES (7, '2013-05-07 08:04:59', '12', 'Motor hot');" << true
        << false << 2 << Rows {{u"7"_s, u"2013-05-07 08:04:59"_s, u"12"_s, u"Motor hot"_s}};
    QTest::newRow("rows in query order, texts as stored")
        << table
            + "INSERT INTO Ldata VALUES (3, '  13/5/7', '007', 'a, \"b\"');"
              "INSERT INTO Ldata VALUES (-9223372036854775808, '', NULL, NULL);"
              "INSERT INTO Ldata VALUES (1, 'x', 'y', 'z');"
        << true << false << 4
        << Rows {{u"3"_s, u"  13/5/7"_s, u"007"_s, u"a, \"b\""_s},
                 {u"-9223372036854775808"_s, QString(), QString(), QString()},
                 {u"1"_s, u"x"_s, u"y"_s, u"z"_s}};
    QTest::newRow("NULL ID shows 0")
        << table + "INSERT INTO Ldata VALUES (NULL, 't', 'n', 'text');" << true << false << 2
        << Rows {{u"0"_s, u"t"_s, u"n"_s, u"text"_s}};
    QTest::newRow("real ID is cut to an integer")
        << QByteArray("CREATE TABLE Ldata (ID REAL, N0 TEXT, N1 TEXT, N2 TEXT);"
                      "INSERT INTO Ldata VALUES (41.9, 't', 'n', 'x');")
        << true << false << 2 << Rows {{u"41"_s, u"t"_s, u"n"_s, u"x"_s}};
    QTest::newRow("lower-case names, extra columns, other order")
        << QByteArray("CREATE TABLE Ldata (extra TEXT, n2 TEXT, n1 TEXT, n0 TEXT, id INTEGER);"
                      "INSERT INTO Ldata VALUES ('no', 'text', 'num', 'time', 5);")
        << true << false << 2 << Rows {{u"5"_s, u"time"_s, u"num"_s, u"text"_s}};
    QTest::newRow("Chinese UTF-8 text")
        << table + "INSERT INTO Ldata VALUES (1, 't', '3', '电机过热，请检查');" << true << false
        << 2 << Rows {{u"1"_s, u"t"_s, u"3"_s, u"电机过热，请检查"_s}};
    QTest::newRow("text ending in the single byte C3")
        << table + "INSERT INTO Ldata VALUES (1, 't', '3', CAST(X'6F6BC3' AS TEXT));" << true
        << false << 2 << Rows {{u"1"_s, u"t"_s, u"3"_s, u"ok\uFFFD"_s}};
    QTest::newRow("Chinese text cut inside a character: one U+FFFD per byte")
        << table + "INSERT INTO Ldata VALUES (1, 't', '3', CAST(X'E794B5E69CBAE8BF' AS TEXT));"
        << true << false << 2 << Rows {{u"1"_s, u"t"_s, u"3"_s, u"电机\uFFFD\uFFFD"_s}};
    QTest::newRow("lead byte without continuation")
        << table + "INSERT INTO Ldata VALUES (1, CAST(X'41E441' AS TEXT), '3', 'x');" << true
        << false << 2 << Rows {{u"1"_s, u"A\uFFFDA"_s, u"3"_s, u"x"_s}};
    QTest::newRow("unreadable ID in the fifth row keeps rows 1 to 4")
        << QByteArray("CREATE TABLE Ldata (ID TEXT, N0 TEXT, N1 TEXT, N2 TEXT);"
                      "INSERT INTO Ldata VALUES (NULL, 'a1', 'b1', 'c1');"
                      "INSERT INTO Ldata VALUES (NULL, 'a2', 'b2', 'c2');"
                      "INSERT INTO Ldata VALUES (NULL, 'a3', 'b3', 'c3');"
                      "INSERT INTO Ldata VALUES (NULL, 'a4', 'b4', 'c4');"
                      "INSERT INTO Ldata VALUES ('five', 'a5', 'b5', 'c5');"
                      "INSERT INTO Ldata VALUES (NULL, 'a6', 'b6', 'c6');")
        << true << true << 7
        << Rows {{u"0"_s, u"a1"_s, u"b1"_s, u"c1"_s},
                 {u"0"_s, u"a2"_s, u"b2"_s, u"c2"_s},
                 {u"0"_s, u"a3"_s, u"b3"_s, u"c3"_s},
                 {u"0"_s, u"a4"_s, u"b4"_s, u"c4"_s},
                 empty4,
                 empty4};
    QTest::newRow("missing column with rows: first row as far as written")
        << QByteArray("CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 TEXT);"
                      "INSERT INTO Ldata VALUES (1, 't', 'n');"
                      "INSERT INTO Ldata VALUES (2, 't', 'n');")
        << true << true << 3 << Rows {{u"1"_s, u"t"_s, u"n"_s, QString()}, empty4};
    QTest::newRow("no table Ldata: titles and one empty row")
        << QByteArray(createBuffer(1) + insertBuffer(1, 1, "d", "t", {})) << false << true << 2
        << Rows {empty4};
}

void TestDatabaseLoading::alarmTable()
{
    QFETCH(QByteArray, setup);
    QFETCH(bool, fetched);
    QFETCH(bool, failed);
    QFETCH(int, rows);
    QFETCH(Rows, cells);

    const QString file = path(u"Alarm.db"_s);
    QVERIFY(sql(file, setup));
    RecordGridModel grid;
    prepareAlarmList(grid);
    const AlarmLoadResult result = loadAlarmDatabase(file, grid);
    QCOMPARE(result.fetched, fetched);
    QCOMPARE(result.failed, failed);
    QCOMPARE(grid.rows(), rows);
    QCOMPARE(grid.cols(), 4);
    QCOMPARE(row(grid, 0), AlarmTitles);
    // Widths stay as opening set them.
    QCOMPARE(grid.colWidth(1), 150);
    QCOMPARE(grid.colWidth(3), 200);
    for (int r = 0; r < cells.size(); ++r)
        QCOMPARE(row(grid, r + 1), cells.at(r));
}

void TestDatabaseLoading::dataRecords_data()
{
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<int>("buffer");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<int>("rows");
    QTest::addColumn<Rows>("cells"); // from row 0, the first columns of each

    QTest::newRow("one row: 2 grid rows")
        << QByteArray(createBuffer(1) + insertBuffer(1, 42, "2013-05-07", "08:04:59", MixedValues))
        << 1 << true << 2
        << Rows {{u"数据ID"_s, u"记录日期"_s, u"记录时间"_s, u"数据(0)"_s},
                 {u"42"_s, u"2013-05-07"_s, u"08:04:59"_s, u"0"_s}};
    QTest::newRow("buffer 12, English titles, rows in query order")
        << QByteArray(createBuffer(1) + createBuffer(12) + insertBuffer(12, 9, "d9", "t9", {"1"})
                      + insertBuffer(12, -3, "d", "t", {})
                      + insertBuffer(12, 5, "d5", "t5", {"65535"}))
        << 12 << false << 4
        << Rows {{u"Data ID"_s, u"Record Date"_s, u"Record Time"_s, u"Data(0)"_s},
                 {u"9"_s, u"d9"_s, u"t9"_s, u"1"_s},
                 {u"-3"_s, u"d"_s, u"t"_s, u"0"_s},
                 {u"5"_s, u"d5"_s, u"t5"_s, u"65535"_s}};
    QTest::newRow("lower-case column names")
        << QByteArray("CREATE TABLE Buffer2 (id INTEGER, n1 TEXT, n2 TEXT, n3 INTEGER, n4, n5, n6, "
                      "n7, n8, n9, n10, n11, n12);"
                      "INSERT INTO Buffer2 VALUES (1, 'a', 'b', 7, 0, 0, 0, 0, 0, 0, 0, 0, 0);"
                      "INSERT INTO Buffer2 VALUES (2, 'c', 'd', 8, 0, 0, 0, 0, 0, 0, 0, 0, 0);")
        << 2 << true << 3
        << Rows {{u"数据ID"_s, u"记录日期"_s, u"记录时间"_s, u"数据(0)"_s},
                 {u"1"_s, u"a"_s, u"b"_s, u"7"_s},
                 {u"2"_s, u"c"_s, u"d"_s, u"8"_s}};
    QTest::newRow("NULL ID, date and time")
        << QByteArray(createBuffer(3)
                      + "INSERT INTO Buffer3 VALUES (NULL, NULL, NULL, 1,2,3,4,5,6,7,8,9,10);"
                        "INSERT INTO Buffer3 VALUES (2, 'x', 'y', 1,2,3,4,5,6,7,8,9,10);")
        << 3 << true << 3
        << Rows {{u"数据ID"_s, u"记录日期"_s, u"记录时间"_s, u"数据(0)"_s},
                 {u"0"_s, QString(), QString(), u"1"_s},
                 {u"2"_s, u"x"_s, u"y"_s, u"1"_s}};
    QTest::newRow("date and time shown exactly as stored")
        << QByteArray(createBuffer(1) + insertBuffer(1, 1, "2013/5/7 ", "8:4:59.000", {})
                      + insertBuffer(1, 2, "日期", "a,b", {}))
        << 1 << true << 3
        << Rows {{u"数据ID"_s, u"记录日期"_s, u"记录时间"_s, u"数据(0)"_s},
                 {u"1"_s, u"2013/5/7 "_s, u"8:4:59.000"_s, u"0"_s},
                 {u"2"_s, u"日期"_s, u"a,b"_s, u"0"_s}};
}

void TestDatabaseLoading::dataRecords()
{
    QFETCH(QByteArray, setup);
    QFETCH(int, buffer);
    QFETCH(bool, chinese);
    QFETCH(int, rows);
    QFETCH(Rows, cells);

    const QString file = path(u"records.db"_s);
    QVERIFY(sql(file, setup));
    RecordGridModel grid;
    fillSentinel(grid);
    grid.setRows(rows + 5); // more rows than the load: they must go
    const RecordLoadResult result = loadDataRecords(
        file, buffer, Format::Unsigned16, (chinese ? Language::Chinese : Language::English), grid);
    QCOMPARE(result.status, RecordLoadStatus::Loaded);
    QVERIFY(result.fetchedRows);
    QCOMPARE(grid.rows(), rows);
    QCOMPARE(grid.cols(), 13);
    QCOMPARE(grid.colWidth(0), 60);
    QCOMPARE(grid.colWidth(1), 80);
    QCOMPARE(grid.colWidth(12), 60);
    for (int r = 0; r < cells.size(); ++r)
        QCOMPARE(row(grid, r).mid(0, 4), cells.at(r));
    QCOMPARE(grid.cell(12, 0), chinese ? u"数据(9)"_s : u"Data(9)"_s);
    for (int r = 1; r < rows; ++r)
        for (int c = 0; c < 13; ++c)
            QVERIFY2(!grid.cell(c, r).startsWith(u"old"_s), "a cell of the earlier grid is left");
}

void TestDatabaseLoading::valuesInEveryFormat_data()
{
    QTest::addColumn<QList<QByteArray>>("values");
    QTest::addColumn<int>("format");
    QTest::addColumn<QStringList>("cells"); // the value columns of row 1

    QTest::newRow("format 0: as stored")
        << MixedValues << 0
        << QStringList {u"0"_s,     u"16320"_s, u"65535"_s, u"65535"_s, u"0"_s,
                        u"32768"_s, u"-1"_s,    u"1"_s,     u"40000"_s, u"70000"_s};
    QTest::newRow("format 1: low 16 bits signed")
        << MixedValues << 1
        << QStringList {u"0"_s,      u"16320"_s, u"-1"_s, u"-1"_s,     u"0"_s,
                        u"-32768"_s, u"-1"_s,    u"1"_s,  u"-25536"_s, u"4464"_s};
    QTest::newRow("format 2: N3 low, N4 high")
        << MixedValues << 2
        << QStringList {u"1069547520"_s, u"-1"_s, u"-2147483648"_s, u"65535"_s, u"292592704"_s};
    QTest::newRow("format 3") << MixedValues << 3
                              << QStringList {u"3FC00000"_s, u"FFFFFFFF"_s, u"80000000"_s,
                                              u"0000FFFF"_s, u"11709C40"_s};
    QTest::newRow("format 4") << MixedValues << 4
                              << QStringList {u"1.500000"_s, u"NAN"_s, u"0.000000"_s, u"0.000000"_s,
                                              u"0.000000"_s};

    const QList<QByteArray> nullN5 = {"1", "2", "NULL", "16320", "5", "6", "7", "8", "9", "10"};
    QTest::newRow("NULL in N5, format 0: empty cell")
        << nullN5 << 0 << QStringList {u"1"_s, u"2"_s, QString(), u"16320"_s, u"5"_s,
                                       u"6"_s, u"7"_s, u"8"_s,    u"9"_s,     u"10"_s};
    QTest::newRow("NULL in N5, format 4: 0.0 in that pair only")
        << nullN5 << 4
        << QStringList {u"0.000000"_s, u"0.0"_s, u"0.000000"_s, u"0.000000"_s, u"0.000000"_s};
    const QList<QByteArray> floats
        = {"0", "16320", "NULL", "16320", "0", "49088", "'abc'", "17096", "0", "0"};
    QTest::newRow("format 4: unreadable texts give 0.0, other pairs convert")
        << floats << 4
        << QStringList {u"1.500000"_s, u"0.0"_s, u"-1.500000"_s, u"0.0"_s, u"0.000000"_s};
}

void TestDatabaseLoading::valuesInEveryFormat()
{
    QFETCH(QList<QByteArray>, values);
    QFETCH(int, format);
    QFETCH(QStringList, cells);

    const QString file = path(u"formats.db"_s);
    // Untyped value columns keep texts such as 'abc' as they are.
    QVERIFY(sql(file,
                createBuffer(1, "") + insertBuffer(1, 1, "d", "t", values)
                    + insertBuffer(1, 2, "d", "t", values)));
    RecordGridModel grid;
    fillSentinel(grid);
    const RecordLoadResult result
        = loadDataRecords(file, 1, Format(format), Language::English, grid);
    QCOMPARE(result.status, RecordLoadStatus::Loaded);
    const bool wide = format >= 2;
    QCOMPARE(grid.cols(), wide ? 8 : 13);
    QCOMPARE(grid.colWidth(3), wide ? 120 : 60);
    QCOMPARE(grid.colWidth(2), 80);
    QCOMPARE(grid.cell(4, 0), wide ? u"Data(2)"_s : u"Data(1)"_s);
    QCOMPARE(row(grid, 1).mid(3), cells);
    QCOMPARE(row(grid, 2).mid(1), row(grid, 1).mid(1));
}

void TestDatabaseLoading::bufferWithoutRowsLeavesGridUntouched()
{
    const QString file = path(u"records.db"_s);
    QVERIFY(sql(file, createBuffer(1) + insertBuffer(1, 1, "d", "t", {}) + createBuffer(2)));
    RecordGridModel grid;
    fillSentinel(grid);
    grid.setColWidth(4, 99);
    const auto before = snapshot(grid);
    for (int format = 0; format < 5; ++format) {
        const RecordLoadResult result
            = loadDataRecords(file, 2, Format(format), Language::Chinese, grid);
        QCOMPARE(result.status, RecordLoadStatus::NoData);
        QVERIFY(!result.fetchedRows);
        QCOMPARE(snapshot(grid), before);
        QCOMPARE(grid.colWidth(4), 99);
    }
}

void TestDatabaseLoading::failedLoadsReportNotCreated_data()
{
    QTest::addColumn<QByteArray>("setup"); // empty: the file is written from `bytes`
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("buffer");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("fetchedRows");

    const QByteArray one = createBuffer(1) + insertBuffer(1, 1, "d", "t", MixedValues);
    QTest::newRow("no table Buffer12") << one << QByteArray() << 12 << 0 << false;
    QTest::newRow("missing N12") << QByteArray(
        "CREATE TABLE Buffer1 (ID, N1, N2, N3, N4, N5, N6, N7, N8, N9, N10, N11);"
        "INSERT INTO Buffer1 VALUES (1,'d','t',1,2,3,4,5,6,7,8,9);")
                                 << QByteArray() << 1 << 0 << true;
    QTest::newRow("missing N1") << QByteArray(
        "CREATE TABLE Buffer1 (ID, N2, N3, N4, N5, N6, N7, N8, N9, N10, N11, N12);"
        "INSERT INTO Buffer1 VALUES (1,'t',1,2,3,4,5,6,7,8,9,10);")
                                << QByteArray() << 1 << 0 << true;
    QTest::newRow("ID that is no integer") << QByteArray(
        "CREATE TABLE Buffer1 (ID TEXT, N1, N2, N3, N4, N5, N6, N7, N8, N9, N10, N11, N12);"
        "INSERT INTO Buffer1 VALUES (NULL,'d','t',1,2,3,4,5,6,7,8,9,10);"
        "INSERT INTO Buffer1 VALUES ('x1','d','t',1,2,3,4,5,6,7,8,9,10);")
                                           << QByteArray() << 1 << 0 << true;
    const QList<QByteArray> nullN5 = {"1", "2", "NULL", "4", "5", "6", "7", "8", "9", "10"};
    const QByteArray withNull = createBuffer(1) + insertBuffer(1, 1, "d", "t", MixedValues)
        + insertBuffer(1, 2, "d", "t", nullN5);
    QTest::newRow("NULL in N5, format 1") << withNull << QByteArray() << 1 << 1 << true;
    QTest::newRow("NULL in N5, format 2") << withNull << QByteArray() << 1 << 2 << true;
    QTest::newRow("NULL in N5, format 3") << withNull << QByteArray() << 1 << 3 << true;
    const QList<QByteArray> real = {"1.5", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    QTest::newRow("real number, format 2")
        << QByteArray(createBuffer(1, "") + insertBuffer(1, 1, "d", "t", real)) << QByteArray() << 1
        << 2 << true;
    const QList<QByteArray> big = {"2147483648", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    QTest::newRow("beyond 32 bits, format 1")
        << QByteArray(createBuffer(1) + insertBuffer(1, 1, "d", "t", big)) << QByteArray() << 1 << 1
        << true;
    QTest::newRow("text file") << QByteArray() << QByteArray(100, 'x') << 1 << 0 << false;
    QTest::newRow("SQLite header, garbage after")
        << QByteArray() << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\xA5') << 1 << 0
        << false;
}

void TestDatabaseLoading::failedLoadsReportNotCreated()
{
    QFETCH(QByteArray, setup);
    QFETCH(QByteArray, bytes);
    QFETCH(int, buffer);
    QFETCH(int, format);
    QFETCH(bool, fetchedRows);

    const QString file = path(u"records.db"_s);
    QVERIFY(setup.isEmpty() ? writeFile(file, bytes) : sql(file, setup));
    RecordGridModel grid;
    fillSentinel(grid);
    const RecordLoadResult result
        = loadDataRecords(file, buffer, Format(format), Language::Chinese, grid);
    QCOMPARE(result.status, RecordLoadStatus::NotCreated);
    QCOMPARE(result.fetchedRows, fetchedRows);
}

void TestDatabaseLoading::largeBufferFromSampleTool()
{
    const QString file = path(u"sample.db"_s);
    QVERIFY(makeSample(
        {u"data-db"_s, file, u"--records"_s, u"3"_s, u"--buffers"_s, u"1:250,2:0,12:-"_s}));
    RecordGridModel grid;
    RecordLoadResult result = loadDataRecords(file, 1, Format::Unsigned16, Language::Chinese, grid);
    QCOMPARE(result.status, RecordLoadStatus::Loaded);
    QCOMPARE(grid.rows(), 251);
    QCOMPARE(grid.recordCount(), 250);
    QCOMPARE(grid.cell(0, 250), u"250"_s);
    QCOMPARE(grid.cell(3, 0), u"数据(0)"_s);
    QCOMPARE(grid.cell(12, 0), u"数据(9)"_s);
    // Every value of a sample is a 16-bit word, readable in every format.
    for (int format = 1; format < 5; ++format) {
        result = loadDataRecords(file, 1, Format(format), Language::Chinese, grid);
        QCOMPARE(result.status, RecordLoadStatus::Loaded);
        QCOMPARE(grid.rows(), 251);
    }
    QCOMPARE(loadDataRecords(file, 2, Format::Unsigned16, Language::Chinese, grid).status,
             RecordLoadStatus::NoData);
    QCOMPARE(loadDataRecords(file, 3, Format::Unsigned16, Language::Chinese, grid).status,
             RecordLoadStatus::Loaded);
    QCOMPARE(grid.rows(), 4);
    QCOMPARE(loadDataRecords(file, 12, Format::Unsigned16, Language::Chinese, grid).status,
             RecordLoadStatus::NotCreated);
}

void TestDatabaseLoading::bufferQueryText_data()
{
    QTest::addColumn<int>("buffer");
    QTest::addColumn<QString>("query");
    QTest::newRow("1") << 1 << u"select * from Buffer1"_s;
    QTest::newRow("12") << 12 << u"select * from Buffer12"_s;
}

void TestDatabaseLoading::bufferQueryText()
{
    QFETCH(int, buffer);
    QFETCH(QString, query);
    QCOMPARE(bufferQuery(buffer), query);
}

void TestDatabaseLoading::loadsLeaveFolderUnchanged_data()
{
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<bool>("alarms");
    const QByteArray records = createBuffer(1) + insertBuffer(1, 1, "d", "t", MixedValues);
    const QByteArray alarms = "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 TEXT, N2 TEXT);"
                              "INSERT INTO Ldata VALUES (1, 't', 'n', 'x');";
    QTest::newRow("data records") << records << false;
    QTest::newRow("data records, WAL mode") << "PRAGMA journal_mode=WAL;" + records << false;
    QTest::newRow("alarms") << alarms << true;
    QTest::newRow("alarms, WAL mode") << "PRAGMA journal_mode=WAL;" + alarms << true;
    QTest::newRow("missing table") << QByteArray("CREATE TABLE t (a);") << false;
}

void TestDatabaseLoading::loadsLeaveFolderUnchanged()
{
    QFETCH(QByteArray, setup);
    QFETCH(bool, alarms);
    const QString file = path(alarms ? u"Alarm.db"_s : u"records.db"_s);
    QVERIFY(sql(file, setup));
    const auto before = folderState(m_dir->path());
    QCOMPARE(before.size(), 1); // the database alone
    RecordGridModel grid;
    for (int round = 0; round < 2; ++round) {
        if (alarms) {
            prepareAlarmList(grid);
            QVERIFY(!loadAlarmDatabase(file, grid).failed);
            QCOMPARE(grid.cell(3, 1), u"x"_s);
        } else {
            for (int format = 0; format < 5; ++format)
                loadDataRecords(file, 1, Format(format), Language::Chinese, grid);
            loadDataRecords(file, 7, Format::Unsigned16, Language::Chinese, grid);
        }
        QCOMPARE(folderState(m_dir->path()), before);
    }
    // A missing file is not created by trying to load it.
    const QString missing = path(u"missing.db"_s);
    QCOMPARE(loadDataRecords(missing, 1, Format::Unsigned16, Language::Chinese, grid).status,
             RecordLoadStatus::NotCreated);
    prepareAlarmList(grid);
    QVERIFY(loadAlarmDatabase(missing, grid).failed);
    QCOMPARE(folderState(m_dir->path()), before);
}

void TestDatabaseLoading::lockedDatabaseShowsNoUncommittedRows()
{
    const QString file = path(u"records.db"_s);
    QVERIFY(
        sql(file,
            createBuffer(1) + insertBuffer(1, 1, "d", "t", {}) + insertBuffer(1, 2, "d", "t", {})));
    // Another program holds the database locked in the middle of a write.
    sqlite3 *writer = nullptr;
    QCOMPARE(sqlite3_open(file.toUtf8().constData(), &writer), SQLITE_OK);
    const auto closeWriter = qScopeGuard([&] { sqlite3_close(writer); });
    QCOMPARE(sqlite3_exec(writer,
                          "BEGIN EXCLUSIVE; INSERT INTO Buffer1 (ID) VALUES (3);"
                          "UPDATE Buffer1 SET N1 = 'uncommitted';",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    const auto before = folderState(m_dir->path());
    RecordGridModel grid;
    fillSentinel(grid);
    const RecordLoadResult result
        = loadDataRecords(file, 1, Format::Unsigned16, Language::Chinese, grid);
    QCOMPARE(folderState(m_dir->path()), before);
    if (result.status == RecordLoadStatus::Loaded) {
        // The committed rows, as they were before the write began.
        QCOMPARE(grid.rows(), 3);
        QCOMPARE(grid.cell(1, 1), u"d"_s);
        QCOMPARE(grid.cell(1, 2), u"d"_s);
    } else {
        QCOMPARE(result.status, RecordLoadStatus::NotCreated);
    }
    QCOMPARE(sqlite3_exec(writer, "COMMIT;", nullptr, nullptr, nullptr), SQLITE_OK);
    QCOMPARE(loadDataRecords(file, 1, Format::Unsigned16, Language::Chinese, grid).status,
             RecordLoadStatus::Loaded);
    QCOMPARE(grid.rows(), 4);
    QCOMPARE(grid.cell(1, 3), u"uncommitted"_s);
}

void TestDatabaseLoading::runawayQueriesAreRefused_data()
{
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<bool>("alarms");
    QTest::addColumn<bool>("atRowLimit"); // else stopped by memory first
    const QByteArray columns = "n AS ID, 'd' AS N1, 't' AS N2, 1 AS N3, 2 AS N4, 3 AS N5, 4 AS N6,"
                               " 5 AS N7, 6 AS N8, 7 AS N9, 8 AS N10, 9 AS N11, 10 AS N12";
    const QByteArray endless = "WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) ";
    const QByteArray ten = "CREATE TABLE t (n INTEGER);"
                           "INSERT INTO t VALUES (0), (1), (2), (3), (4), (5), (6), (7), (8), (9);";
    QTest::newRow("recursive view")
        << "CREATE VIEW Buffer1 AS " + endless + "SELECT " + columns + " FROM r;" << false << true;
    // Sorting an endless set yields no row at all: only the library's memory grows.
    QTest::newRow("recursive view, sorted")
        << "CREATE VIEW Buffer1 AS " + endless + "SELECT " + columns + " FROM r ORDER BY n DESC;"
        << false << false;
    QTest::newRow("cartesian view") << ten
            + "CREATE VIEW Buffer1 AS SELECT a.n * 100000 + b.n * 10000 + c.n * 1000 "
              "+ d.n * 100 + e.n * 10 + f.n AS n, "
            + columns.mid(8) + " FROM t a, t b, t c, t d, t e, t f;"
                                    << false << true;
    QTest::newRow("cartesian view, wide texts")
        << ten + "CREATE VIEW Buffer1 AS SELECT a.n AS ID, hex(randomblob(2000)) AS N1, "
            + columns.mid(19) + " FROM t a, t b, t c, t d, t e, t f;"
        << false << false;
    QTest::newRow("recursive alarm view") << "CREATE VIEW Ldata AS " + endless
            + "SELECT n AS ID, 't' AS N0, 'n' AS N1, 'x' AS N2 FROM r;"
                                          << true << true;
}

void TestDatabaseLoading::runawayQueriesAreRefused()
{
    QFETCH(QByteArray, setup);
    QFETCH(bool, alarms);
    QFETCH(bool, atRowLimit);
    const QString file = path(u"records.db"_s);
    QVERIFY(sql(file, setup));
    const LoadLimits limits {20000, 64 << 20};
    RecordGridModel grid;
    fillSentinel(grid);
    const QList<QStringList> untouched = snapshot(grid);
    TooLarge refused;
    if (alarms) {
        const AlarmLoadResult result = loadAlarmDatabase(file, grid, limits);
        QVERIFY(!result.failed);
        QVERIFY(!result.fetched);
        refused = result.tooLarge;
    } else {
        const RecordLoadResult result
            = loadDataRecords(file, 1, Format::Unsigned16, Language::Chinese, grid, limits);
        QCOMPARE(result.status, RecordLoadStatus::TooLarge);
        QVERIFY(!result.fetchedRows);
        refused = result.tooLarge;
    }
    QVERIFY(refused.refused);
    // No row of a refused result reaches the grid.
    QCOMPARE(snapshot(grid), untouched);
    if (atRowLimit)
        QCOMPARE(refused.records, limits.records + 1);
    else
        QVERIFY2(refused.records <= limits.records, qPrintable(QString::number(refused.records)));
    QVERIFY(refused.bytesNeeded > (atRowLimit ? refused.records * 13 * 8 : limits.bytes));
}

void TestDatabaseLoading::tooLargeMessage_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<quint64>("records");
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("English") << false << quint64(70000000) << quint64(7) * (1 << 30)
                             << u"File too large: 70000000 records need about 7.0 GB of memory"_s;
    QTest::newRow("Chinese") << true << quint64(20001) << quint64(3) * (1 << 29)
                             << u"文件太大：20001 条记录需要约 1.5 GB 内存"_s;
    QTest::newRow("less than a tenth")
        << false << quint64(1) << quint64(1000)
        << u"File too large: 1 records need about 0.1 GB of memory"_s;
}

void TestDatabaseLoading::tooLargeMessage()
{
    QFETCH(bool, chinese);
    QFETCH(quint64, records);
    QFETCH(quint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(MainTexts::tooLargeMessage((chinese ? Language::Chinese : Language::English), records,
                                        bytes),
             text);
}

QTEST_GUILESS_MAIN(TestDatabaseLoading)
namespace {

// How the file of a failing load comes about.
enum class Broken {
    NotADatabase, // text where the database should be
    Missing, // no file at all
    NoTable, // a database without the table
    MissingColumn, // the table lacks N12
    LockedByWriter, // another connection holds it locked in the middle of a write
    HotJournal, // a rollback journal left by a writer that died
    NoPrivateCopy, // a log database that must be copied, and the copy cannot be written whole
};

// Opens `file` as a writer, runs `statements` and leaves the connection open.
sqlite3 *openWriter(const QString &file, const QByteArray &statements)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK
        || sqlite3_exec(db, statements.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        qWarning("writer failed: %s", sqlite3_errmsg(db));
    return db;
}

} // namespace

void TestDatabaseLoading::failuresNameTheirCause_data()
{
    QTest::addColumn<Broken>("broken");
    QTest::addColumn<bool>("alarms");
    QTest::addColumn<QString>("cause"); // what it starts with
    QTest::newRow("not a database") << Broken::NotADatabase << false << u"file is not a database"_s;
    QTest::newRow("alarms, not a database")
        << Broken::NotADatabase << true << u"file is not a database"_s;
    QTest::newRow("missing file") << Broken::Missing << false << u"unable to open database file"_s;
    QTest::newRow("no table") << Broken::NoTable << false << u"no such table: Buffer1"_s;
    QTest::newRow("alarms, no table") << Broken::NoTable << true << u"no such table: Ldata"_s;
    QTest::newRow("missing column")
        << Broken::MissingColumn << false << u"Field not found in dataset: N12"_s;
    QTest::newRow("locked by a writer")
        << Broken::LockedByWriter << false << u"database is locked"_s;
    QTest::newRow("alarms, locked by a writer")
        << Broken::LockedByWriter << true << u"database is locked"_s;
    QTest::newRow("hot journal") << Broken::HotJournal << false
                                 << u"attempt to write a readonly database"_s;
    QTest::newRow("no private copy")
        << Broken::NoPrivateCopy << false << u"Could not make a private copy in "_s;
}

void TestDatabaseLoading::failuresNameTheirCause()
{
    QFETCH(Broken, broken);
    QFETCH(bool, alarms);
    QFETCH(QString, cause);
    const QString file = path(alarms ? u"Alarm.db"_s : u"records.db"_s);
    const QByteArray table = alarms ? "CREATE TABLE Ldata (ID INTEGER, N0, N1, N2);"
                                      "INSERT INTO Ldata VALUES (1, 't', 'n', 'x');"_ba
                                    : createBuffer(1) + insertBuffer(1, 1, "d", "t", MixedValues);
    sqlite3 *writer = nullptr;
    const auto closeWriter = qScopeGuard([&] { sqlite3_close(writer); });
#ifdef Q_OS_UNIX
    // A file may grow to no more than this (as on a full disk) while `limited`.
    rlimit usual {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &usual), 0);
    bool limited = false;
    const auto unlimit = qScopeGuard([&] {
        if (limited)
            setrlimit(RLIMIT_FSIZE, &usual);
    });
#endif
    switch (broken) {
    case Broken::NotADatabase:
        QVERIFY(writeFile(file, QByteArray(4096, 'x')));
        break;
    case Broken::Missing:
        break;
    case Broken::NoTable:
        QVERIFY(sql(file, "CREATE TABLE t (a);"));
        break;
    case Broken::MissingColumn:
        QVERIFY(sql(file,
                    "CREATE TABLE Buffer1 (ID, N1, N2, N3, N4, N5, N6, N7, N8, N9, N10, N11);"
                    "INSERT INTO Buffer1 VALUES (1,'d','t',1,2,3,4,5,6,7,8,9);"));
        break;
    case Broken::LockedByWriter:
        QVERIFY(sql(file, table));
        writer = openWriter(file,
                            alarms ? "BEGIN EXCLUSIVE; DELETE FROM Ldata;"
                                   : "BEGIN EXCLUSIVE; DELETE FROM Buffer1;");
        break;
    case Broken::HotJournal: {
        // A copy taken while a writer was in the middle of its write: the journal beside it
        // is hot, and only a writer may roll it back.
        const QString original = path(u"original.db"_s);
        QVERIFY(sql(original, table));
        writer = openWriter(original,
                            "PRAGMA cache_size=1; BEGIN EXCLUSIVE;"
                            "DELETE FROM Buffer1; CREATE TABLE pad (a);");
        QVERIFY(QFileInfo(original + u"-journal"_s).size() > 0);
        QVERIFY(QFile::copy(original, file));
        QVERIFY(QFile::copy(original + u"-journal"_s, file + u"-journal"_s));
        break;
    }
    case Broken::NoPrivateCopy: {
        // Pages committed to a log that no writer holds any longer: read from a copy.
        const QString original = path(u"original.db"_s);
        writer = openWriter(original,
                            "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"_ba + table);
        QVERIFY(QFile::copy(original, file));
        QVERIFY(QFile::copy(original + u"-wal"_s, file + u"-wal"_s));
#ifdef Q_OS_UNIX
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = usual;
        small.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        limited = true;
#else
        QSKIP("needs a file size limit");
#endif
        break;
    }
    }

    RecordGridModel grid;
    QString found;
    if (alarms) {
        prepareAlarmList(grid);
        const AlarmLoadResult result = loadAlarmDatabase(file, grid);
        QVERIFY(result.failed);
        found = result.cause;
    } else {
        const RecordLoadResult result
            = loadDataRecords(file, 1, Format::Unsigned16, Language::Chinese, grid);
        QCOMPARE(result.status, RecordLoadStatus::NotCreated);
        found = result.cause;
    }
    QVERIFY2(found.startsWith(cause), qPrintable(found));
    // The system's own words for why the copy could not be written.
    if (broken == Broken::NoPrivateCopy)
        QVERIFY2(found.endsWith(QString::fromLocal8Bit(std::strerror(EFBIG))), qPrintable(found));
}

void TestDatabaseLoading::textWithNulReachesGridWhole_data()
{
    QTest::addColumn<QByteArray>("value"); // an SQL expression
    QTest::addColumn<QString>("shown");
    QTest::newRow("NUL in the middle") << "'ab' || char(0) || 'cd'"_ba << u"ab\u2400cd"_s;
    QTest::newRow("NUL at the end") << "'ab' || char(0)"_ba << u"ab\u2400"_s;
    QTest::newRow("only NUL") << "char(0)"_ba << u"\u2400"_s;
    QTest::newRow("Chinese around NUL") << "'报警' || char(0) || '文本'"_ba << u"报警\u2400文本"_s;
    QTest::newRow("blob with NUL") << "X'610062'"_ba << u"a\u2400b"_s;
    QTest::newRow("blob of one NUL") << "X'00'"_ba << u"\u2400"_s;
}

void TestDatabaseLoading::textWithNulReachesGridWhole()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, shown);
    // Alarm texts and data record dates, each in the kind of column the panel writes and in a
    // column of no declared type.
    const QString alarmFile = path(u"Alarm.db"_s);
    QVERIFY(sql(alarmFile,
                "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1, N2 TEXT);"
                "INSERT INTO Ldata VALUES (1, "
                    + value + ", " + value + ", " + value + ");"));
    RecordGridModel grid;
    prepareAlarmList(grid);
    QVERIFY(!loadAlarmDatabase(alarmFile, grid).failed);
    QCOMPARE(row(grid, 1), (QStringList {u"1"_s, shown, shown, shown}));

    const QString records = path(u"records.db"_s);
    QVERIFY(sql(records,
                createBuffer(1) + "INSERT INTO Buffer1 (ID, N1, N2) VALUES (1, " + value + ", "
                    + value + ");"));
    QCOMPARE(loadDataRecords(records, 1, Format::Unsigned16, Language::Chinese, grid).status,
             RecordLoadStatus::Loaded);
    QCOMPARE(grid.cell(1, 1), shown);
    QCOMPARE(grid.cell(2, 1), shown);
    for (int c = 0; c < grid.cols(); ++c)
        QVERIFY(!grid.cellUtf8(c, 1).view().contains('\0'));
}

#include "tst_databaseloading.moc"
