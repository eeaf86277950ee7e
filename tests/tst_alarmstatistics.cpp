#include "logfiles/BinaryLogFile.h"
#include "logfiles/DatabaseLoading.h"
#include "records/AlarmStatistics.h"
#include "records/GridLayout.h"
#include "records/RecordGridModel.h"
#include "records/RecordTime.h"
#include "support/LogFiles.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

struct History
{
    int hour, minute, second;
    quint8 number;
    const char16_t *text;
    bool damaged = false; // a month of 0: no time
};

// Number 3 chatters at the 10-minute edge, 1 and 7 tie on count, 5 has no
// readable time; texts with a comma and quotes.
const QList<History> Alarms = {
    {8, 0, 0, 3, u"Motor"},           {8, 9, 59, 3, u"Motor"},        {8, 5, 0, 7, u"Door, open"},
    {8, 10, 0, 3, u"Motor overload"}, {9, 30, 0, 1, u"Low \"oil\""},  {9, 31, 0, 7, u"Door, open"},
    {0, 0, 0, 5, u"Clock", true},     {9, 39, 59, 1, u"Low \"oil\""},
};

qint64 at(int hour, int minute, int second = 0)
{
    return RecordTime::fromParts(2013, 5, 7, hour, minute, second);
}

QByteArray csvOf(const AlarmStatistics &statistics)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!writeAlarmStatisticsCsv(statistics, buffer))
        return "<not written>";
    return buffer.data();
}

} // namespace

Q_DECLARE_METATYPE(std::optional<qint64>)

class TestAlarmStatistics : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void writesTheStatisticsOfARange_data();
    void writesTheStatisticsOfARange();
    void countsChatterInTenMinuteWindows_data();
    void countsChatterInTenMinuteWindows();
    void countsAlarmsPerHour();
    void agreesWithAPlainCount_data();
    void agreesWithAPlainCount();
    void sharesAddUp();
    void skipsAlarmsWithoutANumber();
    void reportsAFailedWrite();

private:
    GridAlarms load(bool database);

    QTemporaryDir m_dir;
};

GridAlarms TestAlarmStatistics::load(bool database)
{
    RecordGridModel grid;
    GridLayout::setAlarmList(grid, Language::Chinese);
    const QString folder = m_dir.filePath(database ? u"database"_s : u"binary"_s);
    QDir().mkpath(folder);
    const QString path = folder + u"/Alarm.db"_s;
    QFile::remove(path);
    if (database) {
        QByteArray statements = "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 TEXT, N2 TEXT);";
        for (int i = 0; i < Alarms.size(); ++i) {
            const History &a = Alarms[i];
            const QString time
                = a.damaged ? u"never"_s : RecordTime::text(at(a.hour, a.minute, a.second));
            QString text = QString::fromUtf16(a.text);
            text.replace(u"'"_s, u"''"_s);
            statements += u"INSERT INTO Ldata VALUES (%1, '%2', '%3', '%4');"_s.arg(i + 1)
                              .arg(time)
                              .arg(a.number)
                              .arg(text)
                              .toUtf8();
        }
        if (!sql(path, statements) || loadAlarmDatabase(path, grid).failed)
            return {};
    } else {
        QList<AlarmRecord> records;
        for (int i = 0; i < Alarms.size(); ++i) {
            AlarmRecord r;
            r.id = i + 1;
            r.hour = quint8(Alarms[i].hour);
            r.minute = quint8(Alarms[i].minute);
            r.second = quint8(Alarms[i].second);
            r.month = Alarms[i].damaged ? 0 : 5;
            r.number = Alarms[i].number;
            r.text = Alarms[i].text;
            records << r;
        }
        LogFile file;
        QByteArray header;
        if (!writeFile(path, alarmFile(records)) || !file.open(path)
            || !file.readHeaderBlock(header) || !readBinaryAlarms(file, grid))
            return {};
    }
    return alarmsOfGrid(grid);
}

