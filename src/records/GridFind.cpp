#include "records/GridFind.h"

#include "records/RecordGridModel.h"

#include <algorithm>

namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// ASCII case folding is exact on UTF-8: no byte of a longer sequence is ASCII.
bool containsAscii(QByteArrayView hay, QByteArrayView lowered)
{
    const qsizetype n = lowered.size();
    if (n > hay.size())
        return false;
    const char first = lowered[0];
    const char *h = hay.data();
    for (qsizetype i = 0, end = hay.size() - n; i <= end; ++i) {
        if (lower(h[i]) != first)
            continue;
        qsizetype k = 1;
        while (k < n && lower(h[i + k]) == lowered[k])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

} // namespace

GridFind::GridFind(const QString &text)
    : m_text(text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            m_ascii = false;
    m_needle = m_ascii ? text.toLatin1().toLower() : text.toUtf8();
    // A decimal is an optional "-" and digits: only a run of digits, with a "-" at most in
    // front, can be found in one.
    const QByteArrayView digits = QByteArrayView(m_needle).sliced(m_needle.startsWith('-') ? 1 : 0);
    m_canMatchNumbers = m_ascii
        && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool GridFind::cellMatches(QByteArrayView cell) const
{
    if (m_ascii)
        return containsAscii(cell, m_needle);
    // Texts beyond ASCII: an exact byte match first, then case folding for
    // cells that hold more than ASCII (the others cannot match).
    if (cell.indexOf(m_needle) >= 0)
        return true;
    if (std::all_of(cell.begin(), cell.end(), [](char c) { return uchar(c) < 0x80; }))
        return false;
    return QString::fromUtf8(cell).contains(m_text, Qt::CaseInsensitive);
}

bool GridFind::rowMatches(const RecordGridModel &grid, int row) const
{
    if (m_needle.isEmpty())
        return false;
    for (int c = 0; c < grid.cols(); ++c) {
        if (!m_canMatchNumbers && grid.cellIsNumber(c, row))
            continue;
        if (cellMatches(grid.cellUtf8(c, row)))
            return true;
    }
    return false;
}

std::vector<int> GridFind::matchingRows(const RecordGridModel &grid) const
{
    std::vector<int> rows;
    if (m_needle.isEmpty() || grid.recordCount() == 0)
        return rows;
    for (int r = 1; r < grid.rows(); ++r)
        if (rowMatches(grid, r))
            rows.push_back(r);
    return rows;
}

std::optional<qint64> GridFind::idAsked(const QString &text)
{
    const QString t = text.trimmed();
    if (!t.startsWith(QLatin1Char('#')))
        return std::nullopt;
    bool ok = false;
    const qint64 id = QStringView(t).mid(1).trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

int GridFind::rowOfId(const RecordGridModel &grid, qint64 id)
{
    const QByteArray wanted = QByteArray::number(id);
    if (grid.recordCount() == 0)
        return -1;
    for (int r = 1; r < grid.rows(); ++r)
        if (grid.cellUtf8(0, r) == wanted)
            return r;
    return -1;
}

int GridFind::nextMatch(const std::vector<int> &matches, int row, bool forward)
{
    if (matches.empty())
        return -1;
    if (forward) {
        const auto it = std::upper_bound(matches.begin(), matches.end(), row);
        return it == matches.end() ? matches.front() : *it;
    }
    const auto it = std::lower_bound(matches.begin(), matches.end(), row);
    return it == matches.begin() ? matches.back() : *(it - 1);
}
