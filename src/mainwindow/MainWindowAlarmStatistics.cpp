// The main window's alarm statistics: the pop-up menu item beside the alarm
// list's, and the window that counts the alarms of the range shown.

#include "mainwindow/AlarmStatisticsWindow.h"
#include "mainwindow/MainWindow.h"

#include "ui_MainWindow.h"

#include <QMenu>

void MainWindow::buildAlarmStatistics(QAction *alarmList)
{
    m_alarmStatisticsAction = new QAction(this);
    m_alarmStatisticsAction->setObjectName(QStringLiteral("AlarmStatisticsAction"));
    const QList<QAction *> items = popupMenu->actions();
    const qsizetype at = items.indexOf(alarmList);
    popupMenu->insertAction(at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr,
                            m_alarmStatisticsAction);
    connect(m_alarmStatisticsAction, &QAction::triggered, this, &MainWindow::showAlarmStatistics);
    m_alarmStatistics = new AlarmStatisticsWindow(this);
    applyAlarmStatisticsTexts(language());
}

void MainWindow::applyAlarmStatisticsTexts(Language language)
{
    m_alarmStatisticsAction->setText(AlarmStatisticsWindow::menuItemText(language));
    m_alarmStatistics->setTexts(language);
}

void MainWindow::readAlarmsBeside()
{
    // Whoever reads them first, the list, the statistics and the curves all get them.
    if (!m_alarms && !m_alarmsBeside.isEmpty()) {
        m_alarms = AlarmHistory::read(m_alarmsBeside);
        listAlarms();
    }
}

void MainWindow::countAlarms()
{
    // Counting a million alarms takes a while: only for a window that shows.
    if (!m_alarmStatistics || !m_alarmStatistics->isVisible())
        return;
    const LogDocument::TimeRange range = m_document.timeRange();
    m_alarmStatistics->setAlarms(m_alarms, range.from, range.until);
}

void MainWindow::showAlarmStatistics()
{
    readAlarmsBeside();
    m_alarmStatistics->show();
    m_alarmStatistics->raise();
    countAlarms();
}
