#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRgb>
#include <QString>

#include <span>

// Drawing on a 32-bit bitmap with the conventions of the panel's desktop
// platform: a line paints from its start up to, not including, its end; an
// outlined rectangle (x1, y1)-(x2, y2) has its outline on x1, x2 - 1, y1,
// y2 - 1; styled 1-pixel lines use the cosmetic dash patterns and paint
// their gaps in the brush colour; text stands with its top-left corner at
// the given point on an opaque background of the brush colour. Everything
// is clipped to the bitmap.
class BitmapCanvas
{
public:
    // Pen styles, as the line-style list orders them.
    enum class Style { Solid = 0, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };

    struct Pen
    {
        QRgb colour = 0xff000000;
        Style style = Style::Solid;
        int width = 1;
    };

    explicit BitmapCanvas(QImage &image);

    void setPen(const Pen &pen) { m_pen = pen; }
    void setBrush(QRgb colour) { m_brush = colour; }

    void fillRect(int x1, int y1, int x2, int y2, QRgb colour);
    // Filled with the brush, outlined with a solid 1-pixel pen of the pen's colour.
    void rectangle(int x1, int y1, int x2, int y2);
    void line(QPoint from, QPoint to);
    // One line through the points: a styled pattern runs on from segment to
    // segment instead of restarting at each point.
    void polyline(std::span<const QPoint> points);
    void text(QPoint topLeft, const QString &text, const QFont &font, QRgb colour);

    // On/off run lengths of a styled 1-pixel pen, in pixels; empty for a
    // solid one.
    static std::span<const int> dashPattern(Style style);

private:
    void plot(int x, int y, QRgb c)
    {
        if (unsigned(x) < unsigned(m_w) && unsigned(y) < unsigned(m_h))
            m_bits[y * m_stride + x] = c;
    }
    void span(int x1, int x2, int y, QRgb c); // x1..x2 inclusive
    // Where a styled pattern stands: the run being drawn and the pixels
    // left in it.
    struct PatternPhase
    {
        int run = 0;
        int left = 0;
    };
    void thinLine(QPoint from, QPoint to, PatternPhase &phase);
    void wideLine(QPoint from, QPoint to);
    void disc(int cx, int cy);

    QImage &m_image;
    QRgb *m_bits = nullptr;
    int m_w = 0;
    int m_h = 0;
    int m_stride = 0;
    Pen m_pen;
    QRgb m_brush = 0xffffffff;
};
