#include "mainwindow/AlarmsController.h"

#include "document/LogDocument.h"
#include "mainwindow/AlarmListWindow.h"
#include "mainwindow/AlarmStatisticsWindow.h"
#include "mainwindow/TimeRangeDialog.h"
#include "widgets/OwnedWindow.h"

#include <QAction>
#include <QMenu>

AlarmsController::AlarmsController(const LogDocument &document, Host host, QWidget *owner)
    : QObject(owner)
    , m_document(document)
    , m_host(std::move(host))
    , m_owner(owner)
{ }

void AlarmsController::install(QMenu *popup, QAction *before)
{
    m_listAction = new QAction(m_owner);
    m_listAction->setObjectName(QStringLiteral("AlarmListAction"));
    connect(m_listAction, &QAction::triggered, this, &AlarmsController::showAlarmList);
    m_statisticsAction = new QAction(m_owner);
    m_statisticsAction->setObjectName(QStringLiteral("AlarmStatisticsAction"));
    connect(m_statisticsAction, &QAction::triggered, this, &AlarmsController::showAlarmStatistics);
    popup->insertAction(before, m_listAction);
    popup->insertAction(before, m_statisticsAction);

    m_list = new AlarmListWindow(m_owner);
    connect(m_list, &AlarmListWindow::alarmChosen, this, [this](qint64 time) {
        m_host.goToTime(time);
        // The curve window shows the same record.
        if (const int row = m_document.firstShownRowAtOrAfter(time); row > 0)
            emit alarmRecordChosen(row);
    });
    connect(m_list, &AlarmListWindow::otherFileWanted, this, &AlarmsController::chooseAlarmFile);
    m_statistics = new AlarmStatisticsWindow(m_owner);
    applyTexts(m_host.language());
}

void AlarmsController::applyTexts(Language language)
{
    if (!m_list)
        return;
    m_listAction->setText(TimeRangeTexts::alarmListItem(language));
    m_list->setTexts(language);
    m_statisticsAction->setText(AlarmStatisticsWindow::menuItemText(language));
    m_statistics->setTexts(language);
}

void AlarmsController::findAlarmsBeside()
{
    m_alarms.reset();
    m_alarmsBeside.clear();
    if (m_document.kind() == LogDocument::FileKind::RecordDatabase
        || m_document.kind() == LogDocument::FileKind::BinaryData)
        m_alarmsBeside = AlarmHistory::findBeside(m_document.path());
    // Runs without the list, the statistics or the curves (the command line) read no alarms.
    if (m_alarmsWanted || m_list->isVisible() || m_statistics->isVisible())
        readAlarmsBeside();
    listAlarms();
}

bool AlarmsController::useAlarmFile(const QString &path)
{
    std::optional<AlarmHistory> alarms = AlarmHistory::read(path);
    if (!alarms)
        return false;
    m_alarms = std::move(alarms);
    m_alarmsBeside.clear();
    listAlarms();
    return true;
}

void AlarmsController::chooseAlarmFile()
{
    const QString path = m_host.chooseAlarmFile(m_list);
    if (!path.isEmpty() && !useAlarmFile(path))
        m_host.notAlarmFile();
}

void AlarmsController::listAlarms()
{
    const LogDocument::TimeRange range = m_document.timeRange();
    m_list->setAlarms(m_alarms, range.from, range.until);
    countAlarms();
    emit alarmsChanged(m_alarms);
}

bool AlarmsController::readAlarmsBeside()
{
    if (m_alarms || m_alarmsBeside.isEmpty())
        return false;
    m_alarms = AlarmHistory::read(m_alarmsBeside);
    return true;
}

void AlarmsController::wantAlarms()
{
    m_alarmsWanted = true;
    if (readAlarmsBeside())
        listAlarms();
}

void AlarmsController::showAlarmList()
{
    if (readAlarmsBeside())
        listAlarms();
    showOwnedWindow(m_list, m_owner);
}

void AlarmsController::countAlarms()
{
    // Counting a million alarms takes a while: only for a window that shows.
    if (!m_statistics->isVisible())
        return;
    const LogDocument::TimeRange range = m_document.timeRange();
    m_statistics->setAlarms(m_alarms, range.from, range.until);
}

void AlarmsController::showAlarmStatistics()
{
    const bool read = readAlarmsBeside();
    showOwnedWindow(m_statistics, m_owner);
    // Alarms read now reach the list and the curves too, not the statistics alone.
    if (read)
        listAlarms();
    else
        countAlarms();
}
