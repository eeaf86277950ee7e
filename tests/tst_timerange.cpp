// The records of a time range on real files: which rows the grid shows, what
// Save As writes of them, going to a time, and the range through a reload,
// a format or buffer change, growth and the opening of another file.
#include "document/LogDocument.h"
#include "document/SaveAsWriter.h"
#include "records/RecordTime.h"
#include "support/LogFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace logfiles;
using Status = LogDocument::Status;
using ValueFormat::Format;

namespace {

// Records in the order a panel wrote them: its clock was set back after
// ID 3, and ID 5's date cannot be read.
const QList<std::pair<QByteArray, QByteArray>> ClockSetBack = {
    {"2013-05-07", "08:00:00"}, // 1
    {"2013-05-07", "08:05:00"}, // 2
    {"2013-05-07", "08:10:00"}, // 3
    {"2013-05-07", "08:02:00"}, // 4
    {"2013-13-45", "08:03:00"}, // 5
    {"2013-05-07", "08:15:30"}, // 6
    {"2013/5/8", "1:00"}, // 7
};

bool writeRecordDatabase(const QString &path)
{
    QByteArray s = createBuffer(1) + createBuffer(2);
    qint64 id = 0;
    for (const auto &[date, time] : ClockSetBack) {
        ++id;
        s += insertBuffer(1, id, date, time, {QByteArray::number(id * 100)});
        s += insertBuffer(2, id, date, time, {QByteArray::number(id)});
    }
    return sql(path, s);
}

// A binary data file of records at the given minutes past 08:00 on 2013-05-07.
QByteArray dataAtMinutes(const QList<int> &minutes, int firstId = 1)
{
    QList<DataRecord> records;
    int id = firstId;
    for (int minute : minutes) {
        DataRecord r;
        r.id = id++;
        r.hour = quint8(8 + minute / 60);
        r.minute = quint8(minute % 60);
        r.second = 0;
        records << r;
    }
    return dataFile(records);
}

std::optional<qint64> boundOf(const QString &text, bool lower)
{
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<RecordTime::Span> span = RecordTime::parseSpan(QStringView(text));
    if (!span)
        return std::nullopt;
    return lower ? span->first : span->last;
}

LogDocument::TimeRange rangeOf(const QString &from, const QString &until)
{
    return {boundOf(from, true), boundOf(until, false)};
}

LogDocument::TimeRange rangeOf(const char *from, const char *until)
{
    return rangeOf(QString::fromLatin1(from), QString::fromLatin1(until));
}

// The IDs the grid shows, comma-separated.
QString shownIds(const RecordGridModel &grid)
{
    QStringList ids;
    for (int row = 1; row < grid.rows(); ++row)
        ids << grid.cell(0, row);
    return ids.join(QLatin1Char(','));
}

bool append(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::Append) && f.write(bytes) == bytes.size();
}

} // namespace

class TestTimeRange : public QObject
{
    Q_OBJECT
private slots:
    void shownRows_data();
    void shownRows();
    void alarmRange_data();
    void alarmRange();
    void rangeStays_data();
    void rangeStays();
    void growthInRange();
    void firstRowAtOrAfter_data();
    void firstRowAtOrAfter();
    void gridWritesGoToShownRows();
    void rangeOfEveryRecordNeedsNoRowMap_data();
    void rangeOfEveryRecordNeedsNoRowMap();
    void growthPastARangeOfEveryRecord();
};

void TestTimeRange::shownRows_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("until");
    QTest::addColumn<QString>("ids");

    QTest::newRow("no bounds: every row, the one without a time too") << ""
                                                                      << ""
                                                                      << "1,2,3,4,5,6,7";
    QTest::newRow("from alone, its minute included") << "2013-05-07 08:05"
                                                     << ""
                                                     << "2,3,6,7";
    QTest::newRow("until alone, its whole minute included") << ""
                                                            << "2013-05-07 08:05"
                                                            << "1,2,4";
    QTest::newRow("both bounds included, clock set back") << "2013-05-07 08:02:00"
                                                          << "2013-05-07 08:10:00"
                                                          << "2,3,4";
    QTest::newRow("a date alone as the upper bound is its whole day") << ""
                                                                      << "2013-05-07"
                                                                      << "1,2,3,4,6";
    QTest::newRow("the next day in another form") << "2013.5.8"
                                                  << ""
                                                  << "7";
    QTest::newRow("a range between records is empty") << "2013-05-07 08:11"
                                                      << "2013-05-07 08:15:29"
                                                      << "";
    QTest::newRow("from after until is empty") << "2013-05-07 09:00"
                                               << "2013-05-07 08:00"
                                               << "";
    QTest::newRow("before every record") << ""
                                         << "2013-05-06"
                                         << "";
}

