#include "curves/AlarmTicks.h"

#include "curves/CurveReadout.h"
#include "records/CellText.h"
#include "records/RecordGridModel.h"
#include "records/RecordTime.h"
#include "records/TimeIndex.h"
#include "texts/Translations.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRect>

#include <algorithm>
#include <array>
#include <cmath>

namespace AlarmTicks {

namespace {

bool earlier(const Alarm &a, const Alarm &b)
{
    return *a.time < *b.time;
}

// Bright enough to show on the dark default background, and told apart at a glance.
constexpr std::array<QRgb, 12> Palette
    = {qRgb(255, 64, 64),   qRgb(255, 160, 0),   qRgb(255, 255, 0),   qRgb(64, 255, 64),
       qRgb(0, 255, 255),   qRgb(64, 128, 255),  qRgb(255, 64, 255),  qRgb(255, 255, 255),
       qRgb(160, 160, 255), qRgb(255, 128, 128), qRgb(128, 255, 128), qRgb(192, 192, 0)};

// Whether the painter puts a picture's pixels onto whole device pixels,
// unchanged: a raster painter moved by whole pixels at most, drawing opaque.
bool fillsWholePixels(const QPainter &painter)
{
    const QPaintEngine *engine = painter.paintEngine();
    const QTransform t = painter.deviceTransform();
    return engine && engine->type() == QPaintEngine::Raster && t.type() <= QTransform::TxTranslate
        && std::fmod(t.dx(), 1.0) == 0 && std::fmod(t.dy(), 1.0) == 0 && painter.opacity() >= 1.0
        && painter.compositionMode() == QPainter::CompositionMode_SourceOver;
}

std::size_t paletteIndex(qint64 number)
{
    const qint64 n = qint64(Palette.size());
    return std::size_t(((number % n) + n) % n);
}

// The x of alarms between two points that follow each other, by time
// between theirs: xb + dx * (t - tb) / dt rounded half away from zero. The
// alarms come in time order, so the x only grows: the time at which it
// steps to the next column is worked out once per column, not per alarm.
class BetweenPoints
{
public:
    BetweenPoints() = default;
    BetweenPoints(int before, int after, qint64 tb, qint64 ta, int xb, int xa)
        : before(before)
        , after(after)
        , m_tb(tb)
        , m_dt(ta - tb)
        , m_xb(xb)
        , m_dx(xa - xb)
    {
        m_next = nextStep();
    }

    // For times at or after the last one asked.
    int x(qint64 t)
    {
        const qint64 offset = t - m_tb;
        while (m_step < m_dx && offset >= m_next) {
            ++m_step;
            m_next = nextStep();
        }
        return m_xb + int(m_step);
    }

    int before = -1;
    int after = -1;

private:
    // The first offset that rounds to step + 1 or more:
    // dx * offset / dt >= step + 1/2, in whole numbers.
    qint64 nextStep() const
    {
        const qint64 p = (2 * m_step + 1) * m_dt;
        const qint64 q = 2 * m_dx;
        return (p + q - 1) / q;
    }

