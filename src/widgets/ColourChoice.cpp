#include "widgets/ColourChoice.h"

namespace ColourChoice {

ColourWord toColourWord(const QColor &colour)
{
    return toColourWord(colour.red(), colour.green(), colour.blue());
}

QColor fromColourWord(ColourWord word)
{
    if (word >> 24)
        return {};
    return QColor(int(word & 0xff), int(word >> 8 & 0xff), int(word >> 16 & 0xff));
}

QPoint dialogPosition(QPoint windowTopLeft, const QRect &panelInClient)
{
    // The panel's bottom is the row below its last, as rectangles count here.
    return windowTopLeft
        + QPoint(panelInClient.left() + 7, panelInClient.top() + panelInClient.height() + 28);
}

} // namespace ColourChoice
