#pragma once

#include "platform/FramePacer.h"

#include <QTableView>

class RecordGridModel;

// The record grid on screen: the title row and the ID column are the fixed
// headers, rows have one fixed height, whole rows are selected, nothing is
// edited. Column widths follow the model.
class RecordGridView : public QTableView
{
    Q_OBJECT
public:
    explicit RecordGridView(QWidget *parent = nullptr);

    void setRecordGrid(RecordGridModel *grid);
    RecordGridModel *recordGrid() const { return m_grid; }

    // Makes grid row `row` (1 = first data row) the current row, scrolled into
    // view, and paints the grid at once when a picture is due (about 60 a
    // second); rows between pictures are painted when the run returns.
    void showRowNow(int row);
    // Makes the last row given to showRowNow() current, if no picture showed
    // it yet: the end of a run that showed rows as they came.
    void finishRows();

    // The bottom `pixels` of the viewport are covered (by the find bar): the grid scrolls far
    // enough that its last row can lie above them.
    void setCoveredBottom(int pixels);
    int coveredBottom() const { return m_coveredBottom; }

protected:
    void updateGeometries() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    bool viewportEvent(QEvent *event) override;

private:
    void applyColumnWidths();
    // Makes index current, scrolled into view, and paints the grid now.
    void showCurrentRow(const QModelIndex &index);

    RecordGridModel *m_grid = nullptr;
    QWidget *m_corner = nullptr;
    FramePacer m_frames;
    bool m_catchUpPosted = false;
    // The row made current between two pictures: nothing sees the current
    // row move until the next picture, so it is set only then.
    int m_pendingRow = -1;
    static constexpr unsigned RowsPerClockRead = 64;
    unsigned m_rowsSinceClock = 0;
    // An update of the cells or the row header is asked for and not yet
    // painted: asking again changes nothing.
    bool m_paintPending = false;
    bool m_headerPaintPending = false;
    int m_coveredBottom = 0;
};
