#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>

// The plain rules of choosing a colour: the colour word the dialog and the
// colour panels pass around, and where the dialog opens below a panel.
namespace ColourChoice {

// The platform's colour word: 24-bit RGB with red in the low byte.
using ColourWord = quint32;

constexpr ColourWord toColourWord(int red, int green, int blue)
{
    return ColourWord(red & 0xff) | ColourWord(green & 0xff) << 8 | ColourWord(blue & 0xff) << 16;
}
ColourWord toColourWord(const QColor &colour);
// Only the low 24 bits are RGB; higher bits make no colour (an invalid QColor).
QColor fromColourWord(ColourWord word);

// The dialog's top-left on the screen for a panel whose rectangle in the
// window's client area is panelInClient, the window's frame starting at
// windowTopLeft: 7 right of the panel's left, 28 below its bottom.
QPoint dialogPosition(QPoint windowTopLeft, const QRect &panelInClient);

} // namespace ColourChoice
