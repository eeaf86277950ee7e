#include "records/RecordTime.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QtTest>

using namespace Qt::StringLiterals;
using Span = RecordTime::Span;

namespace {

// The seconds of a time written as "yyyy-MM-dd hh:mm:ss", reckoned by Qt's
// calendar in UTC, which has no daylight saving to skip or repeat an hour.
qint64 at(const char *text)
{
    const QDateTime t = QDateTime::fromString(QString::fromLatin1(text), u"yyyy-MM-dd HH:mm:ss"_s);
    Q_ASSERT(t.isValid());
    return QDateTime(t.date(), t.time(), Qt::UTC).toSecsSinceEpoch();
}

} // namespace

Q_DECLARE_METATYPE(std::optional<Span>)

class TestRecordTime : public QObject
{
    Q_OBJECT
private slots:
    void readsWrittenTimes_data();
    void readsWrittenTimes();
    void readsRecordCells_data();
    void readsRecordCells();
    void readsAlarmTimes_data();
    void readsAlarmTimes();
    void findBarAsksForTime_data();
    void findBarAsksForTime();
    void textReadsBackAsTheSameTime();
};

void TestRecordTime::readsWrittenTimes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withDay"); // a day for a time alone: 2013-05-08
    QTest::addColumn<std::optional<Span>>("span");

    const auto second = [](const char *t) { return std::optional<Span>(Span {at(t), at(t)}); };
    const auto span = [](const char *a, const char *b) {
        return std::optional<Span>(Span {at(a), at(b)});
    };
    const std::optional<Span> none;

    QTest::newRow("database alarm")
        << u"2013-05-07 08:01:10"_s << false << second("2013-05-07 08:01:10");
    QTest::newRow("binary alarm") << u"2013-05-07/08:04:59"_s << false
                                  << second("2013-05-07 08:04:59");
    QTest::newRow("T between") << u"2013-05-07T08:04:59"_s << false
                               << second("2013-05-07 08:04:59");
    QTest::newRow("one-digit fields")
        << u"2013/5/7 8:4:5"_s << false << second("2013-05-07 08:04:05");
    QTest::newRow("dots in the date")
        << u"2013.05.07 08:04:05"_s << false << second("2013-05-07 08:04:05");
    QTest::newRow("slashes then slash")
        << u"2013/05/07/08:04:05"_s << false << second("2013-05-07 08:04:05");
    QTest::newRow("no seconds: the minute")
        << u"2013-05-07 08:10"_s << false << span("2013-05-07 08:10:00", "2013-05-07 08:10:59");
    QTest::newRow("a date alone: the day")
        << u"2013-05-07"_s << false << span("2013-05-07 00:00:00", "2013-05-07 23:59:59");
    QTest::newRow("spaces around and between")
        << u"  2013-05-07   08:10:00 "_s << false << second("2013-05-07 08:10:00");
    QTest::newRow("time alone on the given day")
        << u"08:10:30"_s << true << second("2013-05-08 08:10:30");
    QTest::newRow("time alone, minute")
        << u"8:10"_s << true << span("2013-05-08 08:10:00", "2013-05-08 08:10:59");
    QTest::newRow("time alone without a day") << u"08:10"_s << false << none;
    QTest::newRow("leap day") << u"2012-02-29 23:59:59"_s << false << second("2012-02-29 23:59:59");
    QTest::newRow("no leap day") << u"2013-02-29 00:00:00"_s << false << none;
    QTest::newRow("1900 no leap day") << u"1900-02-29"_s << false << none;
    QTest::newRow("2000 leap day")
        << u"2000-02-29 12:00:00"_s << false << second("2000-02-29 12:00:00");
    QTest::newRow("before 1970") << u"1969-12-31 23:59:59"_s << false
                                 << second("1969-12-31 23:59:59");
    QTest::newRow("month 13") << u"2013-13-07 08:00:00"_s << false << none;
    QTest::newRow("month 0") << u"2013-00-07"_s << false << none;
    QTest::newRow("day 31 of April") << u"2013-04-31"_s << false << none;
    QTest::newRow("hour 24") << u"2013-05-07 24:00:00"_s << false << none;
    QTest::newRow("minute 60") << u"08:60"_s << true << none;
    QTest::newRow("second 60") << u"2013-05-07 08:00:60"_s << false << none;
    QTest::newRow("mixed date separators") << u"2013-05/07 08:00"_s << false << none;
    QTest::newRow("three-digit day") << u"2013-05-007"_s << false << none;
    QTest::newRow("trailing text") << u"2013-05-07 08:04:59x"_s << false << none;
    QTest::newRow("fourth time field") << u"2013-05-07 08:04:59:00"_s << false << none;
    QTest::newRow("nothing between") << u"2013-05-0708:04:59"_s << false << none;
    QTest::newRow("empty") << QString() << true << none;
    QTest::newRow("full-width digits") << u"２０１３-05-07"_s << false << none;
    QTest::newRow("negative year") << u"-2013-05-07"_s << false << none;
    QTest::newRow("year beyond a 16-bit word") << u"65536-01-01"_s << false << none;
}

void TestRecordTime::readsWrittenTimes()
{
    QFETCH(QString, text);
    QFETCH(bool, withDay);
    QFETCH(std::optional<Span>, span);
    const std::optional<qint64> day
        = withDay ? std::optional<qint64>(at("2013-05-08 17:30:00")) : std::nullopt;
    QCOMPARE(RecordTime::parseSpan(text, day), span);
    QCOMPARE(RecordTime::parseSpan(QByteArrayView(text.toUtf8()), day), span);
}

