#include "widgets/PaletteCells.h"

#include <array>

namespace PaletteCells {

namespace {

struct Cell
{
    const char *name;
    int r, g, b;
};

constexpr std::array<Cell, Count> cells = {{
    {"Black", 0, 0, 0},
    {"Brown", 153, 51, 0},
    {"Olive Green", 51, 51, 0},
    {"Dark Green", 0, 51, 0},
    {"Dark Teal", 0, 51, 102},
    {"Dark Blue", 0, 0, 128},
    {"Indigo", 51, 51, 153},
    {"Gray 80%", 51, 51, 51},

    {"Dark Red", 128, 0, 0},
    {"Orange", 255, 102, 0},
    {"Dark Yellow", 128, 128, 0},
    {"Green", 0, 128, 0},
    {"Teal", 0, 128, 128},
    {"Blue", 0, 0, 255},
    {"Blue Gray", 102, 102, 153},
    {"Gray 50%", 128, 128, 128},

    {"Red", 255, 0, 0},
    {"Light Orange", 255, 153, 0},
    {"Lime", 153, 204, 0},
    {"Sea Green", 51, 153, 102},
    {"Aqua", 51, 153, 153},
    {"Light Blue", 51, 102, 255},
    {"Violet", 128, 0, 128},
    {"Gray 40%", 153, 153, 153},

    {"Pink", 255, 0, 255},
    {"Gold", 255, 204, 0},
    {"Yellow", 255, 255, 0},
    {"Bright Green", 0, 255, 0},
    {"Turquoise", 0, 255, 255},
    {"Sky Blue", 0, 204, 255},
    {"Plum", 153, 51, 102},
    {"Gray 25%", 192, 192, 192},

    {"Rose", 255, 153, 204},
    {"Tan", 255, 204, 153},
    {"Light Yellow", 255, 255, 153},
    {"Light Green", 204, 255, 204},
    {"Light Turquoise", 204, 255, 255},
    {"Pale Blue", 153, 204, 255},
    {"Lavender", 204, 153, 255},
    {"White", 255, 255, 255},
}};

bool valid(int cell)
{
    return cell >= 0 && cell < Count;
}

} // namespace

QString name(int cell)
{
    return valid(cell) ? QString::fromLatin1(cells[std::size_t(cell)].name) : QString();
}

QColor colour(int cell)
{
    if (!valid(cell))
        return {};
    const Cell &c = cells[std::size_t(cell)];
    return QColor(c.r, c.g, c.b);
}

QRect rect(int cell)
{
    if (!valid(cell))
        return {};
    return QRect(Margin + cell % Columns * CellSize, Margin + cell / Columns * CellSize, CellSize,
                 CellSize);
}

int cellAt(QPoint point)
{
    const int x = point.x() - Margin;
    const int y = point.y() - Margin;
    if (x < 0 || y < 0)
        return -1;
    const int column = x / CellSize;
    const int row = y / CellSize;
    if (column >= Columns || row >= Rows)
        return -1;
    return row * Columns + column;
}

int firstMatch(QRgb rgb)
{
    for (int i = 0; i < Count; ++i) {
        if (colour(i).rgb() == (rgb | 0xff000000u))
            return i;
    }
    return -1;
}

QPoint hintPosition(int cell)
{
    const QRect r = rect(cell);
    // The corner is the pixel below the cell, as a rectangle's bottom counts.
    return QPoint(r.left() + 4, r.top() + r.height() + 12);
}

} // namespace PaletteCells
