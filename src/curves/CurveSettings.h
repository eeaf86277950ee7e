#pragma once

#include <QRgb>

#include <array>
#include <cstdint>

// The curves the window draws, one tab each.
inline constexpr int CurveCount = 5;

// How a curve is drawn (item index of its show-kind list).
enum class ShowKind { NotUsed = 0, BrokenLine = 1, Dot = 2, ColumnLine = 3 };

// One curve's settings, as its tab holds them.
struct CurveSpec
{
    int showKind = 0; // ShowKind as an index
    QRgb colour = 0xff000000;
    int style = 0; // item of the line-style list: Solid, Dash, Dot, DashDot, ...
    int widthIndex = 0; // pen width - 1
    int bufferPos = 0; // value column - 3
    std::int64_t full = 0;
    std::int64_t zero = 0;
};

// Everything one draw of the curve picture reads of the window's controls,
// with the values the window starts with.
struct CurveSettings
{
    std::array<CurveSpec, CurveCount> curves = {{
        {1, 0xffff0000, 0, 0, 0, 50000, 0},
        {2, 0xff00ff00, 0, 0, 1, 40000, 0},
        {3, 0xff800080, 0, 0, 2, 30000, 0},
        {0, 0xff000000, 0, 0, 3, 20000, 0},
        {0, 0xff000000, 0, 0, 4, 10000, 0},
    }};
    int width = 900; // plot width W; the picture is W + 2 wide
    int height = 360; // plot height H; the picture is H + 2 high
    int vDivisions = 6;
    int hDivisions = 10;
    QRgb background = 0xff000000;
    QRgb grid = 0xff6c6c6c;
    bool hideGrid = false;
    bool hideXInfo = false;
    bool hideYMarks = false;
    QRgb xInfoColour = 0xffff00ff;
    int xInfoFontClass = 0;
    std::int64_t markMax = 10000;
    std::int64_t markMin = 1;
    int markDecimals = 1;
    int markCount = 5;
    QRgb markColour = 0xffffff00;
    int markFontClass = 0;
};
