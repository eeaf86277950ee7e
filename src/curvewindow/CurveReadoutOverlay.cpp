#include "curvewindow/CurveReadoutOverlay.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

namespace {

constexpr int Margin = 4;
constexpr int Swatch = 10;
constexpr int PointerGap = 16;

} // namespace

CurveReadoutOverlay::CurveReadoutOverlay(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
}

void CurveReadoutOverlay::setMarkers(std::optional<int> xA, std::optional<int> xB, int plotBottom)
{
    if (m_xA == xA && m_xB == xB && m_plotBottom == plotBottom)
        return;
    m_xA = xA;
    m_xB = xB;
    m_plotBottom = plotBottom;
    update();
}

QRect CurveReadoutOverlay::boxFor(QPoint pointer) const
{
    const QFontMetrics fm(font());
    int textWidth = 0;
    for (const CurveReadout::Line &l : m_lines)
        textWidth = std::max(textWidth, fm.horizontalAdvance(l.text) + (Swatch + Margin));
    const QSize size(textWidth + 2 * Margin,
                     static_cast<int>(m_lines.size()) * fm.height() + 2 * Margin);
    // Right of and below the pointer; turned to the other side at the edges.
    QPoint at = pointer + QPoint(PointerGap, PointerGap);
    if (at.x() + size.width() > width())
        at.setX(pointer.x() - PointerGap - size.width());
    if (at.y() + size.height() > height())
        at.setY(pointer.y() - PointerGap - size.height());
    at.setX(std::max(0, at.x()));
    at.setY(std::max(0, at.y()));
    return QRect(at, size);
}

void CurveReadoutOverlay::setReadout(const QList<CurveReadout::Line> &lines, QPoint pointer)
{
    const QRect old = m_box;
    m_lines = lines;
    m_box = lines.isEmpty() ? QRect() : boxFor(pointer);
    update(old.united(m_box));
}

void CurveReadoutOverlay::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QPen(QColor(255, 255, 255), 1, Qt::DashLine));
    for (const std::optional<int> &x : {m_xA, m_xB}) {
        if (x)
            p.drawLine(*x, 0, *x, m_plotBottom);
    }
    const QFontMetrics fm(font());
    p.setFont(font());
    for (const auto &[x, name] :
         {std::pair {m_xA, QStringLiteral("A")}, std::pair {m_xB, QStringLiteral("B")}}) {
        if (x)
            p.drawText(*x + 2, fm.ascent() + 1, name);
    }
    if (m_box.isEmpty())
        return;
    p.setPen(palette().color(QPalette::ToolTipText));
    p.setBrush(palette().color(QPalette::ToolTipBase));
    p.drawRect(m_box.adjusted(0, 0, -1, -1));
    int y = m_box.top() + Margin;
    for (const CurveReadout::Line &l : m_lines) {
        int x = m_box.left() + Margin;
        if (l.colour) {
            const QRect swatch(x, y + (fm.height() - Swatch) / 2, Swatch, Swatch);
            p.fillRect(swatch, QColor::fromRgb(*l.colour));
            p.setBrush(Qt::NoBrush);
            p.drawRect(swatch.adjusted(0, 0, -1, -1));
        }
        x += Swatch + Margin;
        p.drawText(x, y + fm.ascent(), l.text);
        y += fm.height();
    }
}
