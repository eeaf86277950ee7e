// The main window's time range: the pop-up menu item, its dialog, and the
// count and title while a range shows. The log document keeps the range
// through reloads and growth; everything that reads the grid sees its rows.

#include "mainwindow/AlarmListWindow.h"
#include "mainwindow/AlarmStatisticsWindow.h"
#include "mainwindow/FindController.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/TimeRangeDialog.h"

#include "platform/MessageSink.h"
#include "texts/MainTexts.h"
#include "ui_MainWindow.h"

#include <QMenu>

void MainWindow::buildTimeRange()
{
    m_timeRange = new QAction(this);
    m_timeRange->setObjectName(QStringLiteral("TimeRange"));
    connect(m_timeRange, &QAction::triggered, this, &MainWindow::chooseTimeRange);
    // Beside the other items that change what the grid holds.
    popupMenu->insertAction(m_saveAs, m_timeRange);
    if (!m_services.timeRanges) {
        m_ownTimeRanges = std::make_unique<TimeRangeDialogChooser>();
        m_services.timeRanges = m_ownTimeRanges.get();
    }
    m_timeRange->setText(TimeRangeTexts::menuItem(language()));

    m_alarmListAction = new QAction(this);
    m_alarmListAction->setObjectName(QStringLiteral("AlarmListAction"));
    popupMenu->insertAction(m_saveAs, m_alarmListAction);
    connect(m_alarmListAction, &QAction::triggered, this, &MainWindow::showAlarmList);
    m_alarmListAction->setText(TimeRangeTexts::alarmListItem(language()));
    m_alarmList = new AlarmListWindow(this);
    m_alarmList->setTexts(language());
    connect(m_alarmList, &AlarmListWindow::alarmChosen, this, [this](qint64 time) {
        goToTime(time);
        // The curve window shows the same record.
        if (const int row = m_document.firstShownRowAtOrAfter(time); row > 0)
            emit alarmRecordChosen(row);
    });
    connect(m_alarmList, &AlarmListWindow::otherFileWanted, this, &MainWindow::chooseAlarmFile);
    m_find->setTimeLookup(
        {[this](int row) { return m_document.rowTime(row); },
         [this](qint64 time) { return m_document.firstShownRowAtOrAfter(time); }});
}

void MainWindow::chooseTimeRange()
{
    if (m_document.gridState() != LogDocument::GridState::Loaded || m_workDepth > 0)
        return;
    const TimeIndex &index = m_document.timeIndex();
    LogDocument::TimeRange range = m_document.timeRange();
    const TimeRangeDialog::Choice choice = m_services.timeRanges->chooseTimeRange(
        this, language(), range, index.firstTime(), index.lastTime());
    if (choice == TimeRangeDialog::Choice::Cancelled)
        return;
    if (choice == TimeRangeDialog::Choice::All)
        range = {};
    // The current record stays current when the new range holds it.
    const int current = ui->recordGrid->currentIndex().isValid()
        ? m_document.grid().wholeRow(ui->recordGrid->currentIndex().row() + 1)
        : -1;
    m_document.setTimeRange(range);
    const std::vector<int> &shown = m_document.grid().shownRows();
    int row = current;
    if (current > 0 && m_document.grid().showsSomeRows()) {
        const auto at = std::lower_bound(shown.begin(), shown.end(), current);
        row = at != shown.end() && *at == current ? int(at - shown.begin()) + 1 : -1;
    }
    if (row > 0) {
        const QModelIndex index = m_document.grid().index(row - 1, 0);
        ui->recordGrid->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        ui->recordGrid->scrollTo(index, QAbstractItemView::PositionAtCenter);
    }
    setWindowTitle(titleOfFile());
    updateCountDisplay();
    listAlarms();
    // The curve window draws what the grid shows.
    emit gridReloaded();
}

QString MainWindow::titleOfFile() const
{
    const Language shownIn = language();
    QString title = withTagSheet(MainTexts::windowTitleWithFile(shownIn, m_titleName));
    if (m_document.timeRange().limits())
        title += TimeRangeTexts::titleSuffix(shownIn, m_document.timeRange());
    return title;
}

void MainWindow::showTimeRangeState()
{
    if (!m_document.timeRange().limits() || m_document.path().isEmpty()) {
        ui->recordCountButton->setToolTip(QString());
        return;
    }
    const Language shownIn = language();
    const int shown = m_document.grid().recordCount();
    const int all = m_document.wholeRecordCount();
    ui->recordCountButton->setText(TimeRangeTexts::countDisplay(shownIn, shown, all));
    ui->recordCountButton->setToolTip(TimeRangeTexts::countTip(shownIn, shown, all));
    if (!windowTitle().endsWith(TimeRangeTexts::titleSuffix(shownIn, m_document.timeRange())))
        setWindowTitle(titleOfFile());
}

void MainWindow::findAlarmsBeside()
{
    m_alarms.reset();
    m_alarmsBeside.clear();
    if (m_document.kind() == LogDocument::FileKind::RecordDatabase
        || m_document.kind() == LogDocument::FileKind::BinaryData)
        m_alarmsBeside = AlarmHistory::findBeside(m_document.path());
    // Runs without the list, the statistics or the curves (the command line) read no alarms.
    if ((m_alarmsWanted || m_alarmList->isVisible() || m_alarmStatistics->isVisible())
        && !m_alarmsBeside.isEmpty())
        m_alarms = AlarmHistory::read(m_alarmsBeside);
    listAlarms();
}

bool MainWindow::useAlarmFile(const QString &path)
{
    std::optional<AlarmHistory> alarms = AlarmHistory::read(path);
    if (!alarms)
        return false;
    m_alarms = std::move(alarms);
    m_alarmsBeside.clear();
    listAlarms();
    return true;
}

void MainWindow::chooseAlarmFile()
{
    const QString path = m_services.files->chooseFileToOpen(m_alarmList);
    if (!path.isEmpty() && !useAlarmFile(path))
        message(MainTexts::captionNorvale(), MainTexts::invalidDatabase());
}

void MainWindow::listAlarms()
{
    const LogDocument::TimeRange range = m_document.timeRange();
    m_alarmList->setAlarms(m_alarms, range.from, range.until);
    countAlarms();
    emit alarmsChanged(m_alarms);
}

void MainWindow::wantAlarms()
{
    m_alarmsWanted = true;
    if (!m_alarms && !m_alarmsBeside.isEmpty()) {
        m_alarms = AlarmHistory::read(m_alarmsBeside);
        listAlarms();
    }
}

void MainWindow::showAlarmList()
{
    if (!m_alarms && !m_alarmsBeside.isEmpty()) {
        m_alarms = AlarmHistory::read(m_alarmsBeside);
        listAlarms();
    }
    m_alarmList->show();
    m_alarmList->raise();
}

void MainWindow::goToTime(qint64 time)
{
    const int row = m_document.firstShownRowAtOrAfter(time);
    if (row <= 0)
        return;
    const QModelIndex index = m_document.grid().index(row - 1, 0);
    ui->recordGrid->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ui->recordGrid->scrollTo(index, QAbstractItemView::PositionAtCenter);
}
