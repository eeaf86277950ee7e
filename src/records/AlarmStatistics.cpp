#include "records/AlarmStatistics.h"

#include "records/CellText.h"
#include "records/RecordGridModel.h"
#include "records/RecordTime.h"

#include <QHash>
#include <QIODevice>

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace {

// An alarm's place in the sort that groups a number's alarms: untimed ones
// first, then by time, ties in list order.
struct Occurrence
{
    qint64 number;
    qint64 time;
    int index;
    bool timed;
};

bool groupOrder(const Occurrence &a, const Occurrence &b)
{
    if (a.number != b.number)
        return a.number < b.number;
    if (a.timed != b.timed)
        return !a.timed;
    if (a.time != b.time)
        return a.time < b.time;
    return a.index < b.index;
}

// The most times in any window [t, t + width): some window of that count
// starts at one of the times, so trying those is enough. `times` ascends.
int mostInWindow(const Occurrence *first, const Occurrence *last, qint64 width)
{
    int most = 0;
    const Occurrence *end = first;
    for (const Occurrence *start = first; start != last; ++start) {
        while (end != last && end->time - start->time < width)
            ++end;
        most = std::max(most, int(end - start));
    }
    return most;
}

qint64 hourOf(qint64 time)
{
    return time >= 0 ? time / 3600 * 3600 : -((-time + 3599) / 3600) * 3600;
}

void appendCsvField(QByteArray &line, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\r')
        && !utf8.contains('\n')) {
        line += utf8;
        return;
    }
    line += '"';
    for (char c : utf8) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

} // namespace

GridAlarms alarmsOfGrid(const RecordGridModel &grid)
{
    GridAlarms result;
    if (grid.cols() < 4)
        return result;
    result.alarms.reserve(size_t(std::max(grid.rows() - 1, 0)));
    CellText cells[4];
    for (int row = 1; row < grid.rows(); ++row) {
        grid.rowUtf8(row, cells, 4);
        bool ok = false;
        const qint64 number = cells[2].view().trimmed().toLongLong(&ok);
        if (!ok) {
            // The empty row of a grid that holds no alarms is not an alarm.
            if (!(grid.rows() == 2 && cells[0].isEmpty() && cells[2].isEmpty()))
                ++result.unreadableNumbers;
            continue;
        }
        result.alarms.push_back({RecordTime::alarmTime(cells[1].view()), number,
                                 QString::fromUtf8(cells[3].view()), row});
    }
    return result;
}