    qint64 m_tb = 0;
    qint64 m_dt = 1;
    int m_xb = 0;
    qint64 m_dx = 0;
    qint64 m_step = 0;
    qint64 m_next = 0;
};

} // namespace

Timeline::Timeline(std::span<const Alarm> alarms)
{
    m_alarms.reserve(alarms.size());
    for (const Alarm &alarm : alarms) {
        if (alarm.time)
            m_alarms.push_back(alarm);
    }
    std::stable_sort(m_alarms.begin(), m_alarms.end(), earlier);
    m_times.reserve(m_alarms.size());
    for (const Alarm &alarm : m_alarms)
        m_times.push_back(*alarm.time);
}

std::span<const Alarm> Timeline::inRange(qint64 from, qint64 until) const
{
    if (from > until)
        return {};
    const auto begin = std::lower_bound(m_times.begin(), m_times.end(), from);
    const auto end = std::upper_bound(begin, m_times.end(), until);
    return std::span<const Alarm>(m_alarms).subspan(std::size_t(begin - m_times.begin()),
                                                    std::size_t(end - begin));
}

std::vector<std::optional<qint64>> pointTimes(const RecordGridModel &grid, int pos, int points)
{
    std::vector<std::optional<qint64>> times;
    if (grid.cols() < 3 || points <= 0 || pos < 0)
        return times;
    const qint64 end = std::min<qint64>(qint64(pos) + 1 + points, grid.rows());
    times.reserve(std::size_t(std::max<qint64>(end - pos - 1, 0)));
    CellText cells[3];
    for (qint64 row = qint64(pos) + 1; row < end; ++row) {
        grid.rowUtf8(int(row), cells, 3);
        times.push_back(RecordTime::recordTime(cells[1].view(), cells[2].view()));
    }
    return times;
}

std::optional<Span> span(std::span<const std::optional<qint64>> times)
{
    std::optional<Span> s;
    for (const std::optional<qint64> &t : times) {
        if (!t)
            continue;
        if (!s)
            s = Span {*t, *t};
        s->first = std::min(s->first, *t);
        s->last = std::max(s->last, *t);
    }
    return s;
}

std::vector<Tick> ticks(const Timeline &timeline, const CurveGeometry::Layout &layout,
                        std::span<const std::optional<qint64>> times)
{
    std::vector<Tick> out;
    const int points = std::min(int(times.size()), layout.points);
    std::vector<TimeIndex::Entry> entries;
    entries.reserve(std::size_t(std::max(points, 0)));
    // For each point, the next point that has a time: two points follow each
    // other when no point with a time lies between them.
    std::vector<int> nextTimed(std::size_t(std::max(points, 0)), -1);
    int previous = -1;
    for (int i = 0; i < points; ++i) {
        if (!times[std::size_t(i)])
            continue;
        entries.push_back({*times[std::size_t(i)], i});
        if (previous >= 0)
            nextTimed[std::size_t(previous)] = i;
        previous = i;
    }
    if (entries.empty())
        return out;
    const TimeIndex screen(std::move(entries));
    const std::span<const Alarm> shown = timeline.inRange(*screen.firstTime(), *screen.lastTime());
    out.reserve(shown.size());
    const std::size_t first = std::size_t(shown.data() - timeline.alarms().data());
    const std::span<const qint64> shownTimes
        = std::span<const qint64>(timeline.times()).subspan(first, shown.size());
    std::vector<int> pointX(std::size_t(std::max(points, 0)));
    for (int i = 0; i < points; ++i)
        pointX[std::size_t(i)] = CurveReadout::markerX(layout, i);
    // Points in time order (the usual screen) are walked along with the
    // alarms; others are searched for each alarm.
    const std::span<const TimeIndex::Entry> byTime = screen.entriesInRange({}, {});
    const bool walk = screen.inRowOrder();
    std::size_t a = 0;
    std::size_t b = 0;
    BetweenPoints between;
    for (std::size_t k = 0; k < shownTimes.size(); ++k) {
        const qint64 t = shownTimes[k];
        int after = -1;
        int before = -1;
        if (walk) {
            while (a < byTime.size() && byTime[a].time < t)
                ++a;
            while (b + 1 < byTime.size() && byTime[b + 1].time <= t)
                ++b;
            after = byTime[a].row;
            before = byTime[b].row;
        } else {
            after = screen.firstRowAtOrAfter(t);
            before = screen.lastRowAtOrBefore(t);
        }
        if (after < 0 || before < 0)
            continue;
        const qint64 ta = *times[std::size_t(after)];
        int x = pointX[std::size_t(after)];
        if (ta != t && before < after && nextTimed[std::size_t(before)] == after) {
            if (between.before != before || between.after != after)
                between = BetweenPoints(before, after, *times[std::size_t(before)], ta,
                                        pointX[std::size_t(before)], x);
            x = between.x(t);
        }
        out.push_back({x, int(first + k)});
    }
    return out;
}

QRgb colour(qint64 number)
{
    return Palette[paletteIndex(number)];
}

void paint(QPainter &painter, std::span<const Tick> ticks, const Timeline &timeline, int plotBottom)
{
    // Thousands of alarms crowd onto a few hundred x: one line per x, in the
    // colour of its earliest alarm.
    int maxX = -1;
    for (const Tick &tick : ticks)
        maxX = std::max(maxX, tick.x);
    if (maxX < 0 || plotBottom < 0)
        return;
    std::vector<int> colourAt(std::size_t(maxX) + 1, -1);
    int columns = 0;
    for (const Tick &tick : ticks) {
        if (tick.x < 0 || colourAt[std::size_t(tick.x)] >= 0)
            continue;
        colourAt[std::size_t(tick.x)]
            = int(paletteIndex(timeline.alarms()[std::size_t(tick.alarm)].number));
        ++columns;
    }
    const QRect plot(0, 0, maxX + 1, plotBottom + 1);
    if (columns * 8 >= plot.width() && fillsWholePixels(painter)) {
        // A column a pixel wide is a span on every line; where they crowd,
        // one line of the lines' colours (clear between them) repeated down
        // the plot is a span a line, the same pixels.
        QImage lineOfColumns(plot.width(), 1, QImage::Format_ARGB32_Premultiplied);
        lineOfColumns.fill(Qt::transparent);
        auto *line = reinterpret_cast<QRgb *>(lineOfColumns.scanLine(0));
        for (int x = 0; x <= maxX; ++x) {
            if (const int c = colourAt[std::size_t(x)]; c >= 0)
                line[x] = Palette[std::size_t(c)];
        }
        painter.save();
        painter.setBrushOrigin(0, 0);
        painter.fillRect(plot, QBrush(lineOfColumns));
        painter.restore();
        return;
    }
    // A few lines, a printer's, or a scaled painter's with its own rounding:
    // a filled one-pixel rectangle a line (the quickest line the raster
    // engine draws).
    for (int x = 0; x <= maxX; ++x) {
        if (const int c = colourAt[std::size_t(x)]; c >= 0)
            painter.fillRect(QRect(x, 0, 1, plot.height()),
                             QColor::fromRgb(Palette[std::size_t(c)]));
    }
}

std::vector<Tick> ticksNear(std::span<const Tick> ticks, int x, int reach)
{
    std::optional<int> nearest;
    for (const Tick &tick : ticks) {
        const int d = std::abs(tick.x - x);
        if (d <= reach && (!nearest || d < std::abs(*nearest - x)))
            nearest = tick.x;
    }
    std::vector<Tick> near;
    if (!nearest)
        return near;
    for (const Tick &tick : ticks) {
        if (tick.x == *nearest)
            near.push_back(tick);
    }
    return near;
}

QString text(const Alarm &alarm, Language language)
{
    const QString time = alarm.time ? RecordTime::text(*alarm.time) : QString();
    return Translations::text(language, "CurveWindow", QT_TRANSLATE_NOOP("CurveWindow", "Alarm %1"))
               .arg(alarm.number)
        + QStringLiteral("  ") + time + QStringLiteral("  ") + alarm.text;
}

} // namespace AlarmTicks
