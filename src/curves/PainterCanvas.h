#pragma once

#include <span>

#include "curves/BitmapCanvas.h"

#include <QFont>
#include <QPoint>
#include <QRgb>
#include <QSize>
#include <QString>

class QPainter;

// The operations of BitmapCanvas, in the same picture pixels and with the same
// shapes, drawn as areas and strokes through a painter: whatever resolution
// the painter's device and transform give (a high-resolution screen image, a
// printer page), lines and texts stay sharp. Clipped to the picture.
class PainterCanvas
{
public:
    using Pen = BitmapCanvas::Pen;
    using Style = BitmapCanvas::Style;

    // Paints the picture of the given size with its top-left at the
    // painter's origin. The painter's state is restored on destruction.
    PainterCanvas(QPainter &painter, QSize pictureSize);
    ~PainterCanvas();
    PainterCanvas(const PainterCanvas &) = delete;
    PainterCanvas &operator=(const PainterCanvas &) = delete;

    void setPen(const Pen &pen) { m_pen = pen; }
    void setBrush(QRgb colour) { m_brush = colour; }

    void rectangle(int x1, int y1, int x2, int y2);
    void line(QPoint from, QPoint to);
    // One line through the points: a dash pattern runs on from segment to
    // segment.
    void polyline(std::span<const QPoint> points);
    void text(QPoint topLeft, const QString &text, const QFont &font, QRgb colour);

private:
    void fill(int x1, int y1, int x2, int y2, QRgb colour); // x2, y2 exclusive
    void straightThinLine(QPoint from, QPoint to);
    void setThinPen();
    void slopedThinLine(QPoint from, QPoint to);
    void wideLine(QPoint from, QPoint to);

    QPainter &m_painter;
    Pen m_pen;
    QRgb m_brush = 0xffffffff;
};
