#pragma once

#include <QByteArray>

#include <utility>
#include <vector>

class RecordGridModel;

// Grid rows as text that spreadsheets paste into cells: the title row, then
// each of `rows` (grid rows, 1 = first record) with every cell, the ID
// column included. Cells are separated by a tab and rows end in CRLF; a cell
// holding a tab, CR, LF or double quote is quoted with its quotes doubled.
// UTF-8, built in one buffer of exactly the text's size.
namespace GridCopy {

// Closed row ranges [first, last], sorted and not overlapping.
using RowRanges = std::vector<std::pair<int, int>>;

// Sorts and merges ranges, dropping rows outside 1 .. grid rows - 1.
RowRanges normalized(RowRanges ranges, int gridRows);

QByteArray rowsAsText(const RecordGridModel &grid, const RowRanges &rows);

} // namespace GridCopy