void TestRecordTime::readsRecordCells_data()
{
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<qint64>("expected"); // -1: none

    QTest::newRow("as the panel writes") << "2013-05-07"_ba
                                         << "08:04:59"_ba << at("2013-05-07 08:04:59");
    QTest::newRow("one-digit fields") << "2013.5.7"_ba
                                      << "8:4:9"_ba << at("2013-05-07 08:04:09");
    QTest::newRow("unpadded small year") << "5-01-02"_ba
                                         << "00:00:01"_ba << at("0005-01-02 00:00:01");
    QTest::newRow("empty time") << "2013-05-07"_ba
                                << ""_ba << qint64(-1);
    QTest::newRow("empty date") << ""_ba
                                << "08:04:59"_ba << qint64(-1);
    QTest::newRow("date and time in the date") << "2013-05-07 08:00:00"_ba
                                               << "08:00:00"_ba << qint64(-1);
    QTest::newRow("spaces in the cells") << " 2013-05-07 "_ba
                                         << "08:00:00 "_ba << at("2013-05-07 08:00:00");
    QTest::newRow("month 13 as a byte shows it") << "2013-13-07"_ba
                                                 << "08:04:59"_ba << qint64(-1);
    QTest::newRow("hour 255") << "2013-05-07"_ba
                              << "255:00:00"_ba << qint64(-1);
}

void TestRecordTime::readsRecordCells()
{
    QFETCH(QByteArray, date);
    QFETCH(QByteArray, time);
    QFETCH(qint64, expected);
    const auto read = RecordTime::recordTime(date, time);
    QCOMPARE(read.value_or(-1), expected);
}

void TestRecordTime::readsAlarmTimes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("expected"); // -1: none

    QTest::newRow("database") << "2013-05-07 08:01:10"_ba << at("2013-05-07 08:01:10");
    QTest::newRow("binary") << "2013-05-07/08:04:59"_ba << at("2013-05-07 08:04:59");
    QTest::newRow("a date alone is no alarm time") << "2013-05-07"_ba << qint64(-1);
    QTest::newRow("a time alone is no alarm time") << "08:04:59"_ba << qint64(-1);
    QTest::newRow("binary, month 0") << "2013-00-07/08:04:59"_ba << qint64(-1);
}

void TestRecordTime::readsAlarmTimes()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, expected);
    QCOMPARE(RecordTime::alarmTime(text).value_or(-1), expected);
}

void TestRecordTime::findBarAsksForTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withCurrentRow"); // current row at 2013-05-08 23:00:00
    QTest::addColumn<bool>("asks");
    QTest::addColumn<qint64>("first"); // -1: no time

    QTest::newRow("date and time")
        << u"@2013-05-07 08:10"_s << true << true << at("2013-05-07 08:10:00");
    QTest::newRow("with seconds") << u"@2013-05-07 08:10:07"_s << false << true
                                  << at("2013-05-07 08:10:07");
    QTest::newRow("time alone: the current row's day")
        << u"@08:10"_s << true << true << at("2013-05-08 08:10:00");
    QTest::newRow("time alone, no current row") << u"@08:10"_s << false << true << qint64(-1);
    QTest::newRow("spaces") << u" @ 2013-05-07 08:10 "_s << false << true
                            << at("2013-05-07 08:10:00");
    QTest::newRow("@ alone") << u"@"_s << true << true << qint64(-1);
    QTest::newRow("unreadable") << u"@noon"_s << true << true << qint64(-1);
    QTest::newRow("an ID") << u"#12"_s << true << false << qint64(-1);
    QTest::newRow("a text") << u"2013-05-07 08:10"_s << true << false << qint64(-1);
}

void TestRecordTime::findBarAsksForTime()
{
    QFETCH(QString, text);
    QFETCH(bool, withCurrentRow);
    QFETCH(bool, asks);
    QFETCH(qint64, first);
    const std::optional<qint64> current
        = withCurrentRow ? std::optional<qint64>(at("2013-05-08 23:00:00")) : std::nullopt;
    QCOMPARE(RecordTime::findAsksTime(text), asks);
    const auto span = RecordTime::findTime(text, current);
    QCOMPARE(span ? span->first : qint64(-1), first);
}

void TestRecordTime::textReadsBackAsTheSameTime()
{
    // Times all over the years a 16-bit year can hold below 10000, with the
    // days before 1970 and the ends of days among them.
    QList<qint64> times
        = {at("0001-01-01 00:00:00"), at("1969-12-31 23:59:59"), at("1970-01-01 00:00:00"),
           at("2013-05-07 08:04:59"), at("9999-12-31 23:59:59")};
    const qint64 lowest = times.front();
    const qint64 highest = times.back();
    QRandomGenerator random(21);
    for (int i = 0; i < 20000; ++i)
        times << random.bounded(lowest, highest);
    for (qint64 t : times) {
        const QString written = RecordTime::text(t);
        const QDateTime qt = QDateTime::fromSecsSinceEpoch(t, Qt::UTC);
        QCOMPARE(written, qt.toString(u"yyyy-MM-dd HH:mm:ss"_s));
        const auto span = RecordTime::parseSpan(written);
        QVERIFY2(span && span->first == t && span->last == t, qPrintable(written));
    }
}

QTEST_APPLESS_MAIN(TestRecordTime)
#include "tst_recordtime.moc"
