#include "platform/WindowPlacement.h"

#include <algorithm>

namespace WindowPlacement {

QMargins frameOf(const QRect &outer, const QRect &client)
{
    return QMargins(client.left() - outer.left(), client.top() - outer.top(),
                    outer.right() - client.right(), outer.bottom() - client.bottom());
}

QSize clientForOuter(QSize outer, const QMargins &frame)
{
    return QSize(std::max(1, outer.width() - frame.left() - frame.right()),
                 std::max(1, outer.height() - frame.top() - frame.bottom()));
}

QSize largestClient(const QRect &available, const QMargins &frame)
{
    return clientForOuter(available.size(), frame);
}

QRect keptInside(const QRect &outer, const QRect &available)
{
    QRect r = outer;
    if (r.right() > available.right())
        r.moveRight(available.right());
    if (r.bottom() > available.bottom())
        r.moveBottom(available.bottom());
    if (r.left() < available.left())
        r.moveLeft(available.left());
    if (r.top() < available.top())
        r.moveTop(available.top());
    return r;
}

QRect fittedOuter(QSize client, const QMargins &frame, const QRect &available, QPoint topLeft)
{
    const QSize fitted = client.boundedTo(largestClient(available, frame));
    return keptInside(QRect(topLeft, fitted.grownBy(frame)), available);
}

QRect centredInside(QSize outer, const QRect &available)
{
    QRect r(QPoint(), outer);
    r.moveCenter(available.center());
    return keptInside(r, available);
}

} // namespace WindowPlacement
