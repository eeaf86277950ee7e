#include "widgets/OwnedWindow.h"

#include "platform/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

void showOwnedWindow(QWidget *window, const QWidget *owner)
{
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Moved) && owner
        && owner->isVisible()) {
        if (const QScreen *screen = owner->screen()) {
            const QRect frame = owner->frameGeometry();
            // Its own frame is not known before it shows: allow the owner's.
            const QSize frameAround = frame.size() - owner->size();
            window->move(WindowPlacement::besideOwner(frame, window->size() + frameAround,
                                                      screen->availableGeometry())
                             .topLeft());
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
}
