#include "mainwindow/FindController.h"

#include "mainwindow/FindBar.h"
#include "mainwindow/RecordGridView.h"
#include "records/GridFind.h"
#include "records/RecordGridModel.h"
#include "records/RecordTime.h"
#include "texts/MainTexts.h"

#include <QAction>

#include <algorithm>

FindController::FindController(QWidget *window, RecordGridView *view, const RecordGridModel *grid)
    : QObject(window)
    , m_view(view)
    , m_grid(grid)
    , m_bar(new FindBar(view, view->parentWidget()))
{
    const auto addKey = [this, window](const char *name, const QKeySequence &key,
                                       void (FindController::*slot)()) {
        auto *action = new QAction(window);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        connect(action, &QAction::triggered, this, slot);
    };
    addKey("Find", QKeySequence::Find, &FindController::showFind);
    addKey("GoToId", QKeySequence(Qt::CTRL | Qt::Key_G), &FindController::showGoToId);
    addKey("FindNextKey", QKeySequence(Qt::Key_F3), &FindController::findNext);
    addKey("FindPreviousKey", QKeySequence(Qt::SHIFT | Qt::Key_F3), &FindController::findPrevious);
    connect(m_bar, &FindBar::next, this, &FindController::findNext);
    connect(m_bar, &FindBar::previous, this, &FindController::findPrevious);
    connect(m_bar, &FindBar::textEdited, this, [this] {
        m_matchesStale = true;
        step(true, true);
    });
    connect(m_bar, &FindBar::closed, view, qOverload<>(&QWidget::setFocus));
    connect(m_bar, &FindBar::closed, view, [view] { view->setCoveredBottom(0); });
}

void FindController::setTexts(Language language)
{
    m_bar->setTexts(language);
}

void FindController::showFind()
{
    m_bar->open();
    if (!m_bar->text().isEmpty()) {
        m_matchesStale = true;
        step(true, true);
    }
}

void FindController::showGoToId()
{
    m_bar->open(QStringLiteral("#"));
}

void FindController::findNext()
{
    if (m_bar->isHidden())
        m_bar->open();
    step(true, false);
}

void FindController::findPrevious()
{
    if (m_bar->isHidden())
        m_bar->open();
    step(false, false);
}

QString FindController::countText() const
{
    return m_bar->findChild<QWidget *>(QStringLiteral("FindCount"))->property("text").toString();
}

void FindController::step(bool forward, bool fromCurrent)
{
    const QString text = m_bar->text();
    // An empty field finds nothing and counts nothing.
    if (text.isEmpty()) {
        m_bar->setCount(QString());
        return;
    }
    if (const std::optional<qint64> id = GridFind::idAsked(text)) {
        const int row = GridFind::rowOfId(*m_grid, *id);
        if (row > 0)
            showRow(row);
        m_bar->setCount(MainTexts::findCount(row > 0 ? 1 : 0, row > 0 ? 1 : 0));
        return;
    }
    if (RecordTime::findAsksTime(text)) {
        // Like an ID: one row, the first record at or after the time.
        const QModelIndex current = m_view->currentIndex();
        std::optional<qint64> currentTime;
        if (m_times.rowTime)
            currentTime = m_times.rowTime(current.isValid() ? current.row() + 1 : 1);
        const std::optional<RecordTime::Span> time = RecordTime::findTime(text, currentTime);
        const int row
            = time && m_times.firstRowAtOrAfter ? m_times.firstRowAtOrAfter(time->first) : -1;
        if (row > 0)
            showRow(row);
        m_bar->setCount(MainTexts::findCount(row > 0 ? 1 : 0, row > 0 ? 1 : 0));
        return;
    }
    if (m_matchesStale) {
        m_matches = GridFind(text).matchingRows(*m_grid);
        m_matchesStale = false;
    }
    const QModelIndex current = m_view->currentIndex();
    const int row = current.isValid() ? current.row() + 1 : 0;
    int target = -1;
    if (fromCurrent && std::binary_search(m_matches.begin(), m_matches.end(), row))
        target = row;
    else
        target = GridFind::nextMatch(m_matches, fromCurrent ? row - 1 : row, forward);
    if (target > 0)
        showRow(target);
    const auto at = std::lower_bound(m_matches.begin(), m_matches.end(), target);
    const int ordinal = target > 0 ? int(at - m_matches.begin()) + 1 : 0;
    m_bar->setCount(MainTexts::findCount(ordinal, int(m_matches.size())));
}

void FindController::showRow(int row)
{
    // The find bar lies over the grid's bottom: the grid scrolls as if it ended above the bar.
    int covered = 0;
    if (m_bar->isVisible()) {
        const int barTop = m_view->viewport()->mapFromGlobal(m_bar->mapToGlobal(QPoint())).y();
        covered = m_view->viewport()->height() - barTop;
    }
    m_view->setCoveredBottom(covered);
    const QModelIndex index = m_grid->index(row - 1, 0);
    m_view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(index);
    // A row under the bar goes to the middle, or as high as the end of the grid lets it.
    if (m_view->visualRect(index).bottom() >= m_view->viewport()->height() - covered)
        m_view->scrollTo(index, QAbstractItemView::PositionAtCenter);
}
