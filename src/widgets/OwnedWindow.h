#pragma once

class QWidget;

// Shows a window that belongs to `owner` (a list, statistics or editor of the
// main window) and brings it to the front. The first time it shows, it goes
// beside the owner where it hides least of it, inside the owner's screen: left
// to itself a window system may centre it over an owner at the screen's edge
// and push it half off the screen. After that it stays where the user put it.
void showOwnedWindow(QWidget *window, const QWidget *owner);
