#include "records/TimeIndex.h"

#include "records/CellText.h"
#include "records/RecordGridModel.h"
#include "records/RecordTime.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace {

bool byTimeThenRow(const TimeIndex::Entry &a, const TimeIndex::Entry &b)
{
    return a.time != b.time ? a.time < b.time : a.row < b.row;
}

// Up to this many ordered runs are merged; more are sorted.
constexpr size_t MergedRuns = 16;

} // namespace

TimeIndex::TimeIndex(std::vector<Entry> entries)
    : m_entries(std::move(entries))
{
    // The usual file is written in time order and needs no sort; one whose
    // clock was set back a few times is a few ordered runs, merged in turn.
    std::vector<size_t> runEnds;
    for (size_t i = 1; i < m_entries.size() && runEnds.size() <= MergedRuns; ++i)
        if (byTimeThenRow(m_entries[i], m_entries[i - 1]))
            runEnds.push_back(i);
    if (runEnds.size() > MergedRuns) {
        std::sort(m_entries.begin(), m_entries.end(), byTimeThenRow);
    } else {
        runEnds.push_back(m_entries.size());
        for (size_t r = 1; r < runEnds.size(); ++r)
            std::inplace_merge(m_entries.begin(), m_entries.begin() + qsizetype(runEnds[r - 1]),
                               m_entries.begin() + qsizetype(runEnds[r]), byTimeThenRow);
    }
    for (const Entry &e : m_entries)
        m_maxRow = std::max(m_maxRow, e.row);
    m_inRowOrder = std::is_sorted(m_entries.begin(), m_entries.end(),
                                  [](const Entry &a, const Entry &b) { return a.row < b.row; });
}

TimeIndex TimeIndex::ofDataRecords(const RecordGridModel &grid)
{
    std::vector<Entry> entries;
    if (grid.cols() < 3)
        return {};
    entries.reserve(size_t(std::max(grid.wholeRows() - 1, 0)));
    CellText cells[3];
    for (int row = 1; row < grid.wholeRows(); ++row) {
        grid.wholeRowUtf8(row, cells, 3);
        if (const auto time = RecordTime::recordTime(cells[1].view(), cells[2].view()))
            entries.push_back({*time, row});
    }
    return TimeIndex(std::move(entries));
}

TimeIndex TimeIndex::ofAlarms(const RecordGridModel &grid)
{
    std::vector<Entry> entries;
    if (grid.cols() < 2)
        return {};
    entries.reserve(size_t(std::max(grid.wholeRows() - 1, 0)));
    CellText cells[2];
    for (int row = 1; row < grid.wholeRows(); ++row) {
        grid.wholeRowUtf8(row, cells, 2);
        if (const auto time = RecordTime::alarmTime(cells[1].view()))
            entries.push_back({*time, row});
    }
    return TimeIndex(std::move(entries));
}

std::optional<qint64> TimeIndex::firstTime() const
{
    return m_entries.empty() ? std::nullopt : std::optional<qint64>(m_entries.front().time);
}

std::optional<qint64> TimeIndex::lastTime() const
{
    return m_entries.empty() ? std::nullopt : std::optional<qint64>(m_entries.back().time);
}

int TimeIndex::firstRowAtOrAfter(qint64 time) const
{
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), time,
                                     [](const Entry &e, qint64 t) { return e.time < t; });
    return it == m_entries.end() ? -1 : it->row;
}

int TimeIndex::lastRowAtOrBefore(qint64 time) const
{
    const auto it = std::upper_bound(m_entries.begin(), m_entries.end(), time,
                                     [](qint64 t, const Entry &e) { return t < e.time; });
    return it == m_entries.begin() ? -1 : std::prev(it)->row;
}

std::span<const TimeIndex::Entry> TimeIndex::entriesInRange(std::optional<qint64> from,
                                                            std::optional<qint64> until) const
{
    if (from && until && *from > *until)
        return {};
    auto first = m_entries.begin();
    auto last = m_entries.end();
    if (from)
        first = std::lower_bound(first, last, *from,
                                 [](const Entry &e, qint64 t) { return e.time < t; });
    if (until)
        last = std::upper_bound(first, last, *until,
                                [](qint64 t, const Entry &e) { return t < e.time; });
    return std::span<const Entry>(m_entries).subspan(size_t(first - m_entries.begin()),
                                                     size_t(last - first));
}

std::vector<int> TimeIndex::rowsInRange(std::optional<qint64> from,
                                        std::optional<qint64> until) const
{
    const auto entries = entriesInRange(from, until);
    std::vector<int> rows;
    rows.reserve(entries.size());
    if (m_inRowOrder || entries.size() < m_entries.size() / 32) {
        for (const Entry &e : entries)
            rows.push_back(e.row);
        if (!m_inRowOrder)
            std::sort(rows.begin(), rows.end());
        return rows;
    }
    // Many rows out of order: marking them in a bit per row and reading the
    // marks back costs less than sorting them.
    std::vector<std::uint64_t> marks(size_t(m_maxRow) / 64 + 1);
    for (const Entry &e : entries)
        marks[size_t(e.row) / 64] |= std::uint64_t(1) << (e.row % 64);
    for (size_t word = 0; word < marks.size(); ++word)
        for (std::uint64_t bits = marks[word]; bits; bits &= bits - 1)
            rows.push_back(int(word * 64 + size_t(std::countr_zero(bits))));
    return rows;
}
