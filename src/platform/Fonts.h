#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The interface names the faces "宋体", "黑体" and "MS Sans Serif"; these
// give each of them, at a pixel size, with faces this system has behind
// them so that Chinese glyphs always show.
QFont songFace(int pixelSize);
QFont sansFace(int pixelSize);
// The "宋体" face of captions that share their room with English texts.
QFont captionFace(int pixelSize);

// The family lists behind them, the named face first.
QStringList songFamilies();
QStringList sansFamilies();
QStringList captionFamilies();

// Maps the names for every QFont made by name alone; once per run.
void installFontSubstitutes();