void TestAlarmStatistics::writesTheStatisticsOfARange_data()
{
    QTest::addColumn<bool>("database");
    QTest::addColumn<std::optional<qint64>>("from");
    QTest::addColumn<std::optional<qint64>>("until");
    QTest::addColumn<QByteArray>("csv");

    const QByteArray title = "number,text,count,first,last,max_in_10_min\r\n";
    const struct
    {
        const char *name;
        std::optional<qint64> from, until;
        QByteArray rows;
    } cases[] = {
        {"every alarm, also one without a time",
         {},
         {},
         "3,Motor overload,3,2013-05-07 08:00:00,2013-05-07 08:10:00,2\r\n"
         "1,\"Low \"\"oil\"\"\",2,2013-05-07 09:30:00,2013-05-07 09:39:59,2\r\n"
         "7,\"Door, open\",2,2013-05-07 08:05:00,2013-05-07 09:31:00,1\r\n"
         "5,Clock,1,,,0\r\n"},
        {"bounds included", at(8, 5), at(9, 30),
         "3,Motor overload,2,2013-05-07 08:09:59,2013-05-07 08:10:00,2\r\n"
         "1,\"Low \"\"oil\"\"\",1,2013-05-07 09:30:00,2013-05-07 09:30:00,1\r\n"
         "7,\"Door, open\",1,2013-05-07 08:05:00,2013-05-07 08:05:00,1\r\n"},
        {"from alone: the text of the latest alarm",
         at(8, 9, 59),
         {},
         "1,\"Low \"\"oil\"\"\",2,2013-05-07 09:30:00,2013-05-07 09:39:59,2\r\n"
         "3,Motor overload,2,2013-05-07 08:09:59,2013-05-07 08:10:00,2\r\n"
         "7,\"Door, open\",1,2013-05-07 09:31:00,2013-05-07 09:31:00,1\r\n"},
        {"until alone",
         {},
         at(8, 9, 59),
         "3,Motor,2,2013-05-07 08:00:00,2013-05-07 08:09:59,2\r\n"
         "7,\"Door, open\",1,2013-05-07 08:05:00,2013-05-07 08:05:00,1\r\n"},
        {"an empty range", at(10, 0), {}, ""},
        {"from after until", at(9, 0), at(8, 0), ""},
    };
    for (bool database : {false, true})
        for (const auto &c : cases)
            QTest::addRow("%s, %s", database ? "database" : "binary", c.name)
                << database << c.from << c.until << title + c.rows;
}

void TestAlarmStatistics::writesTheStatisticsOfARange()
{
    QFETCH(bool, database);
    QFETCH(std::optional<qint64>, from);
    QFETCH(std::optional<qint64>, until);
    QFETCH(QByteArray, csv);
    const GridAlarms alarms = load(database);
    QCOMPARE(alarms.alarms.size(), size_t(Alarms.size()));
    QCOMPARE(alarms.unreadableNumbers, 0);
    QCOMPARE(csvOf(alarmStatistics(alarms.alarms, from, until)), csv);
}

void TestAlarmStatistics::countsChatterInTenMinuteWindows_data()
{
    QTest::addColumn<QList<int>>("seconds"); // after 08:00:00; -1: no time
    QTest::addColumn<int>("most");

    QTest::newRow("599 s apart: one window") << QList<int> {0, 599} << 2;
    QTest::newRow("600 s apart: the next window") << QList<int> {0, 600} << 1;
    QTest::newRow("the best window starts later") << QList<int> {0, 300, 599, 600, 899} << 4;
    QTest::newRow("the same second again") << QList<int> {5, 5, 5, 5, 5} << 5;
    QTest::newRow("out of order") << QList<int> {600, 0, 300, 1199} << 2;
    QTest::newRow("one alarm") << QList<int> {42} << 1;
    QTest::newRow("without times") << QList<int> {-1, -1} << 0;
    QTest::newRow("one of two without a time") << QList<int> {-1, 0} << 1;
    QTest::newRow("across midnight") << QList<int> {16 * 3600 - 1, 16 * 3600 + 1} << 2;
}

