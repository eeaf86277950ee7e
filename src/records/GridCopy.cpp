#include "records/GridCopy.h"

#include "records/RecordGridModel.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace GridCopy {

namespace {

bool needsQuotes(QByteArrayView cell)
{
    for (const char c : cell)
        if (c == '\t' || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

qsizetype cellSize(QByteArrayView cell)
{
    if (!needsQuotes(cell))
        return cell.size();
    return cell.size() + 2 + std::count(cell.begin(), cell.end(), '"');
}

char *putCell(char *at, QByteArrayView cell)
{
    if (!needsQuotes(cell)) {
        if (!cell.isEmpty())
            std::memcpy(at, cell.data(), size_t(cell.size()));
        return at + cell.size();
    }
    *at++ = '"';
    for (const char c : cell) {
        if (c == '"')
            *at++ = '"';
        *at++ = c;
    }
    *at++ = '"';
    return at;
}

template<typename RowFn> void forEachRow(const RowRanges &rows, RowFn fn)
{
    fn(0);
    for (const auto &[first, last] : rows)
        for (int r = first; r <= last; ++r)
            fn(r);
}

} // namespace

RowRanges normalized(RowRanges ranges, int gridRows)
{
    RowRanges out;
    for (auto &[first, last] : ranges) {
        if (first > last)
            std::swap(first, last);
        first = std::max(first, 1);
        last = std::min(last, gridRows - 1);
    }
    std::sort(ranges.begin(), ranges.end());
    for (const auto &range : ranges) {
        if (range.first > range.second)
            continue;
        if (!out.empty() && range.first <= out.back().second + 1)
            out.back().second = std::max(out.back().second, range.second);
        else
            out.push_back(range);
    }
    return out;
}

QByteArray rowsAsText(const RecordGridModel &grid, const RowRanges &rows)
{
    // Each cell's text is made once: a row is gathered, measured, then written in place. The
    // block grows by half again when a row does not fit; room never written takes no memory.
    const int cols = grid.cols();
    std::vector<CellText> cells(static_cast<std::size_t>(cols));
    QByteArray text;
    qsizetype used = 0;
    forEachRow(rows, [&](int r) {
        qsizetype size = (cols - 1) + 2;
        grid.rowUtf8(r, cells.data(), cols);
        for (int c = 0; c < cols; ++c)
            size += cellSize(cells[std::size_t(c)]);
        if (used + size > text.size())
            text.resize(std::max(used + size, text.size() + text.size() / 2 + 4096));
        char *at = text.data() + used;
        for (int c = 0; c < cols; ++c) {
            if (c > 0)
                *at++ = '\t';
            at = putCell(at, cells[std::size_t(c)]);
        }
        *at++ = '\r';
        *at++ = '\n';
        used = at - text.constData();
    });
    text.truncate(used);
    text.squeeze();
    return text;
}

} // namespace GridCopy
