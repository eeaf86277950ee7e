// The time line on a large grid. Over a real binary data file of `records`
// records (the clock set back an hour halfway, so the index must sort):
// building the index of record times, against reading the same date and time
// cells without reading a time from them; going to a time and taking the
// rows of a range with the index, against a walk over every row's time, and
// showing the range in the grid as the document does. The target for going
// to a time and for a range shown in the grid is 50 ms.
// Then the statistics of `alarms` alarms, against sorting their times alone.
// Medians of several runs.
//
//   bench_timeline [records] [alarms] [runs]

#include "Median.h"
#include "logfiles/BinaryLogFile.h"
#include "records/AlarmStatistics.h"
#include "records/CellText.h"
#include "records/GridLayout.h"
#include "records/LogFileFormat.h"
#include "records/RecordGridModel.h"
#include "records/RecordTime.h"
#include "records/TimeIndex.h"

#include <QDate>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

const qint64 Start = RecordTime::fromParts(2013, 5, 7, 0, 0, 0);
constexpr double TargetMs = 50;

// Record i logged at Start + i seconds, an hour earlier from the middle on.
qint64 timeOfRecord(int i, int count)
{
    return Start + i - (i >= count / 2 ? 3600 : 0);
}

bool writeDataFile(const QString &path, int count)
{
    using namespace LogFileFormat;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray header(HeaderBlockSize, '\0');
    std::memcpy(header.data() + SignatureOffset, Signature, SignatureLength);
    if (f.write(header) != header.size())
        return false;
    const int chunk = 65536;
    QByteArray bytes;
    for (int first = 0; first < count; first += chunk) {
        const int n = std::min(chunk, count - first);
        bytes.fill('\0', qsizetype(n) * DataRecordSize);
        for (int k = 0; k < n; ++k) {
            const int i = first + k;
            char *r = bytes.data() + qsizetype(k) * DataRecordSize;
            const qint64 t = timeOfRecord(i, count);
            const qint64 day = RecordTime::startOfDay(t);
            const int seconds = int(t - day);
            const QDate date = QDate(1970, 1, 1).addDays(day / RecordTime::SecondsPerDay);
            const int id = i + 1;
            const auto year = quint16(date.year());
            std::memcpy(r + IdOffset, &id, 4);
            std::memcpy(r + YearOffset, &year, 2);
            r[MonthOffset] = char(date.month());
            r[DayOffset] = char(date.day());
            r[HourOffset] = char(seconds / 3600);
            r[MinuteOffset] = char(seconds / 60 % 60);
            r[SecondOffset] = char(seconds % 60);
        }
        if (f.write(bytes) != bytes.size())
            return false;
    }
    return f.flush();
}

} // namespace

