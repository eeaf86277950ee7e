#pragma once

#include "document/AlarmHistory.h"
#include "platform/Language.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class AlarmListWindow;
class AlarmStatisticsWindow;
class LogDocument;
class QAction;
class QMenu;

// The alarms beside the records: the alarm file found in the open data
// file's folder (or another one chosen), read only when something shows its
// alarms; the alarm list and the alarm statistics with their pop-up menu
// items; and what the curve window hears of them.
class AlarmsController : public QObject
{
    Q_OBJECT
public:
    // What the controller asks of the window it serves.
    struct Host
    {
        std::function<Language()> language;
        // Another alarm file; empty when cancelled.
        std::function<QString(QWidget *owner)> chooseAlarmFile;
        // Tells the user that a chosen file holds no alarms that can be read.
        std::function<void()> notAlarmFile;
        // Makes the first record shown at or after `time` the current row.
        std::function<void(qint64 time)> goToTime;
    };

    AlarmsController(const LogDocument &document, Host host, QWidget *owner);

    // Puts the alarm list's and the statistics' items into `popup` before `before`.
    void install(QMenu *popup, QAction *before);
    void applyTexts(Language language);

    AlarmListWindow *list() const { return m_list; }
    QAction *listAction() const { return m_listAction; }
    AlarmStatisticsWindow *statistics() const { return m_statistics; }
    QAction *statisticsAction() const { return m_statisticsAction; }

    // After an open: the alarm file of the data file's folder, when it has one.
    void findAlarmsBeside();
    // The list and the statistics take the range the grid now shows.
    void listAlarms();

public slots:
    // Lists the alarms of `path` beside the records; false when it is not
    // an alarm file that could be read.
    bool useAlarmFile(const QString &path);
    void chooseAlarmFile();
    void showAlarmList();
    void showAlarmStatistics();
    // The alarm file beside the records is read from now on, at once and at
    // every opening (the curve window ticks its alarms).
    void wantAlarms();

signals:
    // The alarms beside the records were read, or another file chosen.
    void alarmsChanged(const std::optional<AlarmHistory> &alarms);
    // A listed alarm was chosen: `row` is the record at its time.
    void alarmRecordChosen(int row);

private:
    // Reads the alarm file found beside the records, when not read yet;
    // true when it was read now.
    bool readAlarmsBeside();
    // The statistics count afresh while their window shows; a hidden one
    // when it next shows.
    void countAlarms();

    const LogDocument &m_document;
    Host m_host;
    QWidget *m_owner = nullptr;
    QAction *m_listAction = nullptr;
    QAction *m_statisticsAction = nullptr;
    AlarmListWindow *m_list = nullptr;
    AlarmStatisticsWindow *m_statistics = nullptr;
    // The alarm file found beside the data file, read when first wanted.
    QString m_alarmsBeside;
    std::optional<AlarmHistory> m_alarms;
    bool m_alarmsWanted = false;
};
