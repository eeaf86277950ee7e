#include "records/AlarmStatistics.h"

#include "records/CellText.h"
#include "records/RecordGridModel.h"
#include "records/RecordTime.h"

#include <QHash>
#include <QIODevice>

#include <algorithm>

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
    std::vector<Occurrence> occurrences;
    occurrences.reserve(alarms.size());
    std::vector<qint64> hours;
    hours.reserve(alarms.size());
    for (size_t i = 0; i < alarms.size(); ++i) {
        const Alarm &alarm = alarms[i];
        if (bounded
            && (!alarm.time || (from && *alarm.time < *from) || (until && *alarm.time > *until)))
            continue;
        occurrences.push_back({alarm.number, alarm.time.value_or(0), int(i), bool(alarm.time)});
        if (alarm.time)
            hours.push_back(hourOf(*alarm.time));
    }
    std::sort(occurrences.begin(), occurrences.end(), groupOrder);

    AlarmStatistics result;
    result.total = int(occurrences.size());
    for (auto group = occurrences.begin(); group != occurrences.end();) {
        const auto groupEnd
            = std::find_if(group, occurrences.end(), [number = group->number](const Occurrence &o) {
                  return o.number != number;
              });
        const auto timed
            = std::find_if(group, groupEnd, [](const Occurrence &o) { return o.timed; });
        AlarmNumberStatistics s;
        s.number = group->number;
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
        group = groupEnd;
    }
    std::sort(result.numbers.begin(), result.numbers.end(),
              [](const AlarmNumberStatistics &a, const AlarmNumberStatistics &b) {
                  return a.count != b.count ? a.count > b.count : a.number < b.number;
              });

    // Far fewer hours than alarms: count them apart, then sort the hours.
    QHash<qint64, int> perHour;
    for (qint64 hour : hours)
        ++perHour[hour];
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
