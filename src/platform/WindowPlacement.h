#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

// Sizes and places top-level windows given the frame the window system
// puts around them and the screen area it leaves free.
namespace WindowPlacement {

// The frame around a window whose outer rectangle is `outer` and whose
// client area is `client` (both in screen coordinates).
QMargins frameOf(const QRect &outer, const QRect &client);

// The client size whose window, frame included, has the outer size. A
// frame of no margins (no window manager) gives the outer size itself.
QSize clientForOuter(QSize outer, const QMargins &frame);

// The largest client size whose framed window fits the available area.
QSize largestClient(const QRect &available, const QMargins &frame);

// The outer rectangle moved left or up (and, if it must, right or down) so
// that it lies inside the available area; it is never moved further than
// needed. A rectangle larger than the area keeps its top-left corner on
// the area's.
QRect keptInside(const QRect &outer, const QRect &available);

// The outer rectangle of a window that wants the client size, its frame's
// top-left corner at `topLeft`: no larger than the available area, frame
// included, and kept inside it.
QRect fittedOuter(QSize client, const QMargins &frame, const QRect &available, QPoint topLeft);

// Where a window of the outer size goes beside its owner's outer rectangle:
// below it, to its right, to its left or above it, whichever hides least of
// the owner once kept inside the available area (the first of them on a tie).
QRect besideOwner(const QRect &owner, QSize outer, const QRect &available);

// The outer size centred on the available area and kept inside it.
QRect centredInside(QSize outer, const QRect &available);

} // namespace WindowPlacement
