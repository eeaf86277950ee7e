#pragma once

#include "curves/CurveGeometry.h"
#include "curves/CurveSettings.h"
#include "platform/Language.h"
#include "records/CellNumber.h"

#include <QList>
#include <QRgb>
#include <QString>

#include <optional>

class RecordGridModel;

// Reading values off the curve picture: which data row lies under a point of
// the picture, and what the readout beside the pointer says about it.
namespace CurveReadout {

// The point nearest to picture x (points stand 10 pixels apart from the
// plot's left frame line); none left of the plot, right of it, or past the
// points of one screen.
std::optional<int> pointAt(const CurveGeometry::Layout &l, int x);

// The picture x of point i, where a marker line is drawn.
int markerX(const CurveGeometry::Layout &l, int i);

struct Line
{
    std::optional<QRgb> colour; // the curve's colour, shown as a swatch
    QString text;
};

struct Source
{
    const RecordGridModel *grid = nullptr;
    ValueFormat::Format format = ValueFormat::Format::Unsigned16;
    Language language = Language::Chinese;
};

// The readout of grid row `row`: its ID, date and time, then one line per
// shown curve with its buffer position and the value as the grid shows it.
// With marker rows A and B both set, the time from A to B and each curve's
// change follow. Empty for a row the grid does not have.
QList<Line> readout(const CurveSettings &s, const Source &src, int row,
                    std::optional<int> markerA = std::nullopt,
                    std::optional<int> markerB = std::nullopt);

// The lines as one text, one line each (the swatches left out).
QString plainText(const QList<Line> &lines);

// Seconds from the record date and time texts a to b ("yyyy-MM-dd" or
// "yyyy/MM/dd", "hh:mm:ss"); none when either cannot be read.
std::optional<qint64> secondsBetween(const QString &dateA, const QString &timeA,
                                     const QString &dateB, const QString &timeB);

// The change from value text a to b in the display format's terms: signed
// decimal, signed hexadecimal for "32bit HEX", a real for "32bit Float";
// none when either text is no number.
std::optional<QString> valueChange(const QString &a, const QString &b, ValueFormat::Format format);
// The same for the numbers behind two cells.
std::optional<QString> valueChange(const std::optional<CellNumber> &a,
                                   const std::optional<CellNumber> &b, ValueFormat::Format format);

} // namespace CurveReadout
