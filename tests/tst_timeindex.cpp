#include "logfiles/BinaryLogFile.h"
#include "logfiles/DatabaseLoading.h"
#include "records/GridLayout.h"
#include "records/RecordGridModel.h"
#include "records/RecordTime.h"
#include "records/TimeIndex.h"
#include "support/LogFiles.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

// One record: its time as hour, minute, second on 2013-05-07, or a month of
// 13 (a damaged record, which shows a date that is no date).
struct Written
{
    int hour, minute, second;
    bool damaged = false;
};

// A panel clock set back after row 4, a damaged row 3, two rows of the same time.
const QList<Written> Records = {
    {8, 0, 0},  {8, 5, 0}, {8, 7, 0, true}, {8, 10, 0},
    {7, 58, 0}, {8, 2, 0}, {8, 10, 0},      {8, 20, 0},
};

qint64 at(int hour, int minute, int second = 0)
{
    return RecordTime::fromParts(2013, 5, 7, hour, minute, second);
}

// "08:10:00" as a time on 2013-05-07, "-" as no bound.
std::optional<qint64> bound(const QString &text)
{
    if (text == u"-"_s)
        return std::nullopt;
    const auto span = RecordTime::parseSpan(u"2013-05-07 "_s + text);
    Q_ASSERT(span);
    return span->first;
}

bool loadBinary(const QString &path, RecordGridModel &grid)
{
    QList<DataRecord> records;
    for (int i = 0; i < Records.size(); ++i) {
        DataRecord r;
        r.id = 100 + i;
        r.hour = quint8(Records[i].hour);
        r.minute = quint8(Records[i].minute);
        r.second = quint8(Records[i].second);
        r.month = Records[i].damaged ? 13 : 5;
        records << r;
    }
    if (!writeFile(path, dataFile(records)))
        return false;
    LogFile file;
    QByteArray header;
    if (!file.open(path) || !file.readHeaderBlock(header))
        return false;
    GridLayout::setDataRecords(grid, Language::Chinese, ValueFormat::Format::Unsigned16);
    return readBinaryDataRecords(file, grid, ValueFormat::Format::Unsigned16);
}

// The same records in a database, written as panels write them by hand:
// one-digit fields and dots, a date that is no date in the damaged row.
bool loadDatabase(const QString &path, RecordGridModel &grid)
{
    QByteArray statements = createBuffer(1);
    for (int i = 0; i < Records.size(); ++i) {
        const Written &w = Records[i];
        const QByteArray date = w.damaged ? "2013.13.7" : "2013.5.7";
        const QByteArray time = QByteArray::number(w.hour) + ':' + QByteArray::number(w.minute)
            + ':' + QByteArray::number(w.second);
        statements += insertBuffer(1, 100 + i, date, time, {});
    }
    if (!sql(path, statements))
        return false;
    return loadDataRecords(path, 1, ValueFormat::Format::Unsigned16, Language::Chinese, grid).status
        == RecordLoadStatus::Loaded;
}

} // namespace

class TestTimeIndex : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void goesToTheFirstRecordAtOrAfter_data();
    void goesToTheFirstRecordAtOrAfter();
    void findsTheRowsOfARange_data();
    void findsTheRowsOfARange();
    void recordsInTimeOrderNeedNoSort();
    void alarmsFindTheirRecords();
    void rangesMatchEveryRowsTime_data();
    void rangesMatchEveryRowsTime();
    void noTimesNoRows();
    void runsGiveTheSameRowsAsAWalk_data();
    void runsGiveTheSameRowsAsAWalk();
    void showsARangeInTheGrid_data();
    void showsARangeInTheGrid();

private:
    void addFileKinds();
    TimeIndex indexOf(bool database);

    QTemporaryDir m_dir;
};

TimeIndex TestTimeIndex::indexOf(bool database)
{
    RecordGridModel grid;
    const QString path = m_dir.filePath(database ? u"records.db"_s : u"records.bin"_s);
    QFile::remove(path);
    if (!(database ? loadDatabase(path, grid) : loadBinary(path, grid)))
        return {};
    return TimeIndex::ofDataRecords(grid);
}

