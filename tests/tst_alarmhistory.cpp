// The alarm file beside a data file: finding it, reading it (database and
// binary), and the alarms of a time range, on real files.
#include "document/AlarmHistory.h"
#include "records/RecordTime.h"
#include "support/LogFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

// Alarms at 08:01:10 (7), 07:59:00 (9, written later: a clock set back) and
// 09:00:00 (7), and one whose time cannot be read (database only).
bool writeAlarms(const QString &path, bool binary)
{
    if (!binary)
        return sql(path,
                   "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 INTEGER, N2 TEXT);"
                   "INSERT INTO Ldata VALUES (1, '2013-05-07 08:01:10', 7, 'Pump');"
                   "INSERT INTO Ldata VALUES (2, '2013-05-07 07:59:00', 9, 'Door');"
                   "INSERT INTO Ldata VALUES (3, '2013-05-07 09:00:00', 7, 'Pump');"
                   "INSERT INTO Ldata VALUES (4, 'soon', 8, 'Fan');");
    QList<AlarmRecord> records;
    const int times[][3] = {{8, 1, 10}, {7, 59, 0}, {9, 0, 0}};
    const quint8 numbers[] = {7, 9, 7};
    for (int i = 0; i < 3; ++i) {
        AlarmRecord r;
        r.id = i + 1;
        r.hour = quint8(times[i][0]);
        r.minute = quint8(times[i][1]);
        r.second = quint8(times[i][2]);
        r.number = numbers[i];
        r.text = numbers[i] == 7 ? u"Pump" : u"Door";
        records << r;
    }
    return writeFile(path, alarmFile(records));
}

std::optional<qint64> at(const char *text)
{
    return RecordTime::alarmTime(QByteArrayView(text));
}

} // namespace

class TestAlarmHistory : public QObject
{
    Q_OBJECT
private slots:
    void findBeside_data();
    void findBeside();
    void read_data();
    void read();
    void inRange_data();
    void inRange();
};

void TestAlarmHistory::findBeside_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("present"); // files in the folder besides `data`
    QTest::addColumn<bool>("found");

    QTest::newRow("beside a binary data file") << u"Data.bin"_s << u"Alarm.db"_s << true;
    QTest::newRow("beside a record database") << u"Buffer.db"_s << u"Alarm.db"_s << true;
    QTest::newRow("none in the folder") << u"Data.bin"_s << u"Other.db"_s << false;
    // Windows names know no case: there alarm.db is Alarm.db.
#ifdef Q_OS_WIN
    const bool otherCaseFound = true;
#else
    const bool otherCaseFound = false;
#endif
    QTest::newRow("the name as the panel writes it only")
        << u"Data.bin"_s << u"alarm.db"_s << otherCaseFound;
    QTest::newRow("not the alarm file itself") << u"Alarm.db"_s << u""_s << false;
}

void TestAlarmHistory::findBeside()
{
    QFETCH(QString, data);
    QFETCH(QString, present);
    QFETCH(bool, found);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(data), dataFile(2)));
    if (!present.isEmpty())
        QVERIFY(writeAlarms(dir.filePath(present), true));
    const QString beside = AlarmHistory::findBeside(dir.filePath(data));
    QCOMPARE(beside, found ? dir.filePath(u"Alarm.db"_s) : QString());
}

void TestAlarmHistory::read_data()
{
    QTest::addColumn<bool>("binary");
    QTest::addColumn<int>("count");
    QTest::addRow("binary") << true << 3;
    QTest::addRow("database, one time unreadable") << false << 4;
}

void TestAlarmHistory::read()
{
    QFETCH(bool, binary);
    QFETCH(int, count);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Alarm.db"_s);
    QVERIFY(writeAlarms(path, binary));
    const QMap<QString, QByteArray> before = folderState(dir.path());
    const std::optional<AlarmHistory> history = AlarmHistory::read(path);
    QVERIFY(history);
    QCOMPARE(history->path, path);
    QCOMPARE(int(history->alarms.size()), count);
    QCOMPARE(history->alarms[1].number, 9);
    QCOMPARE(history->alarms[1].text, u"Door"_s);
    QCOMPARE(history->alarms[1].time, at("2013-05-07 07:59:00"));
    // Read only: the folder is as it was.
    QCOMPARE(folderState(dir.path()), before);

    // A data file is no alarm file.
    const QString data = dir.filePath(u"Data.bin"_s);
    QVERIFY(writeFile(data, dataFile(2)));
    QVERIFY(!AlarmHistory::read(data));
    QVERIFY(!AlarmHistory::read(dir.filePath(u"Missing.db"_s)));
}

void TestAlarmHistory::inRange_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("until");
    QTest::addColumn<QByteArray>("numbers"); // in the order listed

    QTest::newRow("every alarm: by time, the unreadable last")
        << QByteArray("") << QByteArray("") << QByteArray("9,7,7,8");
    QTest::newRow("bounds included") << QByteArray("2013-05-07 08:01:10")
                                     << QByteArray("2013-05-07 09:00:00") << QByteArray("7,7");
    QTest::newRow("before the first")
        << QByteArray("") << QByteArray("2013-05-07 07:58:59") << QByteArray("");
    QTest::newRow("after the last")
        << QByteArray("2013-05-07 09:00:01") << QByteArray("") << QByteArray("");
    QTest::newRow("from alone") << QByteArray("2013-05-07 08:00") << QByteArray("")
                                << QByteArray("7,7");
}

void TestAlarmHistory::inRange()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, until);
    QFETCH(QByteArray, numbers);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Alarm.db"_s);
    QVERIFY(writeAlarms(path, false));
    const std::optional<AlarmHistory> history = AlarmHistory::read(path);
    QVERIFY(history);
    const auto bound = [](const QByteArray &text, bool lower) -> std::optional<qint64> {
        const auto span = RecordTime::parseSpan(QByteArrayView(text));
        if (!span)
            return std::nullopt;
        return lower ? span->first : span->last;
    };
    QStringList listed;
    for (const Alarm &alarm : history->inRange(bound(from, true), bound(until, false)))
        listed << QString::number(alarm.number);
    QCOMPARE(listed.join(u',').toLatin1(), numbers);
}

QTEST_GUILESS_MAIN(TestAlarmHistory)
#include "tst_alarmhistory.moc"
