// The alarm ticks of one curve screen among `alarms` alarms: which alarms
// fall on the screen and at which x, and their lines drawn over a picture of
// the default size. Two screens: a day of records a second with the alarms
// spread over it, and the worst case of every alarm within the one screen.
// Records a second apart, and 10 s apart so that ticks stand on every column.
// Against it, the plain draw of the same picture's background; the ticks
// computed and drawn are also timed apart. Medians of several runs; the
// target is 2 ms for the ticks of a screen.
//
//   bench_alarmticks [alarms] [runs]

#include "Median.h"
#include "curves/AlarmTicks.h"
#include "curves/CurveGeometry.h"
#include "curves/CurveSettings.h"
#include "records/RecordTime.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const qint64 Start = RecordTime::fromParts(2013, 5, 7, 0, 0, 0);
constexpr qint64 Day = 86400;

std::vector<Alarm> alarmsWithin(int count, qint64 from, qint64 seconds)
{
    QRandomGenerator random(7);
    std::vector<Alarm> alarms(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Alarm &a = alarms[std::size_t(i)];
        a.time = from + qint64(random.bounded(quint64(seconds)));
        a.number = random.bounded(200);
        a.text = QStringLiteral("Alarm text");
        a.row = i + 1;
    }
    return alarms;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 21;
    if (count < 1 || runs < 1) {
        std::fprintf(stderr, "usage: bench_alarmticks [alarms] [runs]\n");
        return 2;
    }
    const CurveSettings settings;
    const CurveGeometry::Layout layout = CurveGeometry::layout(settings);
    // A screen in the middle of the day, a record a second.
    const qint64 screenStart = Start + Day / 2;
    QImage picture(layout.pictureWidth, layout.pictureHeight, QImage::Format_RGB32);
    std::printf("%d alarms, screen of %d points, picture %dx%d; %d runs\n", count, layout.points,
                layout.pictureWidth, layout.pictureHeight, runs);

    const struct
    {
        const char *name;
        qint64 from;
        qint64 seconds;
        int step; // seconds between records
    } cases[] = {{"spread over a day", Start, Day, 1},
                 {"all within the screen", screenStart, qint64(layout.points), 1},
                 // Records 10 s apart: the alarms between them fill every column.
                 {"all within, every x", screenStart, qint64(layout.points) * 10, 10}};
    for (const auto &c : cases) {
        std::vector<std::optional<qint64>> times;
        for (int i = 0; i < layout.points; ++i)
            times.emplace_back(screenStart + qint64(i) * c.step);
        const std::vector<Alarm> alarms = alarmsWithin(count, c.from, c.seconds);
        AlarmTicks::Timeline timeline;
        const double sort = medianSeconds(runs, [&] { timeline = AlarmTicks::Timeline(alarms); });
        std::size_t shown = 0;
        const double ticks = medianSeconds(runs, [&] {
            const auto t = AlarmTicks::ticks(timeline, layout, times);
            QPainter p(&picture);
            AlarmTicks::paint(p, t, timeline, layout.plotBottom);
            shown = t.size();
        });
        std::vector<AlarmTicks::Tick> computed;
        const double compute
            = medianSeconds(runs, [&] { computed = AlarmTicks::ticks(timeline, layout, times); });
        const double draw = medianSeconds(runs, [&] {
            QPainter p(&picture);
            AlarmTicks::paint(p, computed, timeline, layout.plotBottom);
        });
        const double fill = medianSeconds(runs, [&] { picture.fill(Qt::black); });
        std::printf("%-22s ticks computed and drawn %7.3f ms  (%zu ticks)  target 2 ms: %s;"
                    " computed %.3f ms, drawn %.3f ms; the timeline, once per alarm file, %.1f ms;"
                    " filling the picture %.3f ms\n",
                    c.name, ticks * 1000, shown, ticks * 1000 <= 2 ? "met" : "MISSED",
                    compute * 1000, draw * 1000, sort * 1000, fill * 1000);
    }
    return 0;
}
