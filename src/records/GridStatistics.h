#pragma once

#include "records/NumberStatistics.h"
#include "records/ValueFormat.h"

#include <QList>

#include <functional>

class RecordGridModel;

// Statistics of the record grid's cells as they are shown.
namespace GridStatistics {

// Whether grid column `col` of data records holds numbers as shown: a tag
// sheet's number columns, or the value columns of a display format other
// than hexadecimal. Never the ID, date and time.
bool holdsNumbers(const RecordGridModel &grid, int col, ValueFormat::Format format);

// One entry per value column that holds numbers, in the grid's order, over
// every record; `eachRow` is called before each row (it may stop the work).
QList<ColumnStatistics> valueColumns(const RecordGridModel &grid, ValueFormat::Format format,
                                     const std::function<void(int row)> &eachRow = {});

// Grid columns firstCol .. lastCol of grid rows firstRow .. lastRow.
struct CellBlock
{
    int firstCol = 0;
    int lastCol = -1;
    int firstRow = 0;
    int lastRow = -1;
};

// The cells of `blocks` that hold numbers, each counted once where blocks
// overlap, column by column and down each column.
NumberStatistics ofBlocks(const RecordGridModel &grid, ValueFormat::Format format,
                          const QList<CellBlock> &blocks);

} // namespace GridStatistics