void TestTimeIndex::goesToTheFirstRecordAtOrAfter_data()
{
    QTest::addColumn<bool>("database");
    QTest::addColumn<QString>("time");
    QTest::addColumn<int>("firstAtOrAfter");
    QTest::addColumn<int>("lastAtOrBefore");

    const struct
    {
        const char *name;
        const char *time;
        int after, before;
    } cases[] = {
        {"before every record: the earliest, not row 1", "07:00:00", 5, -1},
        {"the earliest exactly", "07:58:00", 5, 5},
        {"between, the later time comes from a later row", "08:00:01", 6, 1},
        {"between, by time not by row", "08:03:00", 2, 6},
        {"a time two rows have: the lower row first", "08:10:00", 4, 7},
        {"the damaged row has no place", "08:07:00", 4, 2},
        {"after the tie", "08:10:01", 8, 7},
        {"the latest exactly", "08:20:00", 8, 8},
        {"after every record", "08:20:01", -1, 8},
    };
    for (bool database : {false, true})
        for (const auto &c : cases)
            QTest::addRow("%s, %s", database ? "database" : "binary", c.name)
                << database << QString::fromLatin1(c.time) << c.after << c.before;
}

void TestTimeIndex::goesToTheFirstRecordAtOrAfter()
{
    QFETCH(bool, database);
    QFETCH(QString, time);
    QFETCH(int, firstAtOrAfter);
    QFETCH(int, lastAtOrBefore);
    const TimeIndex index = indexOf(database);
    QCOMPARE(index.size(), 7);
    QVERIFY(!index.inRowOrder());
    QCOMPARE(index.firstRowAtOrAfter(*bound(time)), firstAtOrAfter);
    QCOMPARE(index.lastRowAtOrBefore(*bound(time)), lastAtOrBefore);
}

void TestTimeIndex::findsTheRowsOfARange_data()
{
    QTest::addColumn<bool>("database");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("until");
    QTest::addColumn<QList<int>>("rows");

    const struct
    {
        const char *name;
        const char *from, *until;
        QList<int> rows;
    } cases[] = {
        {"both bounds included", "08:00:00", "08:10:00", {1, 2, 4, 6, 7}},
        {"until alone", "-", "08:00:00", {1, 5}},
        {"from alone", "08:10:00", "-", {4, 7, 8}},
        {"no bounds: every row with a time", "-", "-", {1, 2, 4, 5, 6, 7, 8}},
        {"one second", "08:20:00", "08:20:00", {8}},
        {"between records: empty", "08:11:00", "08:19:59", {}},
        {"from after until: empty", "08:10:00", "08:00:00", {}},
        {"before every record: empty", "-", "07:57:59", {}},
        {"after every record: empty", "08:20:01", "-", {}},
    };
    for (bool database : {false, true})
        for (const auto &c : cases)
            QTest::addRow("%s, %s", database ? "database" : "binary", c.name)
                << database << QString::fromLatin1(c.from) << QString::fromLatin1(c.until)
                << c.rows;
}

void TestTimeIndex::findsTheRowsOfARange()
{
    QFETCH(bool, database);
    QFETCH(QString, from);
    QFETCH(QString, until);
    QFETCH(QList<int>, rows);
    const TimeIndex index = indexOf(database);
    const std::vector<int> found = index.rowsInRange(bound(from), bound(until));
    QCOMPARE(QList<int>(found.begin(), found.end()), rows);
    // The entries are the same rows in time order.
    const auto entries = index.entriesInRange(bound(from), bound(until));
    QCOMPARE(qsizetype(entries.size()), rows.size());
    for (size_t i = 1; i < entries.size(); ++i)
        QVERIFY(entries[i - 1].time < entries[i].time
                || (entries[i - 1].time == entries[i].time && entries[i - 1].row < entries[i].row));
}

void TestTimeIndex::recordsInTimeOrderNeedNoSort()
{
    // Given in any order, the entries come out by time, ties by row.
    const TimeIndex index({{at(8, 1), 3}, {at(8, 0), 1}, {at(8, 1), 2}, {at(8, 2), 5}});
    QVERIFY(index.inRowOrder());
    QCOMPARE(index.firstTime(), at(8, 0));
    QCOMPARE(index.lastTime(), at(8, 2));
    QCOMPARE(index.firstRowAtOrAfter(at(8, 0, 30)), 2);
    const std::vector<int> rows = index.rowsInRange(at(8, 1), std::nullopt);
    QCOMPARE(rows, (std::vector<int> {2, 3, 5}));
}

