#include "widgets/ImageView.h"

#include <QPaintEvent>
#include <QPainter>

ImageView::ImageView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageView::setImage(const QImage &image)
{
    const QRect old = m_image.rect();
    m_image = image;
    update(old.united(m_image.rect()));
}

void ImageView::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), palette().window());
    if (!m_image.isNull())
        p.drawImage(QPoint(0, 0), m_image);
}
