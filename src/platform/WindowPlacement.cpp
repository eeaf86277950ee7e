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

QRect besideOwner(const QRect &owner, QSize outer, const QRect &available)
{
    const QRect candidates[] = {
        QRect(QPoint(owner.left(), owner.bottom() + 1), outer),
        QRect(QPoint(owner.right() + 1, owner.bottom() - outer.height() + 1), outer),
        QRect(QPoint(owner.left() - outer.width(), owner.bottom() - outer.height() + 1), outer),
        QRect(QPoint(owner.left(), owner.top() - outer.height()), outer),
    };
    QRect best;
    qint64 leastHidden = -1;
    for (const QRect &wanted : candidates) {
        const QRect placed = keptInside(wanted, available);
        const QRect hidden = placed.intersected(owner);
        const qint64 area = hidden.isEmpty() ? 0 : qint64(hidden.width()) * hidden.height();
        if (leastHidden < 0 || area < leastHidden) {
            best = placed;
            leastHidden = area;
        }
    }
    return best;
}

QRect centredInside(QSize outer, const QRect &available)
{
    QRect r(QPoint(), outer);
    r.moveCenter(available.center());
    return keptInside(r, available);
}

} // namespace WindowPlacement
