// Alarms on the curve picture: which alarms fall on a screen and at which
// x, their colours, and the lines drawn for them.
#include "curves/AlarmTicks.h"
#include "curves/CurveReadout.h"

#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

constexpr qint64 NoTime = -1;

// Points 10 pixels apart from x = 50.
CurveGeometry::Layout screenOf(int points)
{
    CurveGeometry::Layout l;
    l.bandWidth = 50;
    l.points = points;
    l.pictureWidth = 50 + 10 * points + 2;
    l.plotBottom = 40;
    return l;
}

std::vector<std::optional<qint64>> timesOf(const QList<qint64> &list)
{
    std::vector<std::optional<qint64>> times;
    for (const qint64 t : list)
        times.push_back(t == NoTime ? std::nullopt : std::optional<qint64>(t));
    return times;
}

std::vector<Alarm> alarmsAt(const QList<qint64> &list)
{
    std::vector<Alarm> alarms;
    int row = 1;
    for (const qint64 t : list) {
        Alarm a;
        a.time = t == NoTime ? std::nullopt : std::optional<qint64>(t);
        a.number = t;
        a.text = QString::number(t);
        a.row = row++;
        alarms.push_back(a);
    }
    return alarms;
}

} // namespace

class tst_AlarmTicks : public QObject
{
    Q_OBJECT
private slots:
    void ticks_data();
    void ticks();
    void moreTimesThanPoints();
    void timelineKeepsFileOrderAmongEqualTimes();
    void span_data();
    void span();
    void colourIsStablePerNumber();
    void ticksNear();
    void paintDrawsOneLinePerTick();
};

void tst_AlarmTicks::ticks_data()
{
    QTest::addColumn<QList<qint64>>("pointTimes");
    QTest::addColumn<QList<qint64>>("alarmTimes");
    // The alarm time and x of each tick, in time order.
    QTest::addColumn<QList<qint64>>("tickTimes");
    QTest::addColumn<QList<int>>("tickX");

    const QList<qint64> inOrder {100, 110, 120};
    QTest::newRow("between two rows, placed by time")
        << inOrder << QList<qint64> {105, 112} << QList<qint64> {105, 112} << QList<int> {55, 62};
    QTest::newRow("exactly on a row") << inOrder << QList<qint64> {100, 110, 120}
                                      << QList<qint64> {100, 110, 120} << QList<int> {50, 60, 70};
    QTest::newRow("before the first record")
        << inOrder << QList<qint64> {99} << QList<qint64> {} << QList<int> {};
    QTest::newRow("after the last record")
        << inOrder << QList<qint64> {121} << QList<qint64> {} << QList<int> {};
    QTest::newRow("alarm without a time")
        << inOrder << QList<qint64> {NoTime, 110} << QList<qint64> {110} << QList<int> {60};
    QTest::newRow("rows without a time are skipped")
        << QList<qint64> {100, NoTime, 120} << QList<qint64> {110, 115} << QList<qint64> {110, 115}
        << QList<int> {60, 65};
    QTest::newRow("first rows without a time")
        << QList<qint64> {NoTime, NoTime, 100, 110} << QList<qint64> {100, 105}
        << QList<qint64> {100, 105} << QList<int> {70, 75};
    QTest::newRow("equal row times: the first of them")
        << QList<qint64> {100, 100, 110} << QList<qint64> {100, 105} << QList<qint64> {100, 105}
        << QList<int> {50, 65};
    // 100 110 120 | 50 60: within each run by time; an alarm whose surrounding
    // times lie apart stands at the earliest later time, where a go-to lands.
    QTest::newRow("clock set back")
        << QList<qint64> {100, 110, 120, 50, 60} << QList<qint64> {55, 80, 105, 115}
        << QList<qint64> {55, 80, 105, 115} << QList<int> {85, 50, 55, 65};
    QTest::newRow("clock set back onto an earlier row's time")
        << QList<qint64> {100, 110, 100} << QList<qint64> {100, 105} << QList<qint64> {100, 105}
        << QList<int> {50, 60};
    QTest::newRow("empty screen") << QList<qint64> {} << QList<qint64> {100} << QList<qint64> {}
                                  << QList<int> {};
    QTest::newRow("screen without times") << QList<qint64> {NoTime, NoTime} << QList<qint64> {100}
                                          << QList<qint64> {} << QList<int> {};
    QTest::newRow("no alarms") << inOrder << QList<qint64> {} << QList<qint64> {} << QList<int> {};
    QTest::newRow("alarms out of file order")
        << inOrder << QList<qint64> {119, 101} << QList<qint64> {101, 119} << QList<int> {51, 69};
}

void tst_AlarmTicks::ticks()
{
    QFETCH(QList<qint64>, pointTimes);
    QFETCH(QList<qint64>, alarmTimes);
    QFETCH(QList<qint64>, tickTimes);
    QFETCH(QList<int>, tickX);

    const std::vector<Alarm> alarms = alarmsAt(alarmTimes);
    const AlarmTicks::Timeline timeline(alarms);
    const auto times = timesOf(pointTimes);
    const std::vector<AlarmTicks::Tick> ticks
        = AlarmTicks::ticks(timeline, screenOf(int(times.size())), times);
    QList<qint64> gotTimes;
    QList<int> gotX;
    for (const AlarmTicks::Tick &tick : ticks) {
        gotTimes << *timeline.alarms()[std::size_t(tick.alarm)].time;
        gotX << tick.x;
    }
    QCOMPARE(gotTimes, tickTimes);
    QCOMPARE(gotX, tickX);
}

