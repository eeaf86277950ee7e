#pragma once

#include "records/AlarmStatistics.h"

#include <QString>

#include <optional>
#include <vector>

// The alarms of an alarm file (database or binary), read beside the data
// records so that the two can be put on one time line. Read as every log is:
// never opened for writing.
struct AlarmHistory
{
    QString path;
    // In the file's order.
    std::vector<Alarm> alarms;

    // The alarm file of `dataFile`'s folder ("Alarm.db"); empty when there
    // is none, or `dataFile` is that file.
    static QString findBeside(const QString &dataFile);
    // The alarms of `path`; none when it is not an alarm file that could be
    // read whole.
    static std::optional<AlarmHistory> read(const QString &path);

    // The alarms whose time lies in [from, until] (a missing bound open;
    // alarms without a time only when neither bound is given), in time
    // order, those without a time last in file order.
    std::vector<Alarm> inRange(std::optional<qint64> from, std::optional<qint64> until) const;
};
