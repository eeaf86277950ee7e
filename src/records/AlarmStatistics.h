#pragma once

#include <QString>

#include <optional>
#include <span>
#include <vector>

class QIODevice;
class RecordGridModel;

// One alarm of an alarm history.
struct Alarm
{
    std::optional<qint64> time; // none when its time cannot be read
    qint64 number = 0;
    QString text;
    int row = 0; // its row in the alarm list
};

// The alarms of an alarm list grid (ID, time, number, text), in row order.
// Rows whose number is not a whole number are left out and counted.
struct GridAlarms
{
    std::vector<Alarm> alarms;
    int unreadableNumbers = 0;
};
GridAlarms alarmsOfGrid(const RecordGridModel &grid);

// How often each alarm number came within a time range.
struct AlarmNumberStatistics
{
    qint64 number = 0;
    // The text of its latest alarm by time; among equal times, or where none
    // has a time, the last in list order.
    QString text;
    int count = 0;
    // count / all alarms counted, 0 to 1.
    double share = 0;
    // Its first and last time; none when none of its alarms has a time.
    std::optional<qint64> first;
    std::optional<qint64> last;
    // Chatter: the most of its alarms whose times lie in one window
    // [t, t + 10 min) for any t; a repeat 600 s after another is in the next
    // window. 0 when none has a time.
    int maxInTenMinutes = 0;
};

struct AlarmsInHour
{
    qint64 hour = 0; // its start
    int count = 0;
};

struct AlarmStatistics
{
    // By count descending, then number ascending.
    std::vector<AlarmNumberStatistics> numbers;
    // The hours that have alarms, in time order; hours without any are left out.
    std::vector<AlarmsInHour> perHour;
    int total = 0;
};

constexpr qint64 ChatterWindowSeconds = 600;

// The statistics of the alarms whose time lies in [from, until] (bounds
// included, a missing bound open). With neither bound every alarm counts,
// also those without a time; with a bound those have no place in it.
AlarmStatistics alarmStatistics(std::span<const Alarm> alarms, std::optional<qint64> from = {},
                                std::optional<qint64> until = {});

// The statistics as CSV: the title row "number,text,count,first,last,max_in_10_min",
// then a row per number in their order; times as "yyyy-mm-dd hh:mm:ss" (empty
// when there is none); a field holding a comma, a double quote, CR or LF is
// quoted with its quotes doubled; UTF-8 without BOM; lines end in CRLF.
// False when the device could not take it all.
bool writeAlarmStatisticsCsv(const AlarmStatistics &statistics, QIODevice &out);
