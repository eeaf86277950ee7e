#include "mainwindow/GridCopyAction.h"

#include "mainwindow/RecordGridView.h"
#include "records/GridCopy.h"
#include "records/RecordGridModel.h"
#include "texts/MainTexts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>

GridCopyAction::GridCopyAction(QWidget *window, RecordGridView *view, const RecordGridModel *grid)
    : QObject(window)
    , m_view(view)
    , m_grid(grid)
    , m_copy(new QAction(window))
    , m_gridMenu(new QMenu(window))
{
    m_copy->setObjectName(QStringLiteral("CopyRows"));
    m_copy->setShortcut(QKeySequence(QKeySequence::Copy));
    m_copy->setShortcutContext(Qt::WindowShortcut);
    window->addAction(m_copy);
    connect(m_copy, &QAction::triggered, this, &GridCopyAction::copySelection);
    auto *selectAll = new QAction(window);
    selectAll->setObjectName(QStringLiteral("SelectAllRows"));
    selectAll->setShortcut(QKeySequence(QKeySequence::SelectAll));
    selectAll->setShortcutContext(Qt::WindowShortcut);
    window->addAction(selectAll);
    connect(selectAll, &QAction::triggered, this, &GridCopyAction::selectAllRows);

    m_gridMenu->setObjectName(QStringLiteral("GridMenu"));
    m_gridMenu->addAction(m_copy);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_gridMenu->popup(m_view->viewport()->mapToGlobal(at)); });
}

QByteArray GridCopyAction::selectionText() const
{
    GridCopy::RowRanges ranges;
    for (const QItemSelectionRange &r : m_view->selectionModel()->selection())
        ranges.emplace_back(r.top() + 1, r.bottom() + 1);
    ranges = GridCopy::normalized(std::move(ranges), m_grid->rows());
    if (ranges.empty())
        return {};
    return GridCopy::rowsAsText(*m_grid, ranges);
}

void GridCopyAction::copySelection()
{
    const QByteArray text = selectionText();
    if (text.isEmpty())
        return;
    // Plain text as bytes: no rich text, no second copy as a string.
    auto *mime = new QMimeData;
    mime->setData(QStringLiteral("text/plain"), text);
    QApplication::clipboard()->setMimeData(mime);
}

void GridCopyAction::selectAllRows()
{
    m_view->selectAll();
}

void GridCopyAction::setTexts(Language language)
{
    m_copy->setText(MainTexts::copyMenu(language));
}
