#include "widgets/ImageView.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

// A picture drawn for a high-resolution screen covers its size over its
// device pixel ratio.
QRect logicalRect(const QImage &image)
{
    return QRect(QPoint(0, 0), image.deviceIndependentSize().toSize());
}

} // namespace

ImageView::ImageView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageView::setImage(const QImage &image)
{
    const QRect old = logicalRect(m_image);
    m_image = image;
    update(old.united(logicalRect(m_image)));
}

void ImageView::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), palette().window());
    if (!m_image.isNull())
        p.drawImage(QPoint(0, 0), m_image);
}
