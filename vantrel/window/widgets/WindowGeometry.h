#pragma once
// Every window and dialog of the program fits the screen it opens on (a
// laptop's 1366x768 with a panel, say), and a window the racer sized and
// placed opens there again. Places are kept per user, apart from the
// program folder's settings (QSettings: Vantrel/Windows, one group per
// window's object name), so a program folder the racer may not write to
// still remembers them.

#include <QRect>

class QWidget;

namespace vantrel::windowgeometry {

// A top-level window opens at the geometry it had when last hidden (or at
// its own size where none is kept), fitted to the available screen, and
// keeps its geometry whenever it is hidden. Call once, after the window
// has its object name and its size of its own.
void remember(QWidget* window);

// A window or dialog whose place is not kept (message boxes, progress):
// when shown, it is moved and, where it can shrink, shrunk onto the
// available screen.
void fitOnShow(QWidget* window);

// The rectangle moved, and shrunk where larger, to lie inside available;
// margins are the window frame's (left, top, right, bottom) around it.
QRect fitted(const QRect& wanted, const QRect& available, const QMargins& frame = {});

}  // namespace vantrel::windowgeometry
