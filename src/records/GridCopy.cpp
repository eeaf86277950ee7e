#include "records/GridCopy.h"

#include "records/RecordGridModel.h"

#include <algorithm>
#include <cstring>

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
    // Measured first, so the text is built in place without regrowing.
    const int cols = grid.cols();
    qsizetype size = 0;
    forEachRow(rows, [&](int r) {
        for (int c = 0; c < cols; ++c)
            size += cellSize(grid.cellUtf8(c, r));
        size += (cols - 1) + 2;
    });
    QByteArray text(size, Qt::Uninitialized);
    char *at = text.data();
    forEachRow(rows, [&](int r) {
        for (int c = 0; c < cols; ++c) {
            if (c > 0)
                *at++ = '\t';
            at = putCell(at, grid.cellUtf8(c, r));
        }
        *at++ = '\r';
        *at++ = '\n';
    });
    return text;
}

} // namespace GridCopy
