#pragma once
// Every window and dialog of the program fits the screen it opens on (a
// laptop's 1366x768 with a panel, say), and a window the racer sized and
// placed opens there again. Places are kept in the file keepPlacesIn names
// (the main window names one in the program folder's data folder, so they
// travel with it), one entry per window's object name; until then, per
// user (QSettings: Vantrel/Windows).

#include <QRect>
#include <QString>

class QWidget;

namespace vantrel::windowgeometry {

// Where every window keeps its place from now on: a file written whole,
// native. A file that is not one of places is read as none.
void keepPlacesIn(const QString& nativeFile);

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
