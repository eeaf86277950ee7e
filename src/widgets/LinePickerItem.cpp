#include "widgets/LinePickerItem.h"

#include <QPainter>

namespace LinePickerItem {

int textOffset(const QImage &picture)
{
    return picture.isNull() ? 0 : picture.width() + 8;
}

void paint(QPainter &painter, const QRect &rect, const QColor &brush, const QColor &textColour,
           const QFont &font, const QImage &picture, const QString &text)
{
    painter.save();
    painter.setClipRect(rect);
    painter.fillRect(rect, brush);
    if (!picture.isNull()) {
        QImage copy = picture.convertToFormat(QImage::Format_RGB32);
        const QRgb fill = brush.rgb();
        for (int y = 0; y < copy.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(copy.scanLine(y));
            for (int x = 0; x < copy.width(); ++x) {
                if ((line[x] | 0xff000000u) == MaskColour)
                    line[x] = fill;
            }
        }
        painter.drawImage(rect.topLeft() + QPoint(2, 2), copy);
    }
    const int offset = textOffset(picture);
    painter.setFont(font);
    painter.setPen(textColour);
    painter.drawText(
        QRect(rect.left() + offset, rect.top(), qMax(0, rect.width() - offset), rect.height()),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
}

} // namespace LinePickerItem
