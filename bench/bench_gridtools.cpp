// The grid's tools on a million-row grid read from a real binary data file:
// copying every row as text (time, and peak memory beside the text's size),
// counting the rows that match a find text, and following a file that grew
// by a thousand records (only the new ones read) against reading it whole.
// Medians of several runs.
//
//   bench_gridtools [rows] [runs] [DATABASE]
// Copy and find are also timed on the same cells kept as texts, the way the
// grid held every file before texts were made when asked; with DATABASE
// they run on its Buffer1 instead of a binary file.

#include "Median.h"
#include "logfiles/BinaryLogFile.h"
#include "logfiles/DatabaseLoading.h"
#include "records/GridCopy.h"
#include "records/GridFind.h"
#include "records/GridLayout.h"
#include "records/LogFileFormat.h"
#include "records/RecordGridModel.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include <sys/resource.h>

namespace {

long peakKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QByteArray dataRecords(int first, int count)
{
    QByteArray bytes(qsizetype(count) * 32, '\0');
    for (int i = 0; i < count; ++i) {
        unsigned char *r = reinterpret_cast<unsigned char *>(bytes.data()) + qsizetype(i) * 32;
        const int id = first + i;
        std::memcpy(r, &id, 4);
        r[4] = 0xDD; // 2013
        r[5] = 0x07;
        r[6] = 5;
        r[7] = 7;
        r[8] = 8;
        r[9] = std::uint8_t(id / 60 % 60);
        r[10] = std::uint8_t(id % 60);
        for (int v = 0; v < 10; ++v) {
            const auto word = std::uint16_t(id * 7 + v * 1000);
            std::memcpy(r + 12 + 2 * v, &word, 2);
        }
    }
    return bytes;
}

bool writeLog(const QString &path, int first, int count, bool header)
{
    QFile f(path);
    if (!f.open(header ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::Append))
        return false;
    if (header) {
        QByteArray h(32, '\0');
        std::memcpy(h.data() + LogFileFormat::SignatureOffset, LogFileFormat::Signature,
                    LogFileFormat::SignatureLength);
        f.write(h);
    }
    return f.write(dataRecords(first, count)) == qint64(count) * 32;
}

bool readWhole(const QString &path, RecordGridModel &grid)
{
    LogFile file;
    QByteArray header;
    return file.open(path) && file.readHeaderBlock(header)
        && readBinaryDataRecords(file, grid, ValueFormat::Format::Unsigned16);
}

// The same cells kept as texts, as the grid kept every file before it made
// texts when asked: the reference the tools are measured against.
void keepAsTexts(const RecordGridModel &from, RecordGridModel &to)
{
    to.setCols(from.cols());
    to.setRows(from.rows());
    for (int r = 0; r < from.rows(); ++r)
        for (int c = 0; c < from.cols(); ++c)
            to.setCellUtf8(c, r, from.cellUtf8(c, r));
}

} // namespace

int main(int argc, char **argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    // A data record database instead of the binary file, for copy and find only.
    const QString database = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("d.bin"));
    if (!writeLog(log, 1, rows, true))
        return 1;
    RecordGridModel grid;
    GridLayout::setDataRecords(grid, Language::Chinese, ValueFormat::Format::Unsigned16);
    if (database.isEmpty()
            ? !readWhole(log, grid)
            : loadDataRecords(database, 1, ValueFormat::Format::Unsigned16, Language::Chinese, grid)
                    .status
                != RecordLoadStatus::Loaded)
        return 1;
    std::printf("grid: %d rows x %d columns (%s)\n", grid.rows() - 1, grid.cols(),
                database.isEmpty() ? "binary file" : "database");

    const GridCopy::RowRanges all {{1, grid.rows() - 1}};
    const long before = peakKb();
    qsizetype textBytes = GridCopy::rowsAsText(grid, all).size();
    const long extraKb = peakKb() - before;
    // Built after the peak above was taken, so it does not hide the copy's.
    RecordGridModel texts;
    keepAsTexts(grid, texts);
    const double copy
        = medianSeconds(runs, [&] { textBytes = GridCopy::rowsAsText(grid, all).size(); });
    const double copyTexts
        = medianSeconds(runs, [&] { textBytes = GridCopy::rowsAsText(texts, all).size(); });
    std::printf("copy all rows        %8.1f ms  text %.1f MiB  peak growth %.1f MiB "
                "(%.2f x the text); kept texts %.1f ms = %.2fx\n",
                copy * 1e3, double(textBytes) / 1048576.0, double(extraKb) / 1024.0,
                double(extraKb) * 1024.0 / double(textBytes), copyTexts * 1e3, copy / copyTexts);

    for (const char *text : {"4242", "ABCD", "zz", "2013-05-07"}) {
        std::size_t count = 0;
        const GridFind find(QString::fromLatin1(text));
        const double t = medianSeconds(runs, [&] { count = find.matchingRows(grid).size(); });
        const double kept = medianSeconds(runs, [&] { find.matchingRows(texts); });
        std::printf("find count %-10s %8.1f ms  %zu rows; kept texts %.1f ms = %.2fx\n", text,
                    t * 1e3, count, kept * 1e3, t / kept);
    }
    if (!database.isEmpty())
        return 0;

    // Follow: a thousand records more, read onto the grid, against the whole file.
    const int more = 1000;
    if (!writeLog(log, rows + 1, more, false))
        return 1;
    std::vector<double> appendTimes;
    for (int i = 0; i < runs; ++i) {
        grid.setRows(rows + 1);
        const auto start = std::chrono::steady_clock::now();
        LogFile file;
        if (!file.open(log) || !appendBinaryRecords(file, grid, false))
            return 1;
        appendTimes.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(appendTimes.begin(), appendTimes.end());
    const double whole = medianSeconds(std::max(runs / 2, 1), [&] { readWhole(log, grid); });
    std::printf("follow +%d records   %8.2f ms  (whole file %.1f ms)\n", more,
                appendTimes[appendTimes.size() / 2] * 1e3, whole * 1e3);
    return grid.rows() == rows + more + 1 ? 0 : 1;
}