void TestTimeRange::shownRows()
{
    QFETCH(QString, from);
    QFETCH(QString, until);
    QFETCH(QString, ids);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("Records.db"));
    QVERIFY(writeRecordDatabase(log));
    LogDocument document;
    QCOMPARE(document.open(log).status, Status::Loaded);
    document.setTimeRange(rangeOf(from, until));

    const RecordGridModel &grid = document.grid();
    QCOMPARE(shownIds(grid), ids);
    const int count = ids.isEmpty() ? 0 : int(ids.count(QLatin1Char(',')) + 1);
    QCOMPARE(grid.recordCount(), count);
    QCOMPARE(grid.rowCount(), count);
    QCOMPARE(document.wholeRecordCount(), 7);
    // The title row stays whatever the range.
    QCOMPARE(grid.cell(1, 0), QStringLiteral("记录日期"));

    // Save As writes what the grid shows: the title row and the range's rows.
    const QString csv = dir.filePath(QStringLiteral("out.csv"));
    QString failure;
    QVERIFY(SaveAsWriter::writeCsv(grid, csv, log, {}, failure));
    QStringList lines = QString::fromUtf8(readFile(csv)).split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    QCOMPARE(lines.size(), count + 1);
    QStringList written;
    for (int i = 1; i < lines.size(); ++i)
        written << lines[i].section(QLatin1Char(','), 0, 0);
    QCOMPARE(written.join(QLatin1Char(',')), ids);
}

void TestTimeRange::alarmRange_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("until");
    QTest::addColumn<QString>("ids");

    for (const QByteArray &kind : {QByteArray("binary"), QByteArray("database")}) {
        QTest::addRow("%s: whole day", kind.constData()) << kind << "2013-05-07"
                                                         << ""
                                                         << "1,2,3";
        QTest::addRow("%s: one second", kind.constData()) << kind << "2013-05-07 08:03:10"
                                                          << "2013-05-07 08:03:10"
                                                          << "2";
        QTest::addRow("%s: after the last", kind.constData()) << kind << "2013-05-08"
                                                              << ""
                                                              << "";
    }
}

void TestTimeRange::alarmRange()
{
    QFETCH(QByteArray, kind);
    QFETCH(QString, from);
    QFETCH(QString, until);
    QFETCH(QString, ids);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("Alarm.db"));
    if (kind == "binary") {
        QList<AlarmRecord> records;
        for (int i = 1; i <= 3; ++i) {
            AlarmRecord r;
            r.id = i;
            r.minute = quint8(i * 2 - 1);
            r.second = 10;
            records << r;
        }
        QVERIFY(writeFile(log, alarmFile(records)));
    } else {
        QVERIFY(sql(log,
                    "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 INTEGER, N2 TEXT);"
                    "INSERT INTO Ldata VALUES (1, '2013-05-07 08:01:10', 3, 'a');"
                    "INSERT INTO Ldata VALUES (2, '2013-05-07 08:03:10', 4, 'b');"
                    "INSERT INTO Ldata VALUES (3, '2013-05-07 08:05:10', 3, 'c');"));
    }
    LogDocument document;
    QCOMPARE(document.open(log).status, Status::Loaded);
    // Both kinds hold alarms at 08:01:10, 08:03:10 and 08:05:10.
    QCOMPARE(document.rowTime(2), RecordTime::alarmTime("2013-05-07 08:03:10"));
    document.setTimeRange(rangeOf(from, until));
    QCOMPARE(shownIds(document.grid()), ids);
}

void TestTimeRange::rangeStays_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("ids");

    QTest::newRow("reload") << "reload"
                            << "2,3,4";
    QTest::newRow("display format") << "format"
                                    << "2,3,4";
    QTest::newRow("record buffer") << "buffer"
                                   << "2,3,4";
    QTest::newRow("a load given up and put back") << "restore"
                                                  << "2,3,4";
    QTest::newRow("another file lifts it") << "open"
                                           << "1,2,3,4,5,6,7";
}

