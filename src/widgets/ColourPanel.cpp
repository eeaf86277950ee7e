#include "widgets/ColourPanel.h"

#include <QMouseEvent>
#include <QPainter>

ColourPanel::ColourPanel(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setCursor(Qt::PointingHandCursor);
    // The hint reads the same in both languages: not translated.
    setToolTip(QStringLiteral("选择颜色"));
}

void ColourPanel::setColour(const QColor &colour)
{
    if (m_colour == colour)
        return;
    m_colour = colour;
    update();
}

void ColourPanel::paintEvent(QPaintEvent *event)
{
    {
        QPainter p(this);
        p.fillRect(contentsRect(), m_colour);
    }
    QFrame::paintEvent(event);
}

void ColourPanel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(this);
    QFrame::mouseReleaseEvent(event);
}
