#pragma once
// "Log Run…" on the File tab (Ctrl+R): the window's setup as the next run
// of the meeting its Driver Name, Track / City, Event and Date name.

class QPushButton;
class QWidget;

namespace vantrel {

// The button, with Ctrl+R on the window `form`.
QPushButton* logRunButton(QWidget* form);
// What the button does: asks for the meeting's names when they are missing,
// else shows the Log Run dialog and, once saved, the run in the status line.
void logRunFromWindow(QWidget* form);

}  // namespace vantrel
