// Loading with a tag sheet against loading without one: a binary data file
// and a database buffer of 1,000,000 records by default, opened through the
// document with and without the sample sheet (medians of several runs), and
// the statistics of a million selected tag cells as the status line makes
// them. A sheet must cost at most a fifth more than no sheet.
//
//   bench_tagsheet [records] [runs]

#include "Median.h"
#include "document/LogDocument.h"
#include "records/GridStatistics.h"
#include "records/NumberStatistics.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

bool makeLog(const QString &kind, const QString &file, int records)
{
    QStringList arguments {kind, file, QStringLiteral("--records"), QString::number(records)};
    // One buffer is enough for a database.
    if (kind == QLatin1String("data-db"))
        arguments
            << QStringLiteral("--buffers")
            << QStringLiteral("1:%1,2:-,3:-,4:-,5:-,6:-,7:-,8:-,9:-,10:-,11:-,12:-").arg(records);
    return QProcess::execute(QStringLiteral(NORVALE_SAMPLE_TOOL), arguments) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::max(3, std::atoi(argv[1])) : 1000000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir dir;
    const QString binary = dir.filePath(QStringLiteral("Data.bin"));
    const QString database = dir.filePath(QStringLiteral("Buffer.db"));
    if (!makeLog(QStringLiteral("data-bin"), binary, records)
        || !makeLog(QStringLiteral("data-db"), database, records)) {
        std::fprintf(stderr, "make-sample-logs failed\n");
        return 2;
    }
    const TagSheetReading sheet = TagSheet::read(QStringLiteral(NORVALE_SAMPLE_TAGS));
    if (!sheet.sheet) {
        std::fprintf(stderr, "the sample tag sheet is refused\n");
        return 2;
    }

    std::printf("%d records, median of %d runs\n", records, runs);
    bool withinBudget = true;
    for (const QString &file : {binary, database}) {
        double seconds[2] = {};
        for (int withSheet = 0; withSheet < 2; ++withSheet) {
            LogDocument document;
            if (withSheet)
                document.setTagSheet(sheet.sheet);
            // Once before timing, so that both start from memory already had.
            if (document.open(file).status != LogDocument::Status::Loaded)
                return 2;
            seconds[withSheet] = medianSeconds(runs, [&] {
                if (document.open(file).status != LogDocument::Status::Loaded)
                    std::abort();
                // The first screen's texts, as the grid's first paint makes them.
                for (int row = 1; row <= 30; ++row)
                    for (int col = 0; col < document.grid().cols(); ++col)
                        (void)document.grid().cellUtf8(col, row);
            });
        }
        const double ratio = seconds[1] / seconds[0];
        withinBudget = withinBudget && ratio <= 1.2;
        std::printf("%-10s without %.3f s   with sheet %.3f s   ratio %.2f\n",
                    qPrintable(QFileInfo(file).fileName()), seconds[0], seconds[1], ratio);
    }

    // The status line over a million selected cells of one scaled tag column.
    LogDocument document;
    document.setTagSheet(sheet.sheet);
    if (document.open(binary).status != LogDocument::Status::Loaded)
        return 2;
    const RecordGridModel &grid = document.grid();
    qint64 counted = 0;
    const double statistics = medianSeconds(runs, [&] {
        const QList<GridStatistics::CellBlock> column {{3, 3, 1, grid.recordCount()}};
        counted = GridStatistics::ofBlocks(grid, document.format(), column).count();
    });
    std::printf("statistics of %lld tag cells: %.1f ms\n", counted, statistics * 1000);
    const double numbers = medianSeconds(runs, [&] {
        qint64 found = 0;
        for (int row = 1; row <= grid.recordCount(); ++row)
            found += grid.cellDecimal(3, row).has_value();
        counted = found;
    });
    std::printf("  of which reading the numbers: %.1f ms\n", numbers * 1000);
    const double fromTexts = medianSeconds(runs, [&] {
        NumberStatistics s;
        for (int row = 1; row <= grid.recordCount(); ++row)
            s.add(grid.cellUtf8(3, row));
        counted = s.count();
    });
    std::printf("  the same from their texts: %.1f ms\n", fromTexts * 1000);
    const double texts = medianSeconds(runs, [&] {
        qsizetype bytes = 0;
        for (int row = 1; row <= grid.recordCount(); ++row)
            bytes += grid.cellUtf8(3, row).size();
        counted = bytes;
    });
    std::printf("  of which making the texts: %.1f ms\n", texts * 1000);
    return withinBudget ? 0 : 1;
}
