#include "records/GridStatistics.h"

#include "records/RecordGridModel.h"
#include "records/TagValue.h"

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

} // namespace GridStatistics
