#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The ten font size classes "8X16" ... "160x320": a point size and the fixed
// character cell that the picture's layout uses (never measured from a font).
namespace FontClasses {

inline constexpr int Count = 10;

struct FontClass
{
    int points;
    int cellWidth;
    int cellHeight;
};

// Index outside 0..9 is taken as the nearest valid class.
FontClass at(int index);

// Points are taken at 96 dots per inch whatever the screen: the picture is a
// bitmap of fixed pixel geometry, so its text must not grow with the screen.
int pixelSize(int points);

// The picture's font in face "宋体", with the faces this system has behind it
// in its family list (no name substitution needed).
QFont pictureFont(int points);

// The window's own texts: the 14-pixel face (English letters narrow enough
// for the room the captions have), and the bold heading face.
QFont windowFont(int pixels);
QFont headingFont(int pixels);

} // namespace FontClasses
