#pragma once

#include "curves/CurveGeometry.h"
#include "platform/Language.h"
#include "records/AlarmStatistics.h"

#include <QList>
#include <QRgb>
#include <QString>

#include <optional>
#include <span>
#include <vector>

class QPainter;
class RecordGridModel;

// Alarms on the curve picture: which alarms fall on the shown screen, at
// which picture x, in which colour, and how they are drawn over the picture.
namespace AlarmTicks {

// The alarms that have a time, in time order (file order among equal times),
// sorted once so that a screen's alarms are found by binary search.
class Timeline
{
public:
    Timeline() = default;
    explicit Timeline(std::span<const Alarm> alarms);

    const std::vector<Alarm> &alarms() const { return m_alarms; }
    bool isEmpty() const { return m_alarms.empty(); }
    // The alarms whose time lies in [from, until], bounds included.
    std::span<const Alarm> inRange(qint64 from, qint64 until) const;
    // Their times, as alarms() has them.
    const std::vector<qint64> &times() const { return m_times; }

private:
    std::vector<Alarm> m_alarms;
    // Their times alone, side by side: a crowded screen reads thousands.
    std::vector<qint64> m_times;
};

struct Tick
{
    int x = 0; // picture x
    int alarm = 0; // index into the timeline's alarms
    friend bool operator==(const Tick &, const Tick &) = default;
};

// The times of the screen's points: grid rows pos + 1 to pos + points (or
// the grid's last row); none for a row whose date and time cannot be read.
std::vector<std::optional<qint64>> pointTimes(const RecordGridModel &grid, int pos, int points);

// The earliest and the latest time of the points; none when no point has one.
struct Span
{
    qint64 first = 0;
    qint64 last = 0;
    friend bool operator==(const Span &, const Span &) = default;
};
std::optional<Span> span(std::span<const std::optional<qint64>> times);

// The ticks of the screen whose points have these times, in time order. An
// alarm lies between the two points whose times surround it, placed by time
// between their x; on a point of its time, at that point (the first such).
// The surrounding times go by value, as going to a time does: the latest
// point time at or before the alarm and the earliest at or after it. When
// these two points do not follow each other (a clock set back on the
// screen), the tick stands at the later-time point, the record a go-to
// picks. Alarms before every point time or after every one have no tick.
std::vector<Tick> ticks(const Timeline &timeline, const CurveGeometry::Layout &layout,
                        std::span<const std::optional<qint64>> times);

// A stable colour per alarm number.
QRgb colour(qint64 number);

// The ticks as thin vertical lines from the plot's top to its bottom line;
// where several stand on one x, in the colour of the earliest.
void paint(QPainter &painter, std::span<const Tick> ticks, const Timeline &timeline,
           int plotBottom);

// The ticks nearest to picture x, within `reach` pixels; all of them stand
// on one x. Empty when none is that near.
std::vector<Tick> ticksNear(std::span<const Tick> ticks, int x, int reach);

// "Alarm 12  2013-05-07 08:01:10  Pressure high"
QString text(const Alarm &alarm, Language language);

} // namespace AlarmTicks
