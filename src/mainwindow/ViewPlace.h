#pragma once

class RecordGridModel;
class RecordGridView;

// Where the user stands in the grid: the top row in sight, the current row,
// and whether the last row was in sight. Taken before the grid is read again
// and given back after, so that a reload or growth leaves the view in place.
struct ViewPlace
{
    int top = -1;
    int current = -1;
    bool atEnd = false;

    static ViewPlace of(const RecordGridView &view, const RecordGridModel &grid);
    // A row the grid no longer holds is left alone; a view that showed the
    // last row shows the last row again.
    void restore(RecordGridView &view, const RecordGridModel &grid) const;
};
