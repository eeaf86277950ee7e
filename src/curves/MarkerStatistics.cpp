#include "curves/MarkerStatistics.h"

#include "records/GridStatistics.h"
#include "records/NumberStatistics.h"
#include "records/RecordGridModel.h"
#include "records/RecordTime.h"
#include "records/TagValue.h"
#include "records/TsvText.h"
#include "texts/Translations.h"

#include <algorithm>

namespace MarkerStatistics {

namespace {

QString pick(Language language, const char *source)
{
    return Translations::text(language, "MarkerStatisticsTable", source);
}

bool hasRow(const RecordGridModel &grid, int row)
{
    return row >= 1 && row < grid.rows() && !grid.cellUtf8(0, row).isEmpty();
}

std::optional<qint64> timeOfRow(const RecordGridModel &grid, int row)
{
    return RecordTime::recordTime(grid.cellUtf8(1, row).view(), grid.cellUtf8(2, row).view());
}

} // namespace

std::optional<Table> between(const CurveSettings &settings, const CurveReadout::Source &source,
                             int markerA, int markerB)
{
    if (!source.grid || !hasRow(*source.grid, markerA) || !hasRow(*source.grid, markerB))
        return std::nullopt;
    const RecordGridModel &grid = *source.grid;
    Table table;
    table.idA = grid.cell(0, markerA);
    table.idB = grid.cell(0, markerB);
    const std::optional<qint64> timeA = timeOfRow(grid, markerA);
    const std::optional<qint64> timeB = timeOfRow(grid, markerB);
    if (timeA && timeB) {
        table.timeA = RecordTime::text(*timeA);
        table.timeB = RecordTime::text(*timeB);
        table.timeBetween = RecordTime::durationText(*timeB - *timeA);
    }
    const int first = std::min(markerA, markerB);
    const int last = std::max(markerA, markerB);
    for (const CurveSpec &c : settings.curves) {
        if (c.showKind == static_cast<int>(ShowKind::NotUsed))
            continue;
        const int col = c.bufferPos + 3;
        if (col >= grid.cols())
            continue;
        CurveRow row;
        row.name = grid.cell(col, 0);
        row.colour = c.colour;
        row.atA = grid.cell(col, markerA);
        row.atB = grid.cell(col, markerB);
        row.change
            = CurveReadout::valueChange(grid.cellNumber(col, markerA, source.format),
                                        grid.cellNumber(col, markerB, source.format), source.format)
                  .value_or(QString());
        if (GridStatistics::holdsNumbers(grid, col, source.format)) {
            NumberStatistics statistics;
            for (int r = first; r <= last; ++r)
                statistics.add(grid.cellUtf8(col, r));
            if (statistics.count() > 0) {
                int shownDecimals = -1;
                if (const auto &tags = grid.tagColumns())
                    shownDecimals = (*tags)[std::size_t(col - 3)].shownDecimals();
                row.minimum = QString::fromUtf8(statistics.minText());
                row.maximum = QString::fromUtf8(statistics.maxText());
                row.mean = QString::fromUtf8(statistics.meanText(shownDecimals));
            }
        }
        table.curves.append(row);
    }
    return table;
}

QList<QStringList> rows(const Table &table, Language language)
{
    QList<QStringList> result;
    result << QStringList {
        pick(language, QT_TRANSLATE_NOOP("MarkerStatisticsTable", "Curve")),
        pick(language, QT_TRANSLATE_NOOP("MarkerStatisticsTable", "A (ID %1)")).arg(table.idA),
        pick(language, QT_TRANSLATE_NOOP("MarkerStatisticsTable", "B (ID %1)")).arg(table.idB),
        pick(language, QT_TRANSLATE_NOOP("MarkerStatisticsTable", "B − A")),
        pick(language, QT_TRANSLATE_NOOP("MarkerStatisticsTable", "Minimum")),
        pick(language, QT_TRANSLATE_NOOP("MarkerStatisticsTable", "Maximum")),
        pick(language, QT_TRANSLATE_NOOP("MarkerStatisticsTable", "Mean"))};
    result << QStringList {pick(language, QT_TRANSLATE_NOOP("MarkerStatisticsTable", "Time")),
                           table.timeA,
                           table.timeB,
                           table.timeBetween,
                           QString(),
                           QString(),
                           QString()};
    for (const CurveRow &c : table.curves)
        result << QStringList {c.name, c.atA, c.atB, c.change, c.minimum, c.maximum, c.mean};
    return result;
}

QString tsv(const Table &table, Language language)
{
    return TsvText::rows(rows(table, language));
}

} // namespace MarkerStatistics
