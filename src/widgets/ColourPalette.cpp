#include "widgets/ColourPalette.h"

#include "widgets/PaletteCells.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

ColourPalette::ColourPalette(QWidget *parent)
    : QFrame(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);

    // Our own hint window, so that it sits exactly below the cell.
    m_hint = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
    m_hint->setObjectName(QStringLiteral("hint"));
    m_hint->setStyleSheet(QStringLiteral("QLabel { background: #ffffe1; color: black; border: 1px "
                                         "solid black; padding: 1px 2px; }"));
    m_hint->hide();
}

void ColourPalette::setSelectedCell(int cell)
{
    if (cell < -1 || cell >= PaletteCells::Count)
        cell = -1;
    if (cell == m_selected)
        return;
    m_selected = cell;
    update();
}

void ColourPalette::setSelectedColour(const QColor &colour)
{
    setSelectedCell(colour.isValid() ? PaletteCells::firstMatch(colour.rgb()) : -1);
}

std::optional<QColor> ColourPalette::selectedColour() const
{
    if (m_selected < 0)
        return std::nullopt;
    return PaletteCells::colour(m_selected);
}

void ColourPalette::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(240, 240, 240));
    // The flat border.
    p.setPen(QColor(128, 128, 128));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    for (int i = 0; i < PaletteCells::Count; ++i) {
        const QRect cell = PaletteCells::rect(i);
        if (i == m_hot && i != m_selected) {
            p.fillRect(cell, QColor(182, 189, 210));
            p.setPen(QColor(10, 36, 106));
            p.drawRect(cell.adjusted(0, 0, -1, -1));
        }
        const QRect swatch = cell.adjusted(3, 3, -3, -3);
        p.fillRect(swatch, PaletteCells::colour(i));
        p.setPen(QColor(128, 128, 128));
        p.drawRect(swatch.adjusted(-1, -1, 0, 0));
    }
    if (m_selected >= 0) {
        const QRect cell = PaletteCells::rect(m_selected);
        p.setPen(Qt::black);
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        p.setPen(Qt::white);
        p.drawRect(cell.adjusted(1, 1, -2, -2));
    }
}

void ColourPalette::setHot(int cell)
{
    if (cell != m_hot) {
        m_hot = cell;
        update();
    }
    if (m_hot < 0) {
        m_hint->hide();
        return;
    }
    m_hint->setText(PaletteCells::name(m_hot));
    m_hint->adjustSize();
    m_hint->move(mapToGlobal(PaletteCells::hintPosition(m_hot)));
    m_hint->show();
}

void ColourPalette::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    setHot(-1);
    setSelectedCell(PaletteCells::cellAt(event->position().toPoint()));
}

void ColourPalette::mouseMoveEvent(QMouseEvent *event)
{
    const int cell = PaletteCells::cellAt(event->position().toPoint());
    if (event->buttons() & Qt::LeftButton)
        setSelectedCell(cell);
    else
        setHot(cell);
}

void ColourPalette::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}

void ColourPalette::leaveEvent(QEvent *event)
{
    setHot(-1);
    QFrame::leaveEvent(event);
}

void ColourPalette::hideEvent(QHideEvent *event)
{
    setHot(-1);
    QFrame::hideEvent(event);
}
