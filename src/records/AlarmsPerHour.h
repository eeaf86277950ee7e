#pragma once

#include "records/AlarmStatistics.h"

#include <QRect>

#include <span>
#include <vector>

// The bars of the alarms-per-hour chart, without a widget: every hour from
// the first alarm's to the last alarm's has its place, hours without an alarm
// as empty bars. A span too long for the chart's width is not scrolled: its
// buckets widen to whole multiples of an hour (2, 3, 4, 6, 12 hours, then
// whole days) until every bucket gets at least the narrowest bar.
namespace AlarmsPerHour {

struct Bucket
{
    qint64 start = 0; // the start of its first hour
    int count = 0;
};

struct Buckets
{
    qint64 hoursPerBucket = 1;
    std::vector<Bucket> buckets; // consecutive, in time order
    int most = 0; // the largest count, 0 when there is none
};

// Hours beyond these per bucket are whole days, as many as it takes.
constexpr qint64 BucketHours[] = {1, 2, 3, 4, 6, 12, 24};
constexpr int NarrowestBar = 4;

// At most `maxBuckets` buckets (at least one) over the hours of `perHour`
// (hour starts ascending, as alarmStatistics() gives them).
Buckets bucketsOf(std::span<const AlarmsInHour> perHour, int maxBuckets);

struct Bar
{
    QRect rect; // empty (zero height) for a bucket without alarms
    QRect slot; // the bucket's whole column, for hit tests
    int index = 0;
};

// The bars of `buckets` in `area`, side by side from its left, as wide as
// the area allows (a one-pixel gap between bars when they are wider than
// NarrowestBar); the tallest bar fills the area's height.
std::vector<Bar> barsIn(const Buckets &buckets, const QRect &area);

// How many buckets fit side by side in `width` pixels.
inline int bucketsFitting(int width)
{
    return width < NarrowestBar ? 1 : width / NarrowestBar;
}

} // namespace AlarmsPerHour
