#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

// How one item of a line-style or line-width list is painted: the row in the
// brush colour, the item's sample picture at (left + 2, top + 2) with pure
// red showing the brush, and the text beside the picture.
namespace LinePickerItem {

constexpr int Height = 20;
constexpr QRgb MaskColour = 0xffff0000;

// Where the text starts, from the item's left: the picture's width + 8, or 0
// without a picture.
int textOffset(const QImage &picture);

void paint(QPainter &painter, const QRect &rect, const QColor &brush, const QColor &textColour,
           const QFont &font, const QImage &picture, const QString &text);

} // namespace LinePickerItem
