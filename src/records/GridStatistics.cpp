#include "records/GridStatistics.h"

#include "records/RecordGridModel.h"
#include "records/TagValue.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace GridStatistics {

bool holdsNumbers(const RecordGridModel &grid, int col, ValueFormat::Format format)
{
    if (col < 3 || col >= grid.cols())
        return false;
    if (const auto &tags = grid.tagColumns()) {
        const auto i = std::size_t(col - 3);
        return i < tags->size() && (*tags)[i].holdsNumbers();
    }
    return format != ValueFormat::Format::Hex32;
}

QList<ColumnStatistics> valueColumns(const RecordGridModel &grid, ValueFormat::Format format,
                                     const std::function<void(int row)> &eachRow)
{
    QList<ColumnStatistics> columns;
    QList<int> cols;
    for (int c = 3; c < grid.cols(); ++c) {
        if (!holdsNumbers(grid, c, format))
            continue;
        ColumnStatistics column;
        column.title = grid.cell(c, 0);
        if (const auto &tags = grid.tagColumns())
            column.shownDecimals = (*tags)[std::size_t(c - 3)].shownDecimals();
        columns.append(column);
        cols.append(c);
    }
    const int records = grid.recordCount();
    for (int row = 1; row <= records; ++row) {
        if (eachRow)
            eachRow(row);
        for (qsizetype i = 0; i < cols.size(); ++i)
            columns[i].statistics.add(grid.cellUtf8(cols[i], row));
    }
    return columns;
}

NumberStatistics ofBlocks(const RecordGridModel &grid, ValueFormat::Format format,
                          const QList<CellBlock> &blocks)
{
    NumberStatistics statistics;
    const int records = grid.recordCount();
    std::vector<std::pair<int, int>> rows;
    for (int col = 3; col < grid.cols(); ++col) {
        rows.clear();
        for (const CellBlock &b : blocks)
            if (col >= b.firstCol && col <= b.lastCol)
                rows.emplace_back(std::max(b.firstRow, 1), std::min(b.lastRow, records));
        if (rows.empty() || !holdsNumbers(grid, col, format))
            continue;
        std::sort(rows.begin(), rows.end());
        int next = 1; // the first row not yet taken
        NumberStatistics::DecimalRun run;
        for (const auto &[first, last] : rows) {
            for (int row = std::max(first, next); row <= last; ++row) {
                // The number itself where the cell shows a plain decimal.
                const auto number = grid.cellDecimal(col, row);
                if (number && run.take(*number))
                    continue;
                statistics.add(std::exchange(run, {}));
                if (number && run.take(*number))
                    continue;
                statistics.add(grid.cellUtf8(col, row));
            }
            next = std::max(next, last + 1);
        }
        statistics.add(run);
    }
    return statistics;
}

} // namespace GridStatistics
