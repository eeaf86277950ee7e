#pragma once

#include "curves/CurveSettings.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The picture's geometry, computed from the settings alone.
namespace CurveGeometry {

struct Layout
{
    int pictureWidth = 0; // W + 2
    int pictureHeight = 0; // H + 2
    int xInfoHeight = 0; // Xh: 0 when the X information is hidden
    int labelLength = 0; // characters of the widest planned label
    int bandWidth = 0; // Bw: 0 when the Y marks are hidden
    int plotBottom = 0; // Hp: y of the plot frame's bottom line
    int valueHeight = 0; // Hv: y of the zero-scale value
    int points = 0; // P: data points per screen, never below 0
    QPoint xInfoAt; // top-left of the X information text
    QRect scrollBar; // relative to the picture's top-left
};

Layout layout(const CurveSettings &s);

struct Mark
{
    QPoint at; // top-left of the text
    QString text;
};

// The Y labels, top (maximum) to bottom (minimum); none for a count below 2.
std::vector<Mark> marks(const CurveSettings &s, const Layout &l);

// Label text of v with d decimals: v / 10^d with exactly d digits after "."
// for d of 1 to 3, plain decimal otherwise.
QString markText(std::int64_t v, int decimals);

// Characters of max in decimal, plus one for a negative min, plus one for
// any decimals.
int labelLength(std::int64_t max, std::int64_t min, int decimals);

// Vertical and horizontal grid lines: x of each vertical, y of each
// horizontal line (the first of each on the frame).
std::vector<int> verticalGrid(const CurveSettings &s, const Layout &l);
std::vector<int> horizontalGrid(const CurveSettings &s, const Layout &l);

// x of point i for a pen of the given width.
int pointX(const Layout &l, int i, int penWidth);

// y of a value: Hv - h, with h the scaled height limited to 0..Hv. No value
// when full equals zero (nothing to scale by).
std::optional<int> pointY(const Layout &l, std::int64_t value, std::int64_t zero,
                          std::int64_t full);

} // namespace CurveGeometry