int main(int argc, char **argv)
{
    const int records = argc > 1 ? std::atoi(argv[1]) : 10'000'000;
    const int alarmCount = argc > 2 ? std::atoi(argv[2]) : 1'000'000;
    const int runs = argc > 3 ? std::max(std::atoi(argv[3]), 1) : 5;
    if (records < 2 || records > 60'000'000 || alarmCount < 1) {
        std::fprintf(stderr, "usage: bench_timeline [records] [alarms] [runs]\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("records.bin"));
    if (!dir.isValid() || !writeDataFile(path, records)) {
        std::fprintf(stderr, "bench_timeline: cannot write %s\n", qPrintable(path));
        return 1;
    }
    RecordGridModel grid;
    {
        LogFile file;
        QByteArray header;
        GridLayout::setDataRecords(grid, Language::English, ValueFormat::Format::Unsigned16);
        if (!file.open(path) || !file.readHeaderBlock(header)
            || !readBinaryDataRecords(file, grid, ValueFormat::Format::Unsigned16)) {
            std::fprintf(stderr, "bench_timeline: cannot read %s\n", qPrintable(path));
            return 1;
        }
    }
    std::printf("grid: %d records, clock set back an hour at record %d; %d runs\n", grid.rows() - 1,
                records / 2 + 1, runs);

    // Building: the index against reading the same cells alone.
    TimeIndex index;
    const double build = medianSeconds(runs, [&] { index = TimeIndex::ofDataRecords(grid); });
    if (index.size() != records) {
        std::fprintf(stderr, "bench_timeline: %lld of %d records have a time\n",
                     static_cast<long long>(index.size()), records);
        return 1;
    }
    qint64 cellBytes = 0;
    const double cells = medianSeconds(runs, [&] {
        CellText row[3];
        for (int r = 1; r < grid.rows(); ++r) {
            grid.rowUtf8(r, row, 3);
            cellBytes += row[1].size() + row[2].size();
        }
    });
    std::printf("build index          %8.1f ms  %lld times; reading the cells alone %.1f ms = "
                "%.2fx\n",
                build * 1000, static_cast<long long>(index.size()), cells * 1000, build / cells);

    // The reference below walks every row's time, as read once.
    std::vector<qint64> timeOfRow(size_t(grid.rows()), -1);
    for (const TimeIndex::Entry &e : index.entriesInRange({}, {}))
        timeOfRow[size_t(e.row)] = e.time;
    const auto walkFirstAtOrAfter = [&](qint64 t) {
        int best = -1;
        for (size_t r = 1; r < timeOfRow.size(); ++r)
            if (timeOfRow[r] >= t && (best < 0 || timeOfRow[r] < timeOfRow[size_t(best)]))
                best = int(r);
        return best;
    };
    const auto walkRange = [&](qint64 from, qint64 until) {
        std::vector<int> rows;
        for (size_t r = 1; r < timeOfRow.size(); ++r)
            if (timeOfRow[r] >= from && timeOfRow[r] <= until)
                rows.push_back(int(r));
        return rows;
    };

    QRandomGenerator random(21);
    const int lookups = 10000;
    std::vector<qint64> asked(lookups);
    for (qint64 &t : asked)
        t = Start - 100 + random.bounded(qint64(0), qint64(records));
    long long checksum = 0;
    const double goTo = medianSeconds(runs, [&] {
        for (qint64 t : asked)
            checksum += index.firstRowAtOrAfter(t);
    });
    const double walkGoTo = medianSeconds(runs, [&] { checksum += walkFirstAtOrAfter(asked[0]); });
    if (index.firstRowAtOrAfter(asked[0]) != walkFirstAtOrAfter(asked[0])) {
        std::fprintf(stderr, "bench_timeline: go-to differs from the walk\n");
        return 1;
    }
    std::printf("go to a time         %8.4f ms  (%d lookups); walk %.1f ms = %.0fx;"
                " target 50 ms: %s\n",
                goTo * 1000 / lookups, lookups, walkGoTo * 1000, walkGoTo / (goTo / lookups),
                goTo * 1000 / lookups <= TargetMs ? "met" : "MISSED");

    struct Range
    {
        const char *name;
        qint64 from, until;
    };
    const Range ranges[] = {
        {"an hour before the set-back", Start + records / 2 - 7200, Start + records / 2 - 3601},
        {"an hour over the set-back", Start + records / 2 - 3600, Start + records / 2 - 1},
        {"the first half of the times", Start, Start + records / 2},
        {"every time", Start - 3600, Start + records},
    };
    for (const Range &range : ranges) {
        std::vector<int> rows;
        const double t
            = medianSeconds(runs, [&] { rows = index.rowsInRange(range.from, range.until); });
        std::vector<int> walked;
        const double walk
            = medianSeconds(runs, [&] { walked = walkRange(range.from, range.until); });
        if (rows != walked) {
            std::fprintf(stderr, "bench_timeline: range differs from the walk\n");
            return 1;
        }
        // In the grid: a row map of these rows, or none when they are every
        // row; each time from the grid showing the range before it, as when
        // the user changes the range.
        const Range &before = ranges[(&range - ranges + std::size(ranges) - 1) % std::size(ranges)];
        std::vector<double> showTimes;
        for (int run = 0; run < runs; ++run) {
            index.showRange(grid, before.from, before.until);
            const auto start = std::chrono::steady_clock::now();
            index.showRange(grid, range.from, range.until);
            showTimes.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        std::sort(showTimes.begin(), showTimes.end());
        const double shown = showTimes[showTimes.size() / 2];
        if (grid.recordCount() != int(rows.size())) {
            std::fprintf(stderr, "bench_timeline: the grid shows %d rows, not %zu\n",
                         grid.recordCount(), rows.size());
            return 1;
        }
        const bool rowMap = grid.showsSomeRows();
        grid.showAllRows();
        // The target is what the user waits for: the range shown in the grid.
        std::printf("range %-28s %8.2f ms  shown in the grid (%s), %zu rows; target 50 ms: %s;"
                    " the rows listed %.2f ms, a walk %.1f ms = %.2fx\n",
                    range.name, shown * 1000, rowMap ? "row map" : "no row map", rows.size(),
                    shown * 1000 <= TargetMs ? "met" : "MISSED", t * 1000, walk * 1000, walk / t);
    }

    // Alarm statistics: 200 numbers, some chattering, over 30 days.
    std::vector<Alarm> alarms(static_cast<size_t>(alarmCount));
    std::vector<QString> texts;
    for (int n = 0; n < 200; ++n)
        texts.push_back(QStringLiteral("Alarm text of number %1").arg(n));
    for (Alarm &a : alarms) {
        a.number = random.bounded(0, 200);
        a.number = a.number < 10 ? a.number : random.bounded(0, 200);
        a.time = Start + random.bounded(qint64(0), qint64(30) * 86400);
        a.text = texts[size_t(a.number)];
    }
    AlarmStatistics statistics;
    const double stats = medianSeconds(runs, [&] { statistics = alarmStatistics(alarms); });
    std::vector<qint64> times;
    const double sortTimes = medianSeconds(runs, [&] {
        times.clear();
        times.reserve(alarms.size());
        for (const Alarm &a : alarms)
            times.push_back(*a.time);
        std::sort(times.begin(), times.end());
    });
    std::printf("alarm statistics     %8.1f ms  %d alarms, %zu numbers, %zu hours; sorting "
                "their times alone %.1f ms = %.2fx\n",
                stats * 1000, alarmCount, statistics.numbers.size(), statistics.perHour.size(),
                sortTimes * 1000, stats / sortTimes);
    return checksum == 0x7fffffff ? 3 : 0;
}