void TestAlarmStatistics::countsChatterInTenMinuteWindows()
{
    QFETCH(QList<int>, seconds);
    QFETCH(int, most);
    std::vector<Alarm> alarms;
    // Another number between them must not count.
    alarms.push_back({at(8, 4), 2, u"other"_s, 0});
    for (int s : seconds)
        alarms.push_back(
            {s < 0 ? std::nullopt : std::optional<qint64>(at(8, 0) + s), 9, u"chatter"_s, 0});
    const AlarmStatistics statistics = alarmStatistics(alarms);
    const auto it = std::find_if(statistics.numbers.begin(), statistics.numbers.end(),
                                 [](const AlarmNumberStatistics &s) { return s.number == 9; });
    QVERIFY(it != statistics.numbers.end());
    QCOMPARE(it->count, seconds.size());
    QCOMPARE(it->maxInTenMinutes, most);
}

void TestAlarmStatistics::countsAlarmsPerHour()
{
    const GridAlarms alarms = load(false);
    const AlarmStatistics statistics = alarmStatistics(alarms.alarms);
    QList<std::pair<QString, int>> hours;
    for (const AlarmsInHour &h : statistics.perHour)
        hours.append({RecordTime::text(h.hour), h.count});
    // 08:00 to 08:10 four alarms, 09:30 to 09:39:59 three; the one without
    // a time in no hour; 10:00 and later have none and are left out.
    QCOMPARE(hours,
             (QList<std::pair<QString, int>> {{u"2013-05-07 08:00:00"_s, 4},
                                              {u"2013-05-07 09:00:00"_s, 3}}));
    QCOMPARE(statistics.total, 8);
}

void TestAlarmStatistics::agreesWithAPlainCount_data()
{
    QTest::addColumn<QList<qint64>>("numbers"); // drawn from, in runs and mixed
    QTest::addColumn<int>("count");
    QTest::addColumn<qint64>("spanSeconds");
    QTest::addColumn<bool>("bounded"); // the middle half of the span only
    const qint64 day = 86400;
    QTest::newRow("numbers of a binary file")
        << QList<qint64> {0, 1, 7, 200, 255} << 2000 << 2 * day << false;
    QTest::newRow("negative and large numbers")
        << QList<qint64> {-5, -1, 0, 65535, 65536, qint64(1) << 40} << 2000 << 3 * day << false;
    QTest::newRow("a few alarms years apart")
        << QList<qint64> {3, 70000} << 50 << 3650 * day << false;
    QTest::newRow("a range of the times") << QList<qint64> {1, 2, 3, 100000} << 1500 << day << true;
}

