#include "curves/PainterCanvas.h"

#include <QPolygonF>

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdlib>

PainterCanvas::PainterCanvas(QPainter &painter, QSize pictureSize)
    : m_painter(painter)
{
    m_painter.save();
    m_painter.setClipRect(QRect(QPoint(0, 0), pictureSize), Qt::IntersectClip);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

PainterCanvas::~PainterCanvas()
{
    m_painter.restore();
}

void PainterCanvas::fill(int x1, int y1, int x2, int y2, QRgb colour)
{
    if (x2 > x1 && y2 > y1)
        m_painter.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), QColor::fromRgb(colour));
}

void PainterCanvas::rectangle(int x1, int y1, int x2, int y2)
{
    if (x2 - x1 < 1 || y2 - y1 < 1)
        return;
    fill(x1 + 1, y1 + 1, x2 - 1, y2 - 1, m_brush);
    const QRgb c = m_pen.colour;
    fill(x1, y1, x2, y1 + 1, c);
    fill(x1, y2 - 1, x2, y2, c);
    fill(x1, y1, x1 + 1, y2, c);
    fill(x2 - 1, y1, x2, y2, c);
}

void PainterCanvas::line(QPoint from, QPoint to)
{
    if (m_pen.style == Style::Clear || from == to)
        return;
    if (m_pen.width > 1)
        wideLine(from, to);
    else if (from.x() == to.x() || from.y() == to.y())
        straightThinLine(from, to);
    else
        slopedThinLine(from, to);
}

void PainterCanvas::polyline(std::span<const QPoint> points)
{
    const std::span<const int> pattern = BitmapCanvas::dashPattern(m_pen.style);
    if (m_pen.style == Style::Clear || points.size() < 2)
        return;
    if (m_pen.width > 1 || pattern.empty()) {
        for (std::size_t i = 1; i < points.size(); ++i)
            line(points[i - 1], points[i]);
        return;
    }
    // Through the pixel centres as one path, so the pattern is not restarted
    // at every point; the gaps in the brush's colour.
    QPolygonF path;
    for (const QPoint &p : points)
        path << QPointF(p) + QPointF(0.5, 0.5);
    m_painter.save();
    setThinPen();
    m_painter.drawPolyline(path);
    m_painter.restore();
}

void PainterCanvas::straightThinLine(QPoint from, QPoint to)
{
    // The pixels the bitmap canvas paints, as runs of whole pixels: the
    // dashes in the pen's colour, the gaps in the brush's.
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    const int n = std::max(std::abs(dx), std::abs(dy));
    const QPoint step(dx == 0 ? 0 : (dx < 0 ? -1 : 1), dy == 0 ? 0 : (dy < 0 ? -1 : 1));
    const std::span<const int> pattern = BitmapCanvas::dashPattern(m_pen.style);
    const auto paintRun = [&](int first, int count, QRgb c) {
        const QPoint a = from + step * first;
        const QPoint b = from + step * (first + count - 1);
        fill(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()) + 1,
             std::max(a.y(), b.y()) + 1, c);
    };
    if (pattern.empty()) {
        paintRun(0, n, m_pen.colour);
        return;
    }
    std::size_t run = 0;
    for (int i = 0; i < n;) {
        const int count = std::min(pattern[run], n - i);
        paintRun(i, count, run % 2 == 0 ? m_pen.colour : m_brush);
        i += count;
        run = (run + 1) % pattern.size();
    }
}

void PainterCanvas::setThinPen()
{
    // A 1-pixel pen in the style's pattern, its gaps in the brush's colour.
    QPen pen(QColor::fromRgb(m_pen.colour), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    const std::span<const int> pattern = BitmapCanvas::dashPattern(m_pen.style);
    if (!pattern.empty()) {
        QList<qreal> dashes;
        for (int v : pattern)
            dashes << v;
        pen.setDashPattern(dashes);
    }
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setBackgroundMode(Qt::OpaqueMode);
    m_painter.setBackground(QColor::fromRgb(m_brush));
    m_painter.setPen(pen);
}

void PainterCanvas::slopedThinLine(QPoint from, QPoint to)
{
    // Through the pixel centres, moved back half a step along the major
    // axis: the stroke covers the start pixel and stops before the end one.
    const QPointF d(to - from);
    const qreal n = std::max(std::abs(d.x()), std::abs(d.y()));
    const QPointF shift = QPointF(0.5, 0.5) - d / n * 0.5;
    m_painter.save();
    setThinPen();
    m_painter.drawLine(QPointF(from) + shift, QPointF(to) + shift);
    m_painter.restore();
}

void PainterCanvas::wideLine(QPoint from, QPoint to)
{
    // A round-ended band centred where the bitmap canvas centres its discs;
    // wide pens are solid whatever their style.
    const int w = m_pen.width;
    const qreal c = (w % 2) ? 0.5 : 0.0;
    QPen pen(QColor::fromRgb(m_pen.colour), w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(pen);
    m_painter.drawLine(QPointF(from) + QPointF(c, c), QPointF(to) + QPointF(c, c));
    m_painter.restore();
}

void PainterCanvas::text(QPoint topLeft, const QString &text, const QFont &font, QRgb colour)
{
    if (text.isEmpty())
        return;
    // The box of the bitmap canvas, measured as on the screen, so the
    // layout does not depend on the device's resolution.
    const QFontMetrics fm(font);
    fill(topLeft.x(), topLeft.y(), topLeft.x() + fm.horizontalAdvance(text),
         topLeft.y() + fm.height(), m_brush);
    m_painter.save();
    m_painter.setFont(font);
    m_painter.setPen(QColor::fromRgb(colour));
    m_painter.drawText(QPoint(topLeft.x(), topLeft.y() + fm.ascent()), text);
    m_painter.restore();
}
