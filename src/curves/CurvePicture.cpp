#include "curves/CurvePicture.h"

#include "curves/BitmapCanvas.h"
#include "curves/CurveData.h"
#include "curves/FontClasses.h"
#include "curves/PainterCanvas.h"

#include <QPainter>

#include <cmath>

#include <vector>

namespace CurvePicture {

namespace {

using CurveGeometry::Layout;

template<class Canvas> void drawMarks(Canvas &canvas, const CurveSettings &s, const Layout &l)
{
    const QFont font = FontClasses::pictureFont(FontClasses::at(s.markFontClass).points);
    for (const CurveGeometry::Mark &m : CurveGeometry::marks(s, l))
        canvas.text(m.at, m.text, font, s.markColour);
}

template<class Canvas>
void drawXInfo(Canvas &canvas, const CurveSettings &s, const Layout &l, const View &v)
{
    if (!v.grid)
        return;
    const CurveData::GridReader reader(*v.grid, v.realCells);
    const QFont font = FontClasses::pictureFont(FontClasses::at(s.xInfoFontClass).points);
    canvas.text(l.xInfoAt, reader.xInfoText(v.pos, v.scrollMax, s.width + 2), font, s.xInfoColour);
}

template<class Canvas> void drawGrid(Canvas &canvas, const CurveSettings &s, const Layout &l)
{
    for (int x : CurveGeometry::verticalGrid(s, l))
        canvas.line(QPoint(x, 0), QPoint(x, l.plotBottom));
    for (int y : CurveGeometry::horizontalGrid(s, l))
        canvas.line(QPoint(l.bandWidth, y), QPoint(s.width + 1, y));
}

template<class Canvas>
void drawCurve(Canvas &canvas, const CurveSpec &c, const Layout &l, const View &v)
{
    if (l.points < 2 || !v.grid)
        return;
    const int w = qBound(0, c.widthIndex, 5) + 1;
    canvas.setPen({c.colour, static_cast<BitmapCanvas::Style>(qBound(0, c.style, 6)), w});
    const CurveData::GridReader reader(*v.grid, v.realCells);
    const auto kind = static_cast<ShowKind>(c.showKind);
    const int hv = l.valueHeight;

    // A broken line is drawn as one line through its points, at the end.
    std::vector<QPoint> line;
    const auto drawLine = [&] { canvas.polyline(line); };
    std::optional<std::int64_t> next = reader.point(c.bufferPos, v.pos, 0);
    for (int i = 0; i + 1 < l.points; ++i) {
        const std::optional<std::int64_t> a = next;
        if (!a)
            return drawLine();
        next = reader.point(c.bufferPos, v.pos, i + 1);
        if (!next)
            return drawLine();
        const std::optional<int> ya = CurveGeometry::pointY(l, *a, c.zero, c.full);
        const std::optional<int> yb = CurveGeometry::pointY(l, *next, c.zero, c.full);
        if (!ya || !yb)
            return drawLine();
        const QPoint pa(CurveGeometry::pointX(l, i, w), *ya);
        const QPoint pb(CurveGeometry::pointX(l, i + 1, w), *yb);
        switch (kind) {
        case ShowKind::BrokenLine:
            if (line.empty())
                line.push_back(pa);
            line.push_back(pb);
            break;
        case ShowKind::Dot:
            canvas.line(pa, pa + QPoint(0, 1));
            canvas.line(pb, pb + QPoint(0, 1));
            break;
        case ShowKind::ColumnLine:
            canvas.line(pa, QPoint(pa.x(), hv));
            canvas.line(pb, QPoint(pb.x(), hv));
            break;
        case ShowKind::NotUsed:
            return;
        }
    }
    drawLine();
}

// Both canvases take the same calls: the bitmap one paints the exact
// pixels of the panel's platform, the painter one the same shapes at any
// resolution.
template<class Canvas> Layout drawOn(Canvas &canvas, const CurveSettings &s, const View &v)
{
    const Layout l = CurveGeometry::layout(s);

    // The whole bitmap in the background colour, framed in the grid colour.
    canvas.setBrush(s.background);
    canvas.setPen({s.grid, BitmapCanvas::Style::Solid, 1});
    canvas.rectangle(0, 0, l.pictureWidth, l.pictureHeight);

    if (!s.hideYMarks)
        drawMarks(canvas, s, l);
    if (!s.hideXInfo)
        drawXInfo(canvas, s, l, v);

    // No plot area is left when the bands take the whole height: the
    // picture then keeps its frame, labels and information line only.
    if (l.plotBottom < 1)
        return l;

    canvas.setPen({s.grid, BitmapCanvas::Style::Solid, 1});
    canvas.rectangle(l.bandWidth, 0, s.width + 2, l.plotBottom + 1);
    if (!s.hideGrid)
        drawGrid(canvas, s, l);

    for (const CurveSpec &c : s.curves) {
        if (c.showKind != static_cast<int>(ShowKind::NotUsed))
            drawCurve(canvas, c, l, v);
    }
    return l;
}

QSize pictureSize(const Layout &l)
{
    return QSize(std::max(l.pictureWidth, 1), std::max(l.pictureHeight, 1));
}

} // namespace

Layout draw(QImage &image, const CurveSettings &s, const View &v)
{
    const QSize size = pictureSize(CurveGeometry::layout(s));
    if (image.size() != size || image.format() != QImage::Format_RGB32
        || image.devicePixelRatio() != 1.0)
        image = QImage(size, QImage::Format_RGB32);
    BitmapCanvas canvas(image);
    return drawOn(canvas, s, v);
}

Layout draw(QImage &image, const CurveSettings &s, const View &v, qreal scale)
{
    if (!(scale > 1.0))
        return draw(image, s, v);
    const QSize size = pictureSize(CurveGeometry::layout(s));
    const QSize pixels(static_cast<int>(std::ceil(size.width() * scale)),
                       static_cast<int>(std::ceil(size.height() * scale)));
    if (image.size() != pixels || image.format() != QImage::Format_RGB32
        || image.devicePixelRatio() != scale) {
        image = QImage(pixels, QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
    }
    QPainter painter(&image);
    PainterCanvas canvas(painter, size);
    return drawOn(canvas, s, v);
}

Layout paint(QPainter &painter, const CurveSettings &s, const View &v)
{
    PainterCanvas canvas(painter, pictureSize(CurveGeometry::layout(s)));
    return drawOn(canvas, s, v);
}

} // namespace CurvePicture
