#pragma once

// The numbers a spreadsheet's automation interface takes for a range's
// alignment, border line style and font colour: what the export sends and
// what the workbook engine understands.
namespace RangeStyleCodes {

// HorizontalAlignment and VerticalAlignment.
inline constexpr int AlignGeneral = 1;
inline constexpr int AlignLeft = -4131;
inline constexpr int AlignCentre = -4108; // both directions
inline constexpr int AlignRight = -4152;
inline constexpr int AlignTop = -4160;
inline constexpr int AlignBottom = -4107;

// Borders.LineStyle.
inline constexpr int LineContinuous = 1;
inline constexpr int LineDash = -4115;
inline constexpr int LineDot = -4118;
inline constexpr int LineDouble = -4119;
inline constexpr int LineNone = -4142;

// Font.Color: a colour word keeps red in the low byte.
constexpr int colourWord(int red, int green, int blue)
{
    return red | (green << 8) | (blue << 16);
}

} // namespace RangeStyleCodes