void tst_AlarmTicks::moreTimesThanPoints()
{
    // A screen shows `points` rows; times past them are not on it.
    const auto times = timesOf({100, 110, 120, 130});
    const std::vector<Alarm> alarms = alarmsAt({115, 125});
    const AlarmTicks::Timeline timeline(alarms);
    const auto ticks = AlarmTicks::ticks(timeline, screenOf(3), times);
    QCOMPARE(ticks.size(), std::size_t(1));
    QCOMPARE(ticks.front().x, 65);
}

void tst_AlarmTicks::timelineKeepsFileOrderAmongEqualTimes()
{
    std::vector<Alarm> alarms = alarmsAt({200, 100, 100, NoTime});
    alarms[1].number = 7;
    alarms[2].number = 8;
    const AlarmTicks::Timeline timeline(alarms);
    QCOMPARE(timeline.alarms().size(), std::size_t(3));
    QCOMPARE(timeline.alarms()[0].number, 7);
    QCOMPARE(timeline.alarms()[1].number, 8);
    QCOMPARE(timeline.inRange(100, 100).size(), std::size_t(2));
    QCOMPARE(timeline.inRange(101, 199).size(), std::size_t(0));
    QCOMPARE(timeline.inRange(100, 200).size(), std::size_t(3));
    QCOMPARE(timeline.inRange(300, 100).size(), std::size_t(0));
}

void tst_AlarmTicks::span_data()
{
    QTest::addColumn<QList<qint64>>("pointTimes");
    QTest::addColumn<bool>("has");
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("last");
    QTest::newRow("in order") << QList<qint64> {100, 110, 120} << true << qint64(100)
                              << qint64(120);
    QTest::newRow("clock set back")
        << QList<qint64> {100, 120, 50, 60} << true << qint64(50) << qint64(120);
    QTest::newRow("rows without a time")
        << QList<qint64> {NoTime, 100, NoTime} << true << qint64(100) << qint64(100);
    QTest::newRow("no times") << QList<qint64> {NoTime} << false << qint64(0) << qint64(0);
    QTest::newRow("empty") << QList<qint64> {} << false << qint64(0) << qint64(0);
}

void tst_AlarmTicks::span()
{
    QFETCH(QList<qint64>, pointTimes);
    QFETCH(bool, has);
    QFETCH(qint64, first);
    QFETCH(qint64, last);
    const auto times = timesOf(pointTimes);
    const std::optional<AlarmTicks::Span> s = AlarmTicks::span(times);
    QCOMPARE(s.has_value(), has);
    if (has)
        QCOMPARE(*s, (AlarmTicks::Span {first, last}));
}

void tst_AlarmTicks::colourIsStablePerNumber()
{
    QCOMPARE(AlarmTicks::colour(3), AlarmTicks::colour(3));
    QCOMPARE(AlarmTicks::colour(-1), AlarmTicks::colour(11));
    QSet<QRgb> seen;
    for (qint64 n = 0; n < 12; ++n)
        seen.insert(AlarmTicks::colour(n));
    QCOMPARE(seen.size(), 12);
    QCOMPARE(AlarmTicks::colour(12), AlarmTicks::colour(0));
}

void tst_AlarmTicks::ticksNear()
{
    const std::vector<AlarmTicks::Tick> ticks {{50, 0}, {60, 1}, {60, 2}, {75, 3}};
    QCOMPARE(AlarmTicks::ticksNear(ticks, 58, 3),
             (std::vector<AlarmTicks::Tick> {{60, 1}, {60, 2}}));
    QCOMPARE(AlarmTicks::ticksNear(ticks, 52, 3), (std::vector<AlarmTicks::Tick> {{50, 0}}));
    QVERIFY(AlarmTicks::ticksNear(ticks, 67, 3).empty());
    QVERIFY(AlarmTicks::ticksNear({}, 50, 3).empty());
}

void tst_AlarmTicks::paintDrawsOneLinePerTick()
{
    const std::vector<Alarm> alarms = alarmsAt({105, 112});
    const AlarmTicks::Timeline timeline(alarms);
    const auto times = timesOf({100, 110, 120});
    const auto layout = screenOf(3);
    const auto ticks = AlarmTicks::ticks(timeline, layout, times);
    QImage image(100, 60, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        AlarmTicks::paint(p, ticks, timeline, layout.plotBottom);
    }
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            QRgb want = qRgb(0, 0, 0);
            if (y <= layout.plotBottom && x == 55)
                want = AlarmTicks::colour(105);
            if (y <= layout.plotBottom && x == 62)
                want = AlarmTicks::colour(112);
            QCOMPARE(image.pixel(x, y) & 0xffffff, want & 0xffffff);
        }
    }
}

QTEST_MAIN(tst_AlarmTicks)
#include "tst_alarmticks.moc"
