#include "mainwindow/TimeRangeController.h"

#include "document/LogDocument.h"
#include "mainwindow/FindController.h"
#include "mainwindow/RecordGridView.h"
#include "mainwindow/TimeRangeDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>

TimeRangeController::TimeRangeController(LogDocument &document, TimeRangeChooser *chooser,
                                         Host host, QWidget *owner)
    : QObject(owner)
    , m_document(document)
    , m_chooser(chooser)
    , m_host(std::move(host))
    , m_owner(owner)
{
    if (!m_chooser) {
        m_ownChooser = std::make_unique<TimeRangeDialogChooser>();
        m_chooser = m_ownChooser.get();
    }
}

TimeRangeController::~TimeRangeController() = default;

void TimeRangeController::install(QMenu *popup, QAction *before, RecordGridView *view,
                                  QAbstractButton *count, FindController *find)
{
    m_view = view;
    m_count = count;
    m_action = new QAction(m_owner);
    m_action->setObjectName(QStringLiteral("TimeRange"));
    connect(m_action, &QAction::triggered, this, &TimeRangeController::chooseTimeRange);
    popup->insertAction(before, m_action);
    find->setTimeLookup({[this](int row) { return m_document.rowTime(row); },
                         [this](qint64 time) { return m_document.firstShownRowAtOrAfter(time); }});
    applyTexts(m_host.language());
}

void TimeRangeController::applyTexts(Language language)
{
    if (m_action)
        m_action->setText(TimeRangeTexts::menuItem(language));
}

void TimeRangeController::chooseTimeRange()
{
    if (m_document.gridState() != LogDocument::GridState::Loaded || m_host.busy())
        return;
    const TimeIndex &index = m_document.timeIndex();
    LogDocument::TimeRange range = m_document.timeRange();
    const TimeRangeDialog::Choice choice = m_chooser->chooseTimeRange(
        m_owner, m_host.language(), range, index.firstTime(), index.lastTime());
    if (choice == TimeRangeDialog::Choice::Cancelled)
        return;
    if (choice == TimeRangeDialog::Choice::All)
        range = {};
    // The current record stays current when the new range holds it.
    const QModelIndex currentIndex = m_view->currentIndex();
    const int current
        = currentIndex.isValid() ? m_document.grid().wholeRow(currentIndex.row() + 1) : -1;
    m_document.setTimeRange(range);
    const std::vector<int> &shown = m_document.grid().shownRows();
    int row = current;
    if (current > 0 && m_document.grid().showsSomeRows()) {
        const auto at = std::lower_bound(shown.begin(), shown.end(), current);
        row = at != shown.end() && *at == current ? int(at - shown.begin()) + 1 : -1;
    }
    if (row > 0)
        makeCurrent(row);
    m_host.rangeChanged();
}

QString TimeRangeController::title() const
{
    QString title = m_host.fileTitle();
    if (m_document.timeRange().limits())
        title += TimeRangeTexts::titleSuffix(m_host.language(), m_document.timeRange());
    return title;
}

void TimeRangeController::showRangeState()
{
    if (!m_count)
        return;
    if (!m_document.timeRange().limits() || m_document.path().isEmpty()) {
        m_count->setToolTip(QString());
        return;
    }
    const Language shownIn = m_host.language();
    const int shown = m_document.grid().recordCount();
    const int all = m_document.wholeRecordCount();
    m_count->setText(TimeRangeTexts::countDisplay(shownIn, shown, all));
    m_count->setToolTip(TimeRangeTexts::countTip(shownIn, shown, all));
    if (!m_owner->windowTitle().endsWith(
            TimeRangeTexts::titleSuffix(shownIn, m_document.timeRange())))
        m_host.setTitle(title());
}

void TimeRangeController::goToTime(qint64 time)
{
    const int row = m_document.firstShownRowAtOrAfter(time);
    if (row > 0)
        makeCurrent(row);
}

void TimeRangeController::makeCurrent(int row)
{
    const QModelIndex index = m_document.grid().index(row - 1, 0);
    m_view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(index, QAbstractItemView::PositionAtCenter);
}