void TestTimeRange::rangeStays()
{
    QFETCH(QString, step);
    QFETCH(QString, ids);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("Records.db"));
    const QString other = dir.filePath(QStringLiteral("Other.db"));
    QVERIFY(writeRecordDatabase(log));
    QVERIFY(writeRecordDatabase(other));
    LogDocument document;
    QCOMPARE(document.open(log).status, Status::Loaded);
    const LogDocument::TimeRange range = rangeOf("2013-05-07 08:02", "2013-05-07 08:10");
    document.setTimeRange(range);
    QCOMPARE(shownIds(document.grid()), QStringLiteral("2,3,4"));

    if (step == QLatin1String("reload")) {
        QCOMPARE(document.reload().open.status, Status::Loaded);
    } else if (step == QLatin1String("format")) {
        QCOMPARE(document.selectFormat(Format::Hex32).status, Status::Loaded);
        QCOMPARE(document.grid().cols(), 8);
    } else if (step == QLatin1String("buffer")) {
        QCOMPARE(document.selectBuffer(2).status, Status::Loaded);
        // Buffer 2 holds the ID as its first value.
        QCOMPARE(document.grid().cell(3, 1), QStringLiteral("2"));
    } else if (step == QLatin1String("restore")) {
        LogDocument::Kept kept = document.keep();
        QCOMPARE(document.open(other).status, Status::Loaded);
        document.restore(kept);
        QCOMPARE(document.path(), log);
    } else {
        QCOMPARE(document.open(other).status, Status::Loaded);
    }
    QCOMPARE(shownIds(document.grid()), ids);
    QCOMPARE(document.timeRange() == range, step != QLatin1String("open"));
}

void TestTimeRange::growthInRange()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("Data.bin"));
    QVERIFY(writeFile(log, dataAtMinutes({0, 5, 10})));
    LogDocument document;
    QCOMPARE(document.open(log).status, Status::Loaded);
    document.rememberGrowth();
    document.setTimeRange(rangeOf("2013-05-07 08:05", "2013-05-07 08:20"));
    QCOMPARE(shownIds(document.grid()), QStringLiteral("2,3"));

    // Records at 08:15 (in the range) and 08:30 (after it) are added.
    QVERIFY(append(log, dataAtMinutes({15, 30}, 4).mid(int(LogFileFormat::HeaderBlockSize))));
    QCOMPARE(document.changeSinceRead(), LogGrowth::Change::Grew);
    QCOMPARE(document.readGrowth().status, Status::Loaded);
    document.rememberGrowth();
    QCOMPARE(shownIds(document.grid()), QStringLiteral("2,3,4"));
    QCOMPARE(document.wholeRecordCount(), 5);
    // The growth marks count the whole grid, not the rows shown.
    QCOMPARE(document.changeSinceRead(), LogGrowth::Change::None);
}

void TestTimeRange::firstRowAtOrAfter_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("until");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("id"); // the ID of the row found, empty for none

    QTest::newRow("exact time") << ""
                                << ""
                                << "2013-05-07 08:05:00"
                                << "2";
    QTest::newRow("between: the next by time, not by row") << ""
                                                           << ""
                                                           << "2013-05-07 08:01"
                                                           << "4";
    QTest::newRow("before the first") << ""
                                      << ""
                                      << "2013-05-01"
                                      << "1";
    QTest::newRow("after the last") << ""
                                    << ""
                                    << "2013-05-09"
                                    << "";
    QTest::newRow("in a range") << "2013-05-07 08:02"
                                << "2013-05-07 08:10"
                                << "2013-05-07 08:06"
                                << "3";
    QTest::newRow("before a range: its first") << "2013-05-07 08:02"
                                               << "2013-05-07 08:10"
                                               << "2013-05-07 07:00"
                                               << "4";
    QTest::newRow("after a range: none") << "2013-05-07 08:02"
                                         << "2013-05-07 08:10"
                                         << "2013-05-07 08:11"
                                         << "";
}

void TestTimeRange::firstRowAtOrAfter()
{
    QFETCH(QString, from);
    QFETCH(QString, until);
    QFETCH(QString, time);
    QFETCH(QString, id);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("Records.db"));
    QVERIFY(writeRecordDatabase(log));
    LogDocument document;
    QCOMPARE(document.open(log).status, Status::Loaded);
    document.setTimeRange(rangeOf(from, until));
    const int row = document.firstShownRowAtOrAfter(*boundOf(time, true));
    QCOMPARE(row > 0 ? document.grid().cell(0, row) : QString(), id);
    if (row > 0)
        QVERIFY(document.rowTime(row).has_value());
}

