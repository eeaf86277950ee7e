#include "records/AlarmsPerHour.h"

#include "records/RecordTime.h"

#include <algorithm>

namespace AlarmsPerHour {

namespace {

constexpr qint64 SecondsPerHour = 3600;

// Buckets of whole days start at midnight, shorter ones at a whole multiple
// of their length since midnight, so the labels read as clock times.
qint64 bucketStart(qint64 hourStart, qint64 hoursPerBucket)
{
    const qint64 length = hoursPerBucket * SecondsPerHour;
    const qint64 anchor = hoursPerBucket >= 24 ? 0 : RecordTime::startOfDay(hourStart);
    const qint64 offset = hourStart - anchor;
    const qint64 whole = offset >= 0 ? offset / length : -((-offset + length - 1) / length);
    return anchor + whole * length;
}

qint64 bucketCount(qint64 firstHour, qint64 lastHour, qint64 hoursPerBucket)
{
    const qint64 length = hoursPerBucket * SecondsPerHour;
    return (bucketStart(lastHour, hoursPerBucket) - bucketStart(firstHour, hoursPerBucket)) / length
        + 1;
}

} // namespace

Buckets bucketsOf(std::span<const AlarmsInHour> perHour, int maxBuckets)
{
    Buckets result;
    if (perHour.empty())
        return result;
    maxBuckets = std::max(maxBuckets, 1);
    const qint64 firstHour = perHour.front().hour;
    const qint64 lastHour = perHour.back().hour;
    qint64 hours = 0;
    for (qint64 candidate : BucketHours) {
        hours = candidate;
        if (bucketCount(firstHour, lastHour, hours) <= maxBuckets)
            break;
    }
    // Past a day: whole days, the fewest that fit.
    if (bucketCount(firstHour, lastHour, hours) > maxBuckets) {
        const qint64 days = (lastHour - firstHour) / (24 * SecondsPerHour) + 1;
        qint64 daysPerBucket = (days + maxBuckets - 1) / maxBuckets;
        while (bucketCount(firstHour, lastHour, daysPerBucket * 24) > maxBuckets)
            ++daysPerBucket;
        hours = daysPerBucket * 24;
    }
    result.hoursPerBucket = hours;
    const qint64 length = hours * SecondsPerHour;
    const qint64 first = bucketStart(firstHour, hours);
    result.buckets.resize(std::size_t(bucketCount(firstHour, lastHour, hours)));
    for (std::size_t i = 0; i < result.buckets.size(); ++i)
        result.buckets[i].start = first + qint64(i) * length;
    for (const AlarmsInHour &h : perHour) {
        Bucket &b = result.buckets[std::size_t((bucketStart(h.hour, hours) - first) / length)];
        b.count += h.count;
        result.most = std::max(result.most, b.count);
    }
    return result;
}

std::vector<Bar> barsIn(const Buckets &buckets, const QRect &area)
{
    std::vector<Bar> bars;
    const int n = int(buckets.buckets.size());
    if (n == 0 || area.width() <= 0 || area.height() <= 0)
        return bars;
    const int slotWidth = std::max(1, area.width() / n);
    const int gap = slotWidth > NarrowestBar ? 1 : 0;
    bars.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        const int count = buckets.buckets[std::size_t(i)].count;
        const int height = buckets.most > 0
            ? int((qint64(count) * area.height() + buckets.most - 1) / buckets.most)
            : 0;
        const int x = area.left() + i * slotWidth;
        Bar bar;
        bar.index = i;
        bar.slot = QRect(x, area.top(), slotWidth, area.height());
        bar.rect = QRect(x, area.bottom() + 1 - height, slotWidth - gap, height);
        bars.push_back(bar);
    }
    return bars;
}

} // namespace AlarmsPerHour
