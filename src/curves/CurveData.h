#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

#include "records/CellNumber.h"

class RecordGridModel;

namespace CurveData {

// The nearest integer, a half going to the even neighbour.
std::int64_t nearest(double x);

// The number a value cell stands for: with real-number cells (the
// "32bit Float" display format) the decimal real rounded to the nearest
// integer, halves to even; otherwise the decimal integer. No number for an
// empty text, letters, a hexadecimal text, an infinity or NaN, or a value
// beyond the 64-bit range.
std::optional<std::int64_t> cellNumber(QByteArrayView utf8, bool realCells);
// The same for a cell's number: a hexadecimal cell counts by its digits read
// as decimal, so only one without letters has a number.
std::optional<std::int64_t> curveValue(const std::optional<CellNumber> &number, bool realCells);

// A cell's text as far as `maxChars` characters go: a picture `maxChars` pixels wide can show no
// more, and a huge cell is never turned into text whole.
QString shownCell(const RecordGridModel &grid, int col, int row, int maxChars);

// Reads the grid afresh on every call: nothing is copied out of it.
class GridReader
{
public:
    GridReader(const RecordGridModel &grid, bool realCells)
        : m_grid(grid)
        , m_realCells(realCells)
    { }

    // Point i of a curve shown from scroll position pos: grid row pos + 1 + i,
    // grid column buffer position + 3.
    std::optional<std::int64_t> point(int bufferPos, int pos, int i) const;

    // "date / time (pos + 1/scroll maximum + 1)" for the first shown row, each cell cut to
    // `maxChars` characters.
    QString xInfoText(int pos, int scrollMax, int maxChars) const;

    // Record date and time of a row, one space between ("" cells for a row
    // the grid does not have).
    QString dateTime(int row) const;

    // The first data ID: the decimal integer in column 0, row 1, else 0.
    int firstDataId() const;

private:
    const RecordGridModel &m_grid;
    bool m_realCells;
};

} // namespace CurveData