void TestTimeIndex::alarmsFindTheirRecords()
{
    // Alarms from a binary alarm file: one before the first record, one
    // between, one after the last, one whose time cannot be read.
    const QString path = m_dir.filePath(u"Alarm.db"_s);
    QList<AlarmRecord> alarms(4);
    alarms[0].hour = 7, alarms[0].minute = 0;
    alarms[1].hour = 8, alarms[1].minute = 3;
    alarms[2].hour = 9, alarms[2].minute = 0;
    alarms[3].month = 0;
    QVERIFY(writeFile(path, alarmFile(alarms)));
    LogFile file;
    QByteArray header;
    QVERIFY(file.open(path) && file.readHeaderBlock(header));
    RecordGridModel alarmGrid;
    GridLayout::setAlarmList(alarmGrid, Language::Chinese);
    QVERIFY(readBinaryAlarms(file, alarmGrid));
    const TimeIndex alarmIndex = TimeIndex::ofAlarms(alarmGrid);
    QCOMPARE(alarmIndex.size(), 3);

    const TimeIndex records = indexOf(false);
    QList<int> rows;
    for (const TimeIndex::Entry &alarm : alarmIndex.entriesInRange({}, {}))
        rows << records.firstRowAtOrAfter(alarm.time);
    // Before the first record: the earliest record; after the last: none.
    QCOMPARE(rows, (QList<int> {5, 2, -1}));
}

void TestTimeIndex::rangesMatchEveryRowsTime_data()
{
    QTest::addColumn<int>("setBackEvery"); // rows; 0: never
    QTest::addColumn<int>("widest"); // seconds
    // A few set-backs are merged, many are sorted: both must agree with the rows.
    for (int every : {0, 1000, 100, 30})
        for (int widest : {200, 20000})
            QTest::addRow("%s, ranges up to %d s",
                          every ? qPrintable(u"clock set back every %1 rows"_s.arg(every))
                                : "in time order",
                          widest)
                << every << widest;
}

void TestTimeIndex::rangesMatchEveryRowsTime()
{
    // 10,000 rows a second or two apart, every 7th without a time, the clock
    // set back an hour now and then; each range checked row by row.
    QFETCH(int, setBackEvery);
    QFETCH(int, widest);
    const bool clockSetBack = setBackEvery > 0;
    QRandomGenerator random(7);
    std::vector<TimeIndex::Entry> entries;
    std::vector<qint64> timeOfRow(10001, -1);
    qint64 t = at(0, 0);
    for (int row = 1; row <= 10000; ++row) {
        t += random.bounded(0, 3);
        if (clockSetBack && row % setBackEvery == 0)
            t -= 3600;
        if (row % 7 == 0)
            continue;
        timeOfRow[size_t(row)] = t;
        entries.push_back({t, row});
    }
    const TimeIndex index(entries);
    QCOMPARE(index.inRowOrder(), !clockSetBack);
    for (int i = 0; i < 200; ++i) {
        const qint64 from = at(0, 0) - 100 + random.bounded(0, 16000);
        const qint64 until = from + random.bounded(0, widest);
        std::vector<int> expected;
        for (int row = 1; row <= 10000; ++row)
            if (timeOfRow[size_t(row)] >= from && timeOfRow[size_t(row)] <= until
                && timeOfRow[size_t(row)] != -1)
                expected.push_back(row);
        QCOMPARE(index.rowsInRange(from, until), expected);
        int first = -1;
        for (int row = 1; row <= 10000; ++row)
            if (timeOfRow[size_t(row)] >= from && timeOfRow[size_t(row)] != -1
                && (first == -1 || timeOfRow[size_t(row)] < timeOfRow[size_t(first)]))
                first = row;
        QCOMPARE(index.firstRowAtOrAfter(from), first);
    }
}

void TestTimeIndex::noTimesNoRows()
{
    RecordGridModel grid;
    GridLayout::setDataRecords(grid, Language::Chinese, ValueFormat::Format::Unsigned16);
    grid.setRows(2); // the empty grid: no records
    const TimeIndex index = TimeIndex::ofDataRecords(grid);
    QVERIFY(index.isEmpty());
    QCOMPARE(index.firstTime(), std::nullopt);
    QCOMPARE(index.firstRowAtOrAfter(at(8, 0)), -1);
    QCOMPARE(index.lastRowAtOrBefore(at(8, 0)), -1);
    QVERIFY(index.rowsInRange({}, {}).empty());
}

