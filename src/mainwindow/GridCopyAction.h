#pragma once

#include "platform/Language.h"

#include <QByteArray>
#include <QObject>

class QAction;
class QMenu;
class QWidget;
class RecordGridModel;
class RecordGridView;

// Copy of the selected rows (Ctrl+C and the grid's context menu) and Select
// All (Ctrl+A). The actions are the window's, so that their shortcuts work
// wherever its focus is.
class GridCopyAction : public QObject
{
    Q_OBJECT
public:
    GridCopyAction(QWidget *window, RecordGridView *view, const RecordGridModel *grid);

    // The selected rows under the title row, as Copy puts them on the clipboard.
    QByteArray selectionText() const;
    void copySelection();
    void selectAllRows();
    void setTexts(Language language);

private:
    RecordGridView *m_view;
    const RecordGridModel *m_grid;
    QAction *m_copy;
    QMenu *m_gridMenu;
};
