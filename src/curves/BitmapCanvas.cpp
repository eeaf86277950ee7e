#include "curves/BitmapCanvas.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

BitmapCanvas::BitmapCanvas(QImage &image)
    : m_image(image)
{
    if (m_image.format() != QImage::Format_RGB32 && m_image.format() != QImage::Format_ARGB32)
        m_image = m_image.convertToFormat(QImage::Format_RGB32);
    m_bits = reinterpret_cast<QRgb *>(m_image.bits());
    m_w = m_image.width();
    m_h = m_image.height();
    m_stride = static_cast<int>(m_image.bytesPerLine() / 4);
}

std::span<const int> BitmapCanvas::dashPattern(Style style)
{
    static constexpr int dash[] = {18, 6};
    static constexpr int dot[] = {3, 3};
    static constexpr int dashDot[] = {9, 6, 3, 6};
    static constexpr int dashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (style) {
    case BitmapCanvas::Style::Dash:
        return dash;
    case BitmapCanvas::Style::Dot:
        return dot;
    case BitmapCanvas::Style::DashDot:
        return dashDot;
    case BitmapCanvas::Style::DashDotDot:
        return dashDotDot;
    default:
        return {};
    }
}

void BitmapCanvas::span(int x1, int x2, int y, QRgb c)
{
    if (unsigned(y) >= unsigned(m_h))
        return;
    x1 = std::max(x1, 0);
    x2 = std::min(x2, m_w - 1);
    if (x1 > x2)
        return;
    std::fill(m_bits + y * m_stride + x1, m_bits + y * m_stride + x2 + 1, c);
}

void BitmapCanvas::fillRect(int x1, int y1, int x2, int y2, QRgb colour)
{
    for (int y = std::max(y1, 0); y < std::min(y2, m_h); ++y)
        span(x1, x2 - 1, y, colour);
}

void BitmapCanvas::rectangle(int x1, int y1, int x2, int y2)
{
    if (x2 - x1 < 1 || y2 - y1 < 1)
        return;
    fillRect(x1 + 1, y1 + 1, x2 - 1, y2 - 1, m_brush);
    const QRgb c = m_pen.colour;
    span(x1, x2 - 1, y1, c);
    span(x1, x2 - 1, y2 - 1, c);
    for (int y = y1; y < y2; ++y) {
        plot(x1, y, c);
        plot(x2 - 1, y, c);
    }
}

void BitmapCanvas::line(QPoint from, QPoint to)
{
    if (m_pen.style == Style::Clear || from == to)
        return;
    // Styled pens are cosmetic only at width 1; a wider pen of any visible
    // style is drawn solid, as the platform's wide pens are.
    if (m_pen.width <= 1) {
        PatternPhase phase;
        thinLine(from, to, phase);
    } else {
        wideLine(from, to);
    }
}

void BitmapCanvas::polyline(std::span<const QPoint> points)
{
    if (m_pen.style == Style::Clear)
        return;
    PatternPhase phase;
    for (std::size_t i = 1; i < points.size(); ++i) {
        if (points[i - 1] == points[i])
            continue;
        if (m_pen.width <= 1)
            thinLine(points[i - 1], points[i], phase);
        else
            wideLine(points[i - 1], points[i]);
    }
}

void BitmapCanvas::thinLine(QPoint from, QPoint to, PatternPhase &phase)
{
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    const int n = std::max(std::abs(dx), std::abs(dy));
    const std::span<const int> pattern = dashPattern(m_pen.style);
    int run = phase.run;
    int left = phase.left > 0 ? phase.left : (pattern.empty() ? 0 : pattern[0]);
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const int minor = xMajor ? dy : dx;
    const int sMajor = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int aMinor = std::abs(minor);
    const int sMinor = minor < 0 ? -1 : 1;
    // Steps 0 .. n-1: the end point is not painted.
    for (int i = 0; i < n; ++i) {
        const int off = static_cast<int>((2LL * i * aMinor + n) / (2LL * n)) * sMinor;
        const int x = from.x() + (xMajor ? i * sMajor : off);
        const int y = from.y() + (xMajor ? off : i * sMajor);
        QRgb c = m_pen.colour;
        if (!pattern.empty()) {
            if (run % 2 == 1)
                c = m_brush;
            if (--left == 0) {
                run = (run + 1) % static_cast<int>(pattern.size());
                left = pattern[static_cast<std::size_t>(run)];
            }
        }
        plot(x, y, c);
    }
    phase = {run, left};
}

void BitmapCanvas::disc(int cx, int cy)
{
    const int w = m_pen.width;
    const double r = w / 2.0;
    for (int row = 0; row < w; ++row) {
        const double ry = row + 0.5 - r;
        int a = w;
        int b = -1;
        for (int col = 0; col < w; ++col) {
            const double rx = col + 0.5 - r;
            if (rx * rx + ry * ry <= r * r) {
                a = std::min(a, col);
                b = std::max(b, col);
            }
        }
        if (a <= b)
            span(cx - w / 2 + a, cx - w / 2 + b, cy - w / 2 + row, m_pen.colour);
    }
}

void BitmapCanvas::wideLine(QPoint from, QPoint to)
{
    // A band of the pen's width across the line's major axis, with round
    // ends: the shape of a wide pen's stroke, end point included.
    const int w = m_pen.width;
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    const int n = std::max(std::abs(dx), std::abs(dy));
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const int minor = xMajor ? dy : dx;
    const int sMajor = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int aMinor = std::abs(minor);
    const int sMinor = minor < 0 ? -1 : 1;
    disc(from.x(), from.y());
    for (int i = 0; i <= n; ++i) {
        const int off = static_cast<int>((2LL * i * aMinor + n) / (2LL * n)) * sMinor;
        const int x = from.x() + (xMajor ? i * sMajor : off);
        const int y = from.y() + (xMajor ? off : i * sMajor);
        if (xMajor) {
            for (int k = 0; k < w; ++k)
                plot(x, y - w / 2 + k, m_pen.colour);
        } else {
            span(x - w / 2, x - w / 2 + w - 1, y, m_pen.colour);
        }
    }
    disc(to.x(), to.y());
}

void BitmapCanvas::text(QPoint topLeft, const QString &text, const QFont &font, QRgb colour)
{
    if (text.isEmpty())
        return;
    QPainter p(&m_image);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(font);
    const QFontMetrics fm(font);
    const QRect box(topLeft, QSize(fm.horizontalAdvance(text), fm.height()));
    p.fillRect(box, QColor::fromRgb(m_brush));
    p.setPen(QColor::fromRgb(colour));
    p.drawText(QPoint(topLeft.x(), topLeft.y() + fm.ascent()), text);
}