// Against a count by number and by hour in the plainest way: every alarm
// grouped in a map, chatter by trying every window.
void TestAlarmStatistics::agreesWithAPlainCount()
{
    QFETCH(QList<qint64>, numbers);
    QFETCH(int, count);
    QFETCH(qint64, spanSeconds);
    QFETCH(bool, bounded);
    QRandomGenerator random {static_cast<quint32>(count)};
    const qint64 start = RecordTime::fromParts(2013, 5, 7, 0, 0, 0);
    std::vector<Alarm> alarms;
    qint64 number = numbers.front();
    for (int i = 0; i < count; ++i) {
        // Runs of one number, now and then another.
        if (random.bounded(4) == 0)
            number = numbers[random.bounded(int(numbers.size()))];
        Alarm a;
        a.number = number;
        if (random.bounded(20) != 0)
            a.time = start + random.bounded(spanSeconds);
        a.text = u"text %1"_s.arg(i);
        a.row = i + 1;
        alarms.push_back(a);
    }
    std::optional<qint64> from;
    std::optional<qint64> until;
    if (bounded) {
        from = start + spanSeconds / 4;
        until = start + spanSeconds * 3 / 4;
    }
    const AlarmStatistics statistics = alarmStatistics(alarms, from, until);

    std::map<qint64, std::vector<size_t>> byNumber;
    std::map<qint64, int> byHour;
    int total = 0;
    for (size_t i = 0; i < alarms.size(); ++i) {
        const Alarm &a = alarms[i];
        if (bounded && (!a.time || *a.time < *from || *a.time > *until))
            continue;
        byNumber[a.number].push_back(i);
        ++total;
        if (a.time)
            ++byHour[*a.time - (*a.time - start) % 3600];
    }
    QCOMPARE(statistics.total, total);
    QCOMPARE(statistics.numbers.size(), byNumber.size());
    for (const AlarmNumberStatistics &s : statistics.numbers) {
        const auto found = byNumber.find(s.number);
        QVERIFY(found != byNumber.end());
        const std::vector<size_t> &list = found->second;
        QCOMPARE(s.count, int(list.size()));
        std::optional<qint64> first;
        std::optional<qint64> last;
        size_t latest = list.back();
        for (size_t i : list) {
            const std::optional<qint64> t = alarms[i].time;
            if (!t)
                continue;
            if (!first || *t < *first)
                first = t;
            if (!last || *t >= *last) {
                last = t;
                latest = i;
            }
        }
        QCOMPARE(s.first, first);
        QCOMPARE(s.last, last);
        QCOMPARE(s.text, alarms[latest].text);
        int most = 0;
        for (size_t i : list) {
            if (!alarms[i].time)
                continue;
            int inWindow = 0;
            for (size_t j : list)
                if (alarms[j].time && *alarms[j].time >= *alarms[i].time
                    && *alarms[j].time - *alarms[i].time < ChatterWindowSeconds)
                    ++inWindow;
            most = std::max(most, inWindow);
        }
        QCOMPARE(s.maxInTenMinutes, most);
    }
    for (size_t k = 1; k < statistics.numbers.size(); ++k) {
        const AlarmNumberStatistics &a = statistics.numbers[k - 1];
        const AlarmNumberStatistics &b = statistics.numbers[k];
        QVERIFY(a.count > b.count || (a.count == b.count && a.number < b.number));
    }
    QCOMPARE(statistics.perHour.size(), byHour.size());
    size_t h = 0;
    for (const auto &[hour, n] : byHour) {
        QCOMPARE(statistics.perHour[h].hour, hour);
        QCOMPARE(statistics.perHour[h].count, n);
        ++h;
    }
}

void TestAlarmStatistics::sharesAddUp()
{
    const AlarmStatistics statistics = alarmStatistics(load(true).alarms);
    QCOMPARE(statistics.numbers.size(), size_t(4));
    QCOMPARE(statistics.numbers[0].number, 3);
    QCOMPARE(statistics.numbers[0].share, 3.0 / 8.0);
    QCOMPARE(statistics.numbers[3].share, 1.0 / 8.0);
    double sum = 0;
    for (const AlarmNumberStatistics &s : statistics.numbers)
        sum += s.share;
    QCOMPARE(sum, 1.0);
}

void TestAlarmStatistics::skipsAlarmsWithoutANumber()
{
    const QString path = m_dir.filePath(u"numbers/Alarm.db"_s);
    QDir().mkpath(m_dir.filePath(u"numbers"_s));
    QVERIFY(sql(path,
                "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 TEXT, N2 TEXT);"
                "INSERT INTO Ldata VALUES (1, '2013-05-07 08:00:00', 'A7', 'x');"
                "INSERT INTO Ldata VALUES (2, '2013-05-07 08:00:01', ' 12 ', 'y');"
                "INSERT INTO Ldata VALUES (3, '2013-05-07 08:00:02', '', 'z');"));
    RecordGridModel grid;
    GridLayout::setAlarmList(grid, Language::Chinese);
    QVERIFY(!loadAlarmDatabase(path, grid).failed);
    const GridAlarms alarms = alarmsOfGrid(grid);
    QCOMPARE(alarms.unreadableNumbers, 2);
    QCOMPARE(alarms.alarms.size(), size_t(1));
    QCOMPARE(alarms.alarms[0].number, 12);
    QCOMPARE(alarms.alarms[0].row, 2);
    QCOMPARE(alarms.alarms[0].text, u"y"_s);
}

void TestAlarmStatistics::reportsAFailedWrite()
{
    const AlarmStatistics statistics = alarmStatistics(load(false).alarms);
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): ReadOnly device");
    QVERIFY(!writeAlarmStatisticsCsv(statistics, readOnly));
}

QTEST_APPLESS_MAIN(TestAlarmStatistics)
#include "tst_alarmstatistics.moc"
