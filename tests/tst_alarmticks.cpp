// Alarms on the curve picture: which alarms fall on a screen and at which
// x, their colours, and the lines drawn for them.
#include "curves/AlarmTicks.h"
#include "curves/CurveReadout.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>

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

// The ticks as the rule reads, point by point: the latest time at or before
// the alarm (its highest point) and the earliest at or after it (its lowest
// point); between two points that follow each other placed by time.
std::vector<AlarmTicks::Tick> plainTicks(const AlarmTicks::Timeline &timeline,
                                         const CurveGeometry::Layout &layout,
                                         const std::vector<std::optional<qint64>> &times)
{
    std::vector<AlarmTicks::Tick> ticks;
    const int points = std::min(int(times.size()), layout.points);
    for (int k = 0; k < int(timeline.alarms().size()); ++k) {
        const qint64 t = *timeline.alarms()[std::size_t(k)].time;
        int after = -1;
        int before = -1;
        for (int i = 0; i < points; ++i) {
            const auto &ti = times[std::size_t(i)];
            if (ti && *ti >= t && (after < 0 || *ti < *times[std::size_t(after)]))
                after = i;
            if (ti && *ti <= t && (before < 0 || *ti >= *times[std::size_t(before)]))
                before = i;
        }
        if (after < 0 || before < 0)
            continue;
        const qint64 ta = *times[std::size_t(after)];
        const qint64 tb = *times[std::size_t(before)];
        bool follow = before < after;
        for (int i = before + 1; follow && i < after; ++i)
            follow = !times[std::size_t(i)];
        int x = CurveReadout::markerX(layout, after);
        if (ta != t && follow) {
            const int xb = CurveReadout::markerX(layout, before);
            x = xb + int(std::lround(double(x - xb) * double(t - tb) / double(ta - tb)));
        }
        ticks.push_back({x, k});
    }
    return ticks;
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
    void ticksMatchAPlainWalk_data();
    void ticksMatchAPlainWalk();
    void paintMatchesEveryTickDrawn_data();
    void paintMatchesEveryTickDrawn();
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

void tst_AlarmTicks::ticksMatchAPlainWalk_data()
{
    QTest::addColumn<int>("step"); // seconds between points, at most
    QTest::addColumn<int>("setBackEvery"); // points; 0: never
    QTest::addColumn<int>("noTimeEvery"); // points; 0: never
    QTest::addColumn<int>("alarms");

    QTest::newRow("a point a second, crowded") << 1 << 0 << 0 << 3000;
    QTest::newRow("points 10 s apart, every column") << 10 << 0 << 0 << 3000;
    QTest::newRow("points up to 37 s apart, sparse") << 37 << 0 << 0 << 40;
    QTest::newRow("points up to an hour apart") << 3600 << 0 << 0 << 3000;
    QTest::newRow("equal point times") << 1 << 0 << 0 << 500;
    QTest::newRow("rows without a time") << 13 << 0 << 4 << 2000;
    QTest::newRow("clock set back") << 13 << 30 << 0 << 2000;
    QTest::newRow("clock set back, rows without a time") << 13 << 17 << 5 << 2000;
}

void tst_AlarmTicks::ticksMatchAPlainWalk()
{
    QFETCH(int, step);
    QFETCH(int, setBackEvery);
    QFETCH(int, noTimeEvery);
    QFETCH(int, alarms);
    // 85 points with times a random 0 to `step` seconds apart, alarms a
    // little before the first to a little after the last.
    QRandomGenerator random(quint32(step * 1000 + setBackEvery * 10 + noTimeEvery));
    QList<qint64> pointTimes;
    qint64 t = 1000000;
    for (int i = 0; i < 85; ++i) {
        t += random.bounded(step + 1);
        if (setBackEvery && i % setBackEvery == setBackEvery - 1)
            t -= 20 * step;
        pointTimes << (noTimeEvery && i % noTimeEvery == 1 ? NoTime : t);
    }
    const auto times = timesOf(pointTimes);
    const qint64 first = AlarmTicks::span(times)->first - 50;
    const qint64 last = AlarmTicks::span(times)->last + 50;
    QList<qint64> alarmTimes;
    for (int i = 0; i < alarms; ++i)
        alarmTimes << first + random.bounded(last - first + 1);
    const AlarmTicks::Timeline timeline(alarmsAt(alarmTimes));
    const auto layout = screenOf(85);
    const std::vector<AlarmTicks::Tick> ticks = AlarmTicks::ticks(timeline, layout, times);
    const std::vector<AlarmTicks::Tick> plain = plainTicks(timeline, layout, times);
    QVERIFY(!plain.empty());
    QCOMPARE(ticks.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (ticks[i] != plain[i])
            QFAIL(qPrintable(QStringLiteral("tick %1 of the alarm at %2: x %3, not %4")
                                 .arg(i)
                                 .arg(*timeline.alarms()[std::size_t(plain[i].alarm)].time)
                                 .arg(ticks[i].x)
                                 .arg(plain[i].x)));
    }
}

void tst_AlarmTicks::paintMatchesEveryTickDrawn_data()
{
    QTest::addColumn<int>("alarms");
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QPoint>("moved"); // the painter's translation
    QTest::addColumn<qreal>("scale"); // the painter's, and the image's pixel ratio
    QTest::addColumn<QPoint>("brushOrigin");

    const QPoint none;
    // Thousands crowd most columns; a few dozen light a few columns.
    for (int alarms : {4000, 30}) {
        const char *crowd = alarms > 100 ? "crowded" : "a few";
        const auto row
            = [&](const char *name) -> QTestData & { return QTest::addRow("%s, %s", crowd, name); };
        row("RGB32") << alarms << QImage::Format_RGB32 << none << 1.0 << none;
        row("ARGB32 premultiplied")
            << alarms << QImage::Format_ARGB32_Premultiplied << none << 1.0 << none;
        row("ARGB32") << alarms << QImage::Format_ARGB32 << none << 1.0 << none;
        row("RGB16") << alarms << QImage::Format_RGB16 << none << 1.0 << none;
        row("RGB888") << alarms << QImage::Format_RGB888 << none << 1.0 << none;
        row("moved by whole pixels")
            << alarms << QImage::Format_RGB32 << QPoint(7, 3) << 1.0 << none;
        row("moved back past the edge")
            << alarms << QImage::Format_RGB32 << QPoint(-40, -5) << 1.0 << none;
        row("brush origin elsewhere")
            << alarms << QImage::Format_RGB32 << QPoint(7, 3) << 1.0 << QPoint(5, 9);
        row("scaled twice") << alarms << QImage::Format_RGB32 << none << 2.0 << none;
        row("scaled by one and a half")
            << alarms << QImage::Format_ARGB32_Premultiplied << QPoint(3, 1) << 1.5 << none;
    }
}

void tst_AlarmTicks::paintMatchesEveryTickDrawn()
{
    QFETCH(int, alarms);
    QFETCH(QImage::Format, format);
    QFETCH(QPoint, moved);
    QFETCH(qreal, scale);
    QFETCH(QPoint, brushOrigin);
    // Alarms of every colour over 85 points 10 s apart; when they are
    // thousands, most columns have many ticks, some none.
    QList<qint64> pointTimes;
    for (int i = 0; i < 85; ++i)
        pointTimes << 100000 + 10 * i + (i > 60 ? 2000 : 0);
    QList<qint64> alarmTimes;
    QRandomGenerator random(11);
    for (int i = 0; i < alarms; ++i)
        alarmTimes << 100000 + random.bounded(85 * 10 + 2000);
    const AlarmTicks::Timeline timeline(alarmsAt(alarmTimes));
    const auto layout = screenOf(85);
    const auto times = timesOf(pointTimes);
    const auto ticks = AlarmTicks::ticks(timeline, layout, times);
    QCOMPARE(ticks.size() > 1000, alarms > 1000);

    // On a background of every shade, so that what lies between the lines shows.
    QImage background(int(layout.pictureWidth * scale), int(60 * scale), format);
    for (int y = 0; y < background.height(); ++y)
        for (int x = 0; x < background.width(); ++x)
            background.setPixelColor(x, y, QColor(x % 256, (y * 7) % 256, (x + y) % 256));
    const auto draw = [&](auto paintTicks) {
        QImage image = background;
        image.setDevicePixelRatio(scale);
        QPainter p(&image);
        p.translate(moved);
        p.setBrushOrigin(brushOrigin);
        paintTicks(p);
        p.end();
        return image;
    };
    const QImage painted
        = draw([&](QPainter &p) { AlarmTicks::paint(p, ticks, timeline, layout.plotBottom); });
    // Every tick a line of its own, the latest first so that the earliest
    // of a column is drawn last.
    const QImage everyTick = draw([&](QPainter &p) {
        for (auto it = ticks.rbegin(); it != ticks.rend(); ++it)
            p.fillRect(QRect(it->x, 0, 1, layout.plotBottom + 1),
                       QColor::fromRgb(
                           AlarmTicks::colour(timeline.alarms()[std::size_t(it->alarm)].number)));
    });
    QVERIFY(painted != background);
    QCOMPARE(painted.format(), everyTick.format());
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            if (painted.pixel(x, y) != everyTick.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2: %3, drawing every tick %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(painted.pixel(x, y), 8, 16)
                                     .arg(everyTick.pixel(x, y), 8, 16)));
}

QTEST_MAIN(tst_AlarmTicks)
#include "tst_alarmticks.moc"
