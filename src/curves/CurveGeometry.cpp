#include "curves/CurveGeometry.h"

#include "curves/CurveData.h"
#include "curves/FontClasses.h"

#include <algorithm>

namespace CurveGeometry {

int labelLength(std::int64_t max, std::int64_t min, int decimals)
{
    int len = static_cast<int>(QString::number(max).size());
    if (min < 0)
        ++len;
    if (decimals > 0)
        ++len;
    return len;
}

Layout layout(const CurveSettings &s)
{
    Layout l;
    const int w = s.width;
    const int h = s.height;
    l.pictureWidth = w + 2;
    l.pictureHeight = h + 2;
    l.xInfoHeight = s.hideXInfo ? 0 : FontClasses::at(s.xInfoFontClass).cellHeight + 2;
    if (!s.hideYMarks) {
        l.labelLength = labelLength(s.markMax, s.markMin, s.markDecimals);
        l.bandWidth = FontClasses::at(s.markFontClass).cellWidth * l.labelLength + 2;
    }
    l.plotBottom = h - 22 - l.xInfoHeight;
    l.valueHeight = l.plotBottom - 1;
    l.points = std::max(0, (w - l.bandWidth) / 10);
    l.xInfoAt = QPoint(l.bandWidth, h - 22 - l.xInfoHeight + 2);
    l.scrollBar = QRect(l.bandWidth, h - 19, std::max(0, w - l.bandWidth), 18);
    return l;
}

QString markText(std::int64_t v, int decimals)
{
    if (decimals < 1 || decimals > 3)
        return QString::number(v);
    std::int64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    // Unsigned magnitude: -2^63 has no positive counterpart.
    const std::uint64_t mag
        = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    const std::uint64_t whole = mag / static_cast<std::uint64_t>(scale);
    const std::uint64_t frac = mag % static_cast<std::uint64_t>(scale);
    QString t = v < 0 ? QStringLiteral("-") : QString();
    t += QString::number(whole) + QLatin1Char('.')
        + QStringLiteral("%1").arg(frac, decimals, 10, QLatin1Char('0'));
    return t;
}

std::vector<Mark> marks(const CurveSettings &s, const Layout &l)
{
    std::vector<Mark> out;
    const int n = s.markCount;
    if (s.hideYMarks || n < 2)
        return out;
    const int cw = FontClasses::at(s.markFontClass).cellWidth;
    const std::int64_t range = s.markMax - s.markMin;
    const qint64 area = qint64(s.height)
        - (22 + 16 * qBound(0, s.markFontClass, FontClasses::Count - 1) + l.xInfoHeight);
    out.reserve(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        const std::int64_t v = s.markMax
            - CurveData::nearest(static_cast<double>(range * j) / static_cast<double>(n - 1));
        Mark m;
        m.text = markText(v, s.markDecimals);
        m.at = QPoint(static_cast<int>((l.labelLength - m.text.size()) * cw + 1),
                      static_cast<int>(area * j / (n - 1) + 1));
        out.push_back(m);
    }
    return out;
}

std::vector<int> verticalGrid(const CurveSettings &s, const Layout &l)
{
    std::vector<int> xs;
    const int n = s.vDivisions;
    for (int i = 0; i < n; ++i)
        xs.push_back(static_cast<int>(qint64(s.width - l.bandWidth) * i / n + l.bandWidth));
    return xs;
}

std::vector<int> horizontalGrid(const CurveSettings &s, const Layout &l)
{
    std::vector<int> ys;
    const int m = s.hDivisions;
    for (int j = 0; j < m; ++j)
        ys.push_back(static_cast<int>(qint64(l.plotBottom) * j / m));
    return ys;
}

int pointX(const Layout &l, int i, int penWidth)
{
    return i == 0 ? l.bandWidth + penWidth / 2 : l.bandWidth + 10 * i;
}

std::optional<int> pointY(const Layout &l, std::int64_t value, std::int64_t zero, std::int64_t full)
{
    if (full == zero)
        return std::nullopt;
    const int hv = l.valueHeight;
    const double q = (static_cast<double>(value) - static_cast<double>(zero)) * hv
        / (static_cast<double>(full) - static_cast<double>(zero));
    // Limit before rounding so that a far-off value cannot overflow.
    const int top = std::max(hv, 0);
    const double limited = std::clamp(q, -1.0, static_cast<double>(top) + 1.0);
    const std::int64_t h = std::clamp<std::int64_t>(CurveData::nearest(limited), 0, top);
    return hv - static_cast<int>(h);
}

} // namespace CurveGeometry
