#pragma once

#include <QImage>

// The sample pictures of the line-style and line-width lists: white, with a
// black line of the item's style (two rows, 7 and 8, 30 wide) or width (row
// 7, 70 wide).
namespace LineSamples {

QImage styleSample(int style);
QImage widthSample(int widthIndex);

} // namespace LineSamples
