#include "mainwindow/ViewPlace.h"

#include "mainwindow/RecordGridView.h"
#include "records/RecordGridModel.h"

#include <QItemSelectionModel>

ViewPlace ViewPlace::of(const RecordGridView &view, const RecordGridModel &grid)
{
    ViewPlace place;
    place.top = view.rowAt(0);
    place.current = view.currentIndex().isValid() ? view.currentIndex().row() : -1;
    const int bottom = view.rowAt(view.viewport()->height() - 1);
    place.atEnd = bottom < 0 || bottom >= grid.rowCount() - 1;
    return place;
}

void ViewPlace::restore(RecordGridView &view, const RecordGridModel &grid) const
{
    // A grid just refilled lays out its rows later: until then the scroll
    // range is the emptied grid's, and a row to scroll to lies beyond it.
    view.doItemsLayout();
    const int rows = grid.rowCount();
    if (current >= 0 && current < rows)
        view.selectionModel()->setCurrentIndex(grid.index(current, 0),
                                               QItemSelectionModel::ClearAndSelect
                                                   | QItemSelectionModel::Rows);
    if (atEnd)
        view.scrollToBottom();
    else if (top >= 0 && top < rows)
        view.scrollTo(grid.index(top, 0), QAbstractItemView::PositionAtTop);
}
