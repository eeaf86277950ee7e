#pragma once

#include <QtGlobal>

#include <optional>
#include <span>
#include <vector>

class RecordGridModel;

// The times of a grid's records, sorted once so that a moment and a range
// of moments are found by binary search. Records need not be in time order
// (a panel clock set back writes later records with earlier times): every
// answer goes by the time values. Among records of equal time the lower row
// comes first. Rows without a time are not in the index at all.
class TimeIndex
{
public:
    struct Entry
    {
        qint64 time = 0;
        int row = 0;
        friend bool operator==(const Entry &, const Entry &) = default;
    };

    TimeIndex() = default;
    // From the rows (0 and up) that have a time, in any order.
    explicit TimeIndex(std::vector<Entry> entries);
    // The data records of a grid: the date in column 1, the time in column 2
    // of rows 1 and on, of the whole grid (rows not shown too).
    static TimeIndex ofDataRecords(const RecordGridModel &grid);
    // The alarms of an alarm list: the time in column 1.
    static TimeIndex ofAlarms(const RecordGridModel &grid);

    // Rows that have a time.
    qsizetype size() const { return qsizetype(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    // Whether the times rise (or stay) with the rows.
    bool inRowOrder() const { return m_inRowOrder; }
    // The earliest and the latest time; none when no row has a time.
    std::optional<qint64> firstTime() const;
    std::optional<qint64> lastTime() const;

    // The row of the earliest time at or after `time` (the lowest such row
    // among equal times); -1 when every time is earlier.
    int firstRowAtOrAfter(qint64 time) const;
    // The row of the latest time at or before `time` (the highest such row
    // among equal times); -1 when every time is later.
    int lastRowAtOrBefore(qint64 time) const;

    // The entries whose time lies in [from, until], bounds included, a
    // missing bound open; in time order. Empty when from > until.
    std::span<const Entry> entriesInRange(std::optional<qint64> from,
                                          std::optional<qint64> until) const;
    // Their rows in grid order. Records in time order give them as found;
    // a few runs of rising time (a clock set back now and then) give one
    // span of rows per run, found by binary search and put one after the
    // other; many runs sort them, or for many rows pick them from a bit per
    // row.
    std::vector<int> rowsInRange(std::optional<qint64> from, std::optional<qint64> until) const;

    // Shows in `grid` the rows of the range (the grid the index was made
    // of); a range that holds every record shows every row with no row map.
    void showRange(RecordGridModel &grid, std::optional<qint64> from,
                   std::optional<qint64> until) const;

    // The runs of rising time that rowsInRange takes spans of: none when the
    // records are in time order or the runs are too many to be worth it.
    qsizetype runCount() const { return qsizetype(m_runStarts.size()); }

private:
    void keepRuns(std::span<const Entry> byRow, std::vector<size_t> runStarts);

    std::vector<Entry> m_entries; // by time, then row
    bool m_inRowOrder = true;
    int m_maxRow = 0;
    // Out of time order: the times and rows in row order, and where each run
    // of rising time starts in them.
    std::vector<qint64> m_runTimes;
    std::vector<int> m_runRows;
    std::vector<size_t> m_runStarts;
};
