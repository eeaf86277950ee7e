// The bars of the alarms-per-hour chart: every hour between the first alarm
// and the last has its bar, hours without alarms empty ones, and a span too
// long for the chart widens the buckets rather than scrolling.
#include "records/AlarmsPerHour.h"
#include "records/RecordTime.h"

#include <QtTest>

using namespace AlarmsPerHour;

namespace {

const qint64 Day = RecordTime::fromParts(2013, 5, 7, 0, 0, 0);

qint64 hour(qint64 h)
{
    return Day + h * 3600;
}

struct HourCount
{
    qint64 hour;
    int count;
};

} // namespace

Q_DECLARE_METATYPE(QList<qint64>)
Q_DECLARE_METATYPE(QList<int>)

class TestAlarmsPerHour : public QObject
{
    Q_OBJECT
private slots:
    void buckets_data();
    void buckets();
    void bars_data();
    void bars();
};

void TestAlarmsPerHour::buckets_data()
{
    QTest::addColumn<QList<qint64>>("hours"); // hours with alarms, from Day
    QTest::addColumn<QList<int>>("counts"); // their counts
    QTest::addColumn<int>("maxBuckets");
    QTest::addColumn<qint64>("hoursPerBucket");
    QTest::addColumn<QList<qint64>>("starts"); // bucket starts, hours from Day
    QTest::addColumn<QList<int>>("bucketCounts");

    QTest::newRow("no alarms") << QList<qint64> {} << QList<int> {} << 10 << qint64(1)
                               << QList<qint64> {} << QList<int> {};
    QTest::newRow("one hour") << QList<qint64> {8} << QList<int> {5} << 10 << qint64(1)
                              << QList<qint64> {8} << QList<int> {5};
    QTest::newRow("hours without alarms are empty bars")
        << QList<qint64> {8, 11, 12} << QList<int> {2, 1, 4} << 10 << qint64(1)
        << QList<qint64> {8, 9, 10, 11, 12} << QList<int> {2, 0, 0, 1, 4};
    QTest::newRow("just fits") << QList<qint64> {0, 9} << QList<int> {1, 1} << 10 << qint64(1)
                               << QList<qint64> {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}
                               << QList<int> {1, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    // Two-hour buckets start at even clock hours: 9 falls into the one of 8.
    QTest::newRow("too long: two hours a bucket")
        << QList<qint64> {1, 9, 10} << QList<int> {1, 2, 3} << 6 << qint64(2)
        << QList<qint64> {0, 2, 4, 6, 8, 10} << QList<int> {1, 0, 0, 0, 2, 3};
    QTest::newRow("a day in six-hour buckets")
        << QList<qint64> {0, 5, 6, 23} << QList<int> {1, 1, 1, 1} << 4 << qint64(6)
        << QList<qint64> {0, 6, 12, 18} << QList<int> {2, 1, 0, 1};
    QTest::newRow("many days in day buckets")
        << QList<qint64> {3, 30, 24 * 9 + 23} << QList<int> {1, 2, 7} << 10 << qint64(24)
        << QList<qint64> {0, 24, 48, 72, 96, 120, 144, 168, 192, 216}
        << QList<int> {1, 2, 0, 0, 0, 0, 0, 0, 0, 7};
    QTest::newRow("a year in buckets of whole days")
        << QList<qint64> {0, 24 * 364} << QList<int> {1, 1} << 100 << qint64(4 * 24)
        << QList<qint64> {} << QList<int> {};
    QTest::newRow("room for no bar still gives one")
        << QList<qint64> {2, 20} << QList<int> {1, 1} << 0 << qint64(24) << QList<qint64> {0}
        << QList<int> {2};
}

void TestAlarmsPerHour::buckets()
{
    QFETCH(QList<qint64>, hours);
    QFETCH(QList<int>, counts);
    QFETCH(int, maxBuckets);
    QFETCH(qint64, hoursPerBucket);
    QFETCH(QList<qint64>, starts);
    QFETCH(QList<int>, bucketCounts);
    std::vector<AlarmsInHour> perHour;
    int total = 0;
    for (qsizetype i = 0; i < hours.size(); ++i) {
        perHour.push_back({hour(hours[i]), counts[i]});
        total += counts[i];
    }
    const Buckets b = bucketsOf(perHour, maxBuckets);
    QCOMPARE(b.hoursPerBucket, hoursPerBucket);
    QVERIFY(int(b.buckets.size()) <= std::max(maxBuckets, 1));
    if (!starts.isEmpty()) {
        QCOMPARE(qsizetype(b.buckets.size()), starts.size());
        for (qsizetype i = 0; i < starts.size(); ++i) {
            QCOMPARE(b.buckets[std::size_t(i)].start, hour(starts[i]));
            QCOMPARE(b.buckets[std::size_t(i)].count, bucketCounts[i]);
        }
    }
    // Consecutive, and every alarm in some bucket.
    int counted = 0;
    int most = 0;
    for (std::size_t i = 0; i < b.buckets.size(); ++i) {
        if (i > 0)
            QCOMPARE(b.buckets[i].start - b.buckets[i - 1].start, hoursPerBucket * 3600);
        counted += b.buckets[i].count;
        most = std::max(most, b.buckets[i].count);
    }
    QCOMPARE(counted, total);
    QCOMPARE(b.most, most);
}

void TestAlarmsPerHour::bars_data()
{
    QTest::addColumn<QList<int>>("counts"); // one bucket each
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QList<QRect>>("rects");

    QTest::newRow("none") << QList<int> {} << QRect(0, 0, 100, 50) << QList<QRect> {};
    QTest::newRow("one bucket fills the area")
        << QList<int> {3} << QRect(10, 5, 100, 50) << QList<QRect> {QRect(10, 5, 99, 50)};
    QTest::newRow("empty bucket has no height, smallest at least a pixel")
        << QList<int> {100, 0, 1} << QRect(0, 0, 30, 200)
        << QList<QRect> {QRect(0, 0, 9, 200), QRect(10, 200, 9, 0), QRect(20, 198, 9, 2)};
    QTest::newRow("narrow bars without a gap")
        << QList<int> {2, 1} << QRect(0, 0, 8, 10)
        << QList<QRect> {QRect(0, 0, 4, 10), QRect(4, 5, 4, 5)};
    QTest::newRow("no room") << QList<int> {1} << QRect(0, 0, 0, 10) << QList<QRect> {};
}

void TestAlarmsPerHour::bars()
{
    QFETCH(QList<int>, counts);
    QFETCH(QRect, area);
    QFETCH(QList<QRect>, rects);
    Buckets b;
    for (qsizetype i = 0; i < counts.size(); ++i) {
        b.buckets.push_back({hour(i), counts[i]});
        b.most = std::max(b.most, counts[i]);
    }
    const std::vector<Bar> bars = barsIn(b, area);
    QCOMPARE(qsizetype(bars.size()), rects.size());
    for (qsizetype i = 0; i < rects.size(); ++i) {
        const Bar &bar = bars[std::size_t(i)];
        QCOMPARE(bar.rect, rects[i]);
        QCOMPARE(bar.index, int(i));
        QVERIFY(area.contains(bar.slot));
        QCOMPARE(bar.rect.bottom(), area.bottom());
    }
}

QTEST_GUILESS_MAIN(TestAlarmsPerHour)
#include "tst_alarmsperhour.moc"
