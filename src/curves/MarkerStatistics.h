#pragma once

#include "curves/CurveReadout.h"
#include "curves/CurveSettings.h"
#include "platform/Language.h"

#include <QList>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <optional>

// The statistics of the shown curves between the two markers: for each
// curve the value at A and at B as the grid shows them, the change B − A as
// the readout gives it, and the minimum, maximum and mean of the rows from
// A to B, both included (in either order). Computed afresh from the grid.
namespace MarkerStatistics {

struct CurveRow
{
    QString name; // the column's title in the grid
    QRgb colour = 0;
    QString atA;
    QString atB;
    QString change; // empty when either cell holds no number
    QString minimum; // these three empty where no cell holds a number, or
    QString maximum; // the column holds no numbers to count (hexadecimal
    QString mean; // patterns, enumerations, bits)
};

struct Table
{
    QString idA;
    QString idB;
    // The rows' times and B − A as a duration; empty unless both have one.
    QString timeA;
    QString timeB;
    QString timeBetween;
    QList<CurveRow> curves;
};

// The table of marker rows `markerA` and `markerB` (grid rows); none when
// the grid lacks either row.
std::optional<Table> between(const CurveSettings &settings, const CurveReadout::Source &source,
                             int markerA, int markerB);

// The title row, a row of the times, then a row per curve.
QList<QStringList> rows(const Table &table, Language language);
// rows() as tab-separated text.
QString tsv(const Table &table, Language language);

} // namespace MarkerStatistics