AlarmStatistics alarmStatistics(std::span<const Alarm> alarms, std::optional<qint64> from,
                                std::optional<qint64> until)
{
    const bool bounded = from || until;
    // Panels have a few hundred alarm numbers: group the alarms by number
    // with a count per group, then sort each small group by time, rather
    // than sort all alarms at once.
    // Numbers below SmallNumbers (all that binary files hold, most in
    // databases) find their group by index, larger ones through a hash.
    constexpr qint64 SmallNumbers = 65536;
    std::vector<int> smallGroups;
    std::unordered_map<qint64, int> groupOfNumber;
    std::vector<qint64> numbers;
    std::vector<int> groupCounts;
    std::vector<int> groupOfAlarm(alarms.size(), -1);
    qint64 lastNumber = 0;
    int lastGroup = -1;
    qint64 firstHour = std::numeric_limits<qint64>::max();
    qint64 lastHour = std::numeric_limits<qint64>::min();
    int total = 0;
    for (size_t i = 0; i < alarms.size(); ++i) {
        const Alarm &alarm = alarms[i];
        if (bounded
            && (!alarm.time || (from && *alarm.time < *from) || (until && *alarm.time > *until)))
            continue;
        // Alarms of one number often come in runs.
        if (lastGroup < 0 || alarm.number != lastNumber) {
            const bool small = alarm.number >= 0 && alarm.number < SmallNumbers;
            int *group = nullptr;
            if (small) {
                if (smallGroups.empty())
                    smallGroups.assign(SmallNumbers, -1);
                group = &smallGroups[size_t(alarm.number)];
            } else {
                group = &groupOfNumber.try_emplace(alarm.number, -1).first->second;
            }
            if (*group < 0) {
                *group = int(numbers.size());
                numbers.push_back(alarm.number);
                groupCounts.push_back(0);
            }
            lastNumber = alarm.number;
            lastGroup = *group;
        }
        groupOfAlarm[i] = lastGroup;
        ++groupCounts[size_t(lastGroup)];
        ++total;
        if (alarm.time) {
            const qint64 hour = hourOf(*alarm.time);
            firstHour = std::min(firstHour, hour);
            lastHour = std::max(lastHour, hour);
        }
    }

    std::vector<int> groupStarts(numbers.size() + 1, 0);
    for (size_t g = 0; g < numbers.size(); ++g)
        groupStarts[g + 1] = groupStarts[g] + groupCounts[g];
    std::vector<Occurrence> occurrences(static_cast<size_t>(total));
    {
        std::vector<int> next(groupStarts.begin(), groupStarts.end() - 1);
        for (size_t i = 0; i < alarms.size(); ++i) {
            const int g = groupOfAlarm[i];
            if (g < 0)
                continue;
            const Alarm &alarm = alarms[i];
            occurrences[size_t(next[size_t(g)]++)]
                = {alarm.number, alarm.time.value_or(0), int(i), bool(alarm.time)};
        }
    }

    AlarmStatistics result;
    result.total = total;
    result.numbers.reserve(numbers.size());
    for (size_t g = 0; g < numbers.size(); ++g) {
        const auto group = occurrences.begin() + groupStarts[g];
        const auto groupEnd = occurrences.begin() + groupStarts[g + 1];
        std::sort(group, groupEnd, groupOrder);
        const auto timed
            = std::find_if(group, groupEnd, [](const Occurrence &o) { return o.timed; });
        AlarmNumberStatistics s;
        s.number = numbers[g];
        s.text = alarms[size_t(std::prev(groupEnd)->index)].text;
        s.count = int(groupEnd - group);
        s.share = double(s.count) / double(result.total);
        if (timed != groupEnd) {
            s.first = timed->time;
            s.last = std::prev(groupEnd)->time;
            s.maxInTenMinutes
                = mostInWindow(&*timed, &*timed + (groupEnd - timed), ChatterWindowSeconds);
        }
        result.numbers.push_back(std::move(s));
    }
    std::sort(result.numbers.begin(), result.numbers.end(),
              [](const AlarmNumberStatistics &a, const AlarmNumberStatistics &b) {
                  return a.count != b.count ? a.count > b.count : a.number < b.number;
              });

    if (firstHour > lastHour)
        return result;
    // Counted in place where the hours from first to last are not many more
    // than the alarms; a few alarms years apart go through a hash instead.
    const quint64 span = (quint64(lastHour) - quint64(firstHour)) / 3600 + 1;
    if (span <= std::max<quint64>(4096, 4 * quint64(total))) {
        std::vector<int> counts(size_t(span), 0);
        for (const Occurrence &o : occurrences)
            if (o.timed)
                ++counts[size_t((hourOf(o.time) - firstHour) / 3600)];
        for (size_t h = 0; h < counts.size(); ++h)
            if (counts[h] > 0)
                result.perHour.push_back({firstHour + qint64(h) * 3600, counts[h]});
        return result;
    }
    QHash<qint64, int> perHour;
    for (const Occurrence &o : occurrences)
        if (o.timed)
            ++perHour[hourOf(o.time)];
    result.perHour.reserve(size_t(perHour.size()));
    for (auto it = perHour.cbegin(); it != perHour.cend(); ++it)
        result.perHour.push_back({it.key(), it.value()});
    std::sort(result.perHour.begin(), result.perHour.end(),
              [](const AlarmsInHour &a, const AlarmsInHour &b) { return a.hour < b.hour; });
    return result;
}

bool writeAlarmStatisticsCsv(const AlarmStatistics &statistics, QIODevice &out)
{
    QByteArray text = "number,text,count,first,last,max_in_10_min\r\n";
    for (const AlarmNumberStatistics &s : statistics.numbers) {
        text += QByteArray::number(s.number);
        text += ',';
        appendCsvField(text, s.text);
        text += ',';
        text += QByteArray::number(s.count);
        text += ',';
        if (s.first)
            RecordTime::appendText(text, *s.first);
        text += ',';
        if (s.last)
            RecordTime::appendText(text, *s.last);
        text += ',';
        text += QByteArray::number(s.maxInTenMinutes);
        text += "\r\n";
    }
    return out.write(text) == text.size();
}