void TestTimeRange::gridWritesGoToShownRows()
{
    // A cell written while a range shows lands on the record shown there.
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("Data.bin"));
    QVERIFY(writeFile(log, dataAtMinutes({0, 5, 10, 15})));
    LogDocument document;
    QCOMPARE(document.open(log).status, Status::Loaded);
    document.setTimeRange(rangeOf("2013-05-07 08:10", ""));
    RecordGridModel &grid = document.grid();
    QCOMPARE(shownIds(grid), QStringLiteral("3,4"));
    grid.setCell(3, 2, QStringLiteral("x"));
    QCOMPARE(grid.cell(3, 2), QStringLiteral("x"));
    QCOMPARE(grid.wholeCellUtf8(3, 4).view(), QByteArrayView("x"));
    QCOMPARE(grid.cell(3, 3), QString());
    document.setTimeRange({});
    QCOMPARE(grid.cell(3, 4), QStringLiteral("x"));
    QCOMPARE(grid.cell(3, 2), QStringLiteral("0"));
}

void TestTimeRange::rangeOfEveryRecordNeedsNoRowMap_data()
{
    QTest::addColumn<QList<int>>("minutes"); // of the records, past 08:00
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("until");
    QTest::addColumn<QString>("ids");
    QTest::addColumn<bool>("rowMap");

    const QList<int> inOrder {0, 5, 10};
    QTest::newRow("the first and the last time, bounds included")
        << inOrder << "2013-05-07 08:00:00"
        << "2013-05-07 08:10:00"
        << "1,2,3" << false;
    QTest::newRow("from alone, before every record") << inOrder << "2013-05-07 07:00"
                                                     << ""
                                                     << "1,2,3" << false;
    QTest::newRow("until alone, after every record") << inOrder << ""
                                                     << "2013-05-08"
                                                     << "1,2,3" << false;
    QTest::newRow("the last record a second outside") << inOrder << "2013-05-07 08:00:00"
                                                      << "2013-05-07 08:09:59"
                                                      << "1,2" << true;
    QTest::newRow("the first record a second outside") << inOrder << "2013-05-07 08:00:01"
                                                       << ""
                                                       << "2,3" << true;
    QTest::newRow("clock set back, every record") << QList<int> {10, 0, 5} << "2013-05-07 08:00"
                                                  << "2013-05-07 08:10"
                                                  << "1,2,3" << false;
    QTest::newRow("clock set back, one run left out") << QList<int> {10, 0, 5} << "2013-05-07 08:00"
                                                      << "2013-05-07 08:09"
                                                      << "2,3" << true;
    QTest::newRow("an empty range") << inOrder << "2013-05-07 09:00"
                                    << ""
                                    << "" << true;
}

void TestTimeRange::rangeOfEveryRecordNeedsNoRowMap()
{
    QFETCH(QList<int>, minutes);
    QFETCH(QString, from);
    QFETCH(QString, until);
    QFETCH(QString, ids);
    QFETCH(bool, rowMap);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("Data.bin"));
    QVERIFY(writeFile(log, dataAtMinutes(minutes)));
    LogDocument document;
    QCOMPARE(document.open(log).status, Status::Loaded);
    document.setTimeRange(rangeOf(from, until));
    QVERIFY(document.timeRange().limits());
    QCOMPARE(shownIds(document.grid()), ids);
    QCOMPARE(document.grid().showsSomeRows(), rowMap);
    QCOMPARE(document.grid().recordCount(), ids.isEmpty() ? 0 : int(ids.count(u',') + 1));
    QCOMPARE(document.wholeRecordCount(), int(minutes.size()));
}

void TestTimeRange::growthPastARangeOfEveryRecord()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("Data.bin"));
    QVERIFY(writeFile(log, dataAtMinutes({0, 5, 10})));
    LogDocument document;
    QCOMPARE(document.open(log).status, Status::Loaded);
    document.rememberGrowth();
    document.setTimeRange(rangeOf("2013-05-07 08:00", "2013-05-07 08:20"));
    QVERIFY(!document.grid().showsSomeRows());

    // A record at 08:30 lies past the range: now the range leaves one out.
    QVERIFY(append(log, dataAtMinutes({30}, 4).mid(int(LogFileFormat::HeaderBlockSize))));
    QCOMPARE(document.readGrowth().status, Status::Loaded);
    QVERIFY(document.grid().showsSomeRows());
    QCOMPARE(shownIds(document.grid()), QStringLiteral("1,2,3"));
    QCOMPARE(document.wholeRecordCount(), 4);
    // One at 08:15 falls in it.
    QVERIFY(append(log, dataAtMinutes({15}, 5).mid(int(LogFileFormat::HeaderBlockSize))));
    QCOMPARE(document.readGrowth().status, Status::Loaded);
    QCOMPARE(shownIds(document.grid()), QStringLiteral("1,2,3,5"));
}

QTEST_GUILESS_MAIN(TestTimeRange)
#include "tst_timerange.moc"
