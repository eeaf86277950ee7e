#include "curves/LineSamples.h"

#include "curves/BitmapCanvas.h"

namespace LineSamples {

QImage styleSample(int style)
{
    QImage img(30, 16, QImage::Format_RGB32);
    img.fill(0xffffffff);
    BitmapCanvas c(img);
    c.setBrush(0xffffffff);
    c.setPen({0xff000000, static_cast<BitmapCanvas::Style>(qBound(0, style, 6)), 1});
    c.line(QPoint(0, 7), QPoint(30, 7));
    c.line(QPoint(0, 8), QPoint(30, 8));
    return img;
}

QImage widthSample(int widthIndex)
{
    QImage img(70, 16, QImage::Format_RGB32);
    img.fill(0xffffffff);
    BitmapCanvas c(img);
    c.setBrush(0xffffffff);
    c.setPen({0xff000000, BitmapCanvas::Style::Solid, qBound(0, widthIndex, 5) + 1});
    c.line(QPoint(0, 7), QPoint(70, 7));
    return img;
}

} // namespace LineSamples
