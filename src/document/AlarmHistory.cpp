#include "document/AlarmHistory.h"

#include "document/LogDocument.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

QString AlarmHistory::findBeside(const QString &dataFile)
{
    const QFileInfo data(dataFile);
    const QString alarms = data.dir().filePath(QStringLiteral("Alarm.db"));
    const QFileInfo info(alarms);
    if (!info.isFile() || data.fileName() == QLatin1String("Alarm.db"))
        return {};
    return alarms;
}

std::optional<AlarmHistory> AlarmHistory::read(const QString &path)
{
    LogDocument document;
    const LogDocument::Outcome outcome = document.open(path);
    if (!document.holdsAlarms() || outcome.status != LogDocument::Status::Loaded)
        return std::nullopt;
    AlarmHistory history;
    history.path = path;
    history.alarms = alarmsOfGrid(document.grid()).alarms;
    return history;
}

std::vector<Alarm> AlarmHistory::inRange(std::optional<qint64> from,
                                         std::optional<qint64> until) const
{
    std::vector<Alarm> picked;
    const bool bounded = from || until;
    for (const Alarm &alarm : alarms) {
        if (!alarm.time) {
            if (!bounded)
                picked.push_back(alarm);
            continue;
        }
        if ((from && *alarm.time < *from) || (until && *alarm.time > *until))
            continue;
        picked.push_back(alarm);
    }
    std::stable_sort(picked.begin(), picked.end(), [](const Alarm &a, const Alarm &b) {
        if (a.time && b.time)
            return *a.time < *b.time;
        return a.time.has_value() && !b.time.has_value();
    });
    return picked;
}
