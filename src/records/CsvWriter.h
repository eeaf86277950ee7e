#pragma once

class QIODevice;
class RecordGridModel;

// The record grid as CSV: every row from the title row to the last, each
// with the grid's column count of fields; a field holding a comma, a double
// quote, CR or LF is quoted with its quotes doubled; UTF-8 without BOM;
// every line ends in CRLF. False when the device could not take it all.
bool writeGridCsv(const RecordGridModel &grid, QIODevice &out);
