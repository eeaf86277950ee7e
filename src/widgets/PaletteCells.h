#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

// The colour palette's 40 cells: their names and colours in order, and where
// each sits inside the palette (5 rows of 8, 18 by 18 pixels).
namespace PaletteCells {

constexpr int Count = 40;
constexpr int Columns = 8;
constexpr int Rows = 5;
constexpr int CellSize = 18;
// The cells start inside the flat border, centred in the 152 x 98 palette.
constexpr int Margin = 4;

QString name(int cell);
QColor colour(int cell);

// The cell's rectangle in palette coordinates.
QRect rect(int cell);
// The cell under a point, or -1 over the border and outside.
int cellAt(QPoint point);
// The first cell, in order, whose colour equals rgb exactly, or -1.
int firstMatch(QRgb rgb);

// Where the hint of a cell goes: 4 pixels right of and 12 below the cell's
// bottom-left corner, in palette coordinates.
QPoint hintPosition(int cell);

} // namespace PaletteCells
