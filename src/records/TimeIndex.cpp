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
    const auto byRow = [](const Entry &a, const Entry &b) {
        return a.row != b.row ? a.row < b.row : a.time < b.time;
    };
    if (!std::is_sorted(m_entries.begin(), m_entries.end(), byRow))
        std::sort(m_entries.begin(), m_entries.end(), byRow);
    if (!m_entries.empty())
        m_maxRow = std::max(0, m_entries.back().row);
    // In row order a run of rising time ends where the time falls back. Past
    // a few runs per 64 rows their spans cost more than a bit per row.
    const size_t keptRuns = std::max(MergedRuns, m_entries.size() / 64);
    std::vector<size_t> runStarts {0};
    for (size_t i = 1; i < m_entries.size() && runStarts.size() <= keptRuns; ++i)
        if (m_entries[i].time < m_entries[i - 1].time)
            runStarts.push_back(i);
    m_inRowOrder = runStarts.size() == 1;
    if (!m_inRowOrder && runStarts.size() <= keptRuns)
        keepRuns(m_entries, std::move(runStarts));

    // The usual file is written in time order and needs no sort; one whose
    // clock was set back a few times is a few ordered runs, merged in turn.
    if (!m_inRowOrder && (m_runStarts.empty() || m_runStarts.size() > MergedRuns)) {
        std::sort(m_entries.begin(), m_entries.end(), byTimeThenRow);
        return;
    }
    for (size_t r = 1; r < m_runStarts.size(); ++r) {
        const size_t end = r + 1 < m_runStarts.size() ? m_runStarts[r + 1] : m_entries.size();
        std::inplace_merge(m_entries.begin(), m_entries.begin() + qsizetype(m_runStarts[r]),
                           m_entries.begin() + qsizetype(end), byTimeThenRow);
    }
}

void TimeIndex::keepRuns(std::span<const Entry> byRow, std::vector<size_t> runStarts)
{
    m_runTimes.reserve(byRow.size());
    m_runRows.reserve(byRow.size());
    for (const Entry &e : byRow) {
        m_runTimes.push_back(e.time);
        m_runRows.push_back(e.row);
    }
    m_runStarts = std::move(runStarts);
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
    std::vector<int> rows;
    if (from && until && *from > *until)
        return rows;
    if (!m_runStarts.empty()) {
        // Each run's times rise with its rows: the range is one span of it.
        std::vector<std::pair<size_t, size_t>> spans;
        size_t count = 0;
        for (size_t r = 0; r < m_runStarts.size(); ++r) {
            const auto runBegin = m_runTimes.begin() + qsizetype(m_runStarts[r]);
            const auto runEnd = r + 1 < m_runStarts.size()
                ? m_runTimes.begin() + qsizetype(m_runStarts[r + 1])
                : m_runTimes.end();
            const auto first = from ? std::lower_bound(runBegin, runEnd, *from) : runBegin;
            const auto last = until ? std::upper_bound(first, runEnd, *until) : runEnd;
            if (first == last)
                continue;
            spans.emplace_back(size_t(first - m_runTimes.begin()),
                               size_t(last - m_runTimes.begin()));
            count += size_t(last - first);
        }
        rows.reserve(count);
        for (const auto &[first, last] : spans)
            rows.insert(rows.end(), m_runRows.begin() + qsizetype(first),
                        m_runRows.begin() + qsizetype(last));
        return rows;
    }
    const auto entries = entriesInRange(from, until);
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

void TimeIndex::showRange(RecordGridModel &grid, std::optional<qint64> from,
                          std::optional<qint64> until) const
{
    // The dialog offers the file's first and last times: the range asked
    // most often holds every record, and then the grid needs no row map.
    if (grid.wholeRows() > 1
        && qsizetype(entriesInRange(from, until).size()) == qsizetype(grid.wholeRows()) - 1) {
        grid.showAllRows();
        return;
    }
    grid.showRows(rowsInRange(from, until));
}
