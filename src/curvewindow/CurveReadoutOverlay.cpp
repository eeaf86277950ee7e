#include "curvewindow/CurveReadoutOverlay.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

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

void CurveReadoutOverlay::setAlarmTicks(const AlarmTicks::Timeline *timeline,
                                        std::vector<AlarmTicks::Tick> ticks, int plotBottom)
{
    if (m_timeline == timeline && m_ticks == ticks && m_ticksBottom == plotBottom)
        return;
    m_timeline = timeline;
    m_ticks = std::move(ticks);
    m_ticksBottom = plotBottom;
    update();
}

QRect CurveReadoutOverlay::boxFor(QPoint pointer)
{
    const QFontMetrics fm(font());
    const int lines = static_cast<int>(m_lines.size());
    // A picture too low for the lines in one column gets them side by side,
    // so that the box stays whole.
    const int fitting = std::max(1, (height() - 2 * Margin) / fm.height());
    const int columns = (lines + fitting - 1) / fitting;
    m_rowsPerColumn = (lines + columns - 1) / columns;
    m_columnWidths.clear();
    for (int i = 0; i < lines; ++i) {
        if (i % m_rowsPerColumn == 0)
            m_columnWidths << 0;
        m_columnWidths.last() = std::max(
            m_columnWidths.last(), fm.horizontalAdvance(m_lines.at(i).text) + Swatch + Margin);
    }
    int textWidth = 0;
    for (const int w : std::as_const(m_columnWidths))
        textWidth += w;
    textWidth += (static_cast<int>(m_columnWidths.size()) - 1) * 2 * Margin;
    const QSize size(textWidth + 2 * Margin, m_rowsPerColumn * fm.height() + 2 * Margin);
    // Right of and below the pointer; turned to the other side at the edges,
    // and never past an edge of the picture.
    QPoint at = pointer + QPoint(PointerGap, PointerGap);
    if (at.x() + size.width() > width())
        at.setX(pointer.x() - PointerGap - size.width());
    if (at.y() + size.height() > height())
        at.setY(pointer.y() - PointerGap - size.height());
    at.setX(std::max(0, std::min(at.x(), width() - size.width())));
    at.setY(std::max(0, std::min(at.y(), height() - size.height())));
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
    // Under the markers and the readout, which belong to the pointer.
    if (m_timeline && !m_ticks.empty())
        AlarmTicks::paint(p, m_ticks, *m_timeline, m_ticksBottom);
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
    int left = m_box.left() + Margin;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const CurveReadout::Line &l = m_lines.at(i);
        const int column = static_cast<int>(i) / m_rowsPerColumn;
        const int row = static_cast<int>(i) % m_rowsPerColumn;
        if (row == 0 && column > 0)
            left += m_columnWidths.at(column - 1) + 2 * Margin;
        const int y = m_box.top() + Margin + row * fm.height();
        int x = left;
        if (l.colour) {
            const QRect swatch(x, y + (fm.height() - Swatch) / 2, Swatch, Swatch);
            p.fillRect(swatch, QColor::fromRgb(*l.colour));
            p.setBrush(Qt::NoBrush);
            p.drawRect(swatch.adjusted(0, 0, -1, -1));
        }
        x += Swatch + Margin;
        p.drawText(x, y + fm.ascent(), l.text);
    }
}