void TestTimeIndex::runsGiveTheSameRowsAsAWalk_data()
{
    // Row r (1 and up) at the list's second r - 1 past 08:00; -1: no time.
    QTest::addColumn<QList<int>>("seconds");
    QTest::addColumn<int>("runs"); // runs kept as spans; 0: none

    QTest::newRow("in time order: no runs") << QList<int> {0, 1, 1, 2, 5} << 0;
    QTest::newRow("set back once") << QList<int> {10, 11, 12, 3, 4, 5} << 2;
    QTest::newRow("set back onto an earlier run's times") << QList<int> {1, 2, 3, 2, 3, 3, 4} << 2;
    QTest::newRow("equal times across a set-back") << QList<int> {5, 5, 9, 5, 5, 9} << 2;
    QTest::newRow("a run of one row") << QList<int> {4, 5, 6, 2, 1, 7, 8} << 3;
    QTest::newRow("rows without a time at the runs' edges")
        << QList<int> {-1, 3, 4, -1, 1, 2, -1, 0, -1} << 3;
    QTest::newRow("a run without a time between runs")
        << QList<int> {6, 7, -1, -1, 2, 3, -1, 5} << 2;
    QTest::newRow("set back after every row: sorted instead")
        << QList<int> {20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1} << 0;
}

void TestTimeIndex::runsGiveTheSameRowsAsAWalk()
{
    QFETCH(QList<int>, seconds);
    QFETCH(int, runs);
    std::vector<TimeIndex::Entry> entries;
    for (int i = 0; i < seconds.size(); ++i)
        if (seconds[i] >= 0)
            entries.push_back({at(8, 0, seconds[i]), i + 1});
    // Given in reverse too: the index goes by the rows, not the order given.
    std::vector<TimeIndex::Entry> reversed(entries.rbegin(), entries.rend());
    for (const TimeIndex &index : {TimeIndex(entries), TimeIndex(reversed)}) {
        QCOMPARE(index.runCount(), runs);
        // Every range over the seconds used, open at either end or not.
        std::vector<std::optional<qint64>> bounds {std::nullopt};
        for (int second = -1; second <= 21; ++second)
            bounds.emplace_back(at(8, 0) + second);
        for (const auto &from : bounds) {
            for (const auto &until : bounds) {
                std::vector<int> walked;
                for (int i = 0; i < seconds.size(); ++i) {
                    const qint64 t = at(8, 0, seconds[i]);
                    if (seconds[i] >= 0 && (!from || t >= *from) && (!until || t <= *until))
                        walked.push_back(i + 1);
                }
                QCOMPARE(index.rowsInRange(from, until), walked);
            }
        }
    }
}

void TestTimeIndex::showsARangeInTheGrid_data()
{
    QTest::addColumn<bool>("database");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("until");
    QTest::addColumn<QList<int>>("ids"); // the IDs shown

    // The damaged row has no time: no bounded range holds every record.
    for (bool database : {false, true}) {
        const char *kind = database ? "database" : "binary";
        QTest::addRow("%s, from the first time to the last", kind)
            << database << u"07:58:00"_s << u"08:20:00"_s
            << QList<int> {100, 101, 103, 104, 105, 106, 107};
        QTest::addRow("%s, one set-back run", kind)
            << database << u"07:58:00"_s << u"08:03:00"_s << QList<int> {100, 104, 105};
        QTest::addRow("%s, an empty range", kind)
            << database << u"08:11:00"_s << u"08:19:00"_s << QList<int> {};
    }
}

void TestTimeIndex::showsARangeInTheGrid()
{
    QFETCH(bool, database);
    QFETCH(QString, from);
    QFETCH(QString, until);
    QFETCH(QList<int>, ids);
    RecordGridModel grid;
    const QString path = m_dir.filePath(database ? u"shown.db"_s : u"shown.bin"_s);
    QFile::remove(path);
    QVERIFY(database ? loadDatabase(path, grid) : loadBinary(path, grid));
    const TimeIndex index = TimeIndex::ofDataRecords(grid);
    index.showRange(grid, bound(from), bound(until));
    QVERIFY(grid.showsSomeRows());
    QList<int> shown;
    for (int row = 1; row < grid.rows(); ++row)
        shown << grid.cell(0, row).toInt();
    QCOMPARE(shown, ids);
}

QTEST_APPLESS_MAIN(TestTimeIndex)
#include "tst_timeindex.moc"
