#pragma once

#include "curves/CurveGeometry.h"
#include "curves/CurveSettings.h"

#include <QImage>

class QPainter;

class RecordGridModel;

// One draw of the curve picture from the settings and the record grid as it
// is now. The picture is W + 2 by H + 2 pixels.
namespace CurvePicture {

struct View
{
    const RecordGridModel *grid = nullptr;
    bool realCells = false; // the grid shows "32bit Float" values
    int pos = 0; // first data row shown (scroll position)
    int scrollMax = 0; // scroll bar maximum (data rows - 1)
};

// Draws into image (resized as needed) and returns the layout it used.
CurveGeometry::Layout draw(QImage &image, const CurveSettings &settings, const View &view);

// The same picture with scale times the pixels in each direction and that
// device pixel ratio: the same layout in picture pixels, drawn sharp at the
// finer resolution. A scale of 1 or less draws the plain picture above.
CurveGeometry::Layout draw(QImage &image, const CurveSettings &settings, const View &view,
                           qreal scale);

// The picture through a painter, in picture pixels from the painter's
// origin and clipped to the picture: at whatever resolution the device and
// transform give (a printer page), without a bitmap in between.
CurveGeometry::Layout paint(QPainter &painter, const CurveSettings &settings, const View &view);

} // namespace CurvePicture
