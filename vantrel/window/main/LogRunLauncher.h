#pragma once
// "Log Run…" on the File tab (Ctrl+R): the window's setup as the next run
// of the meeting its Driver Name, Track / City, Event and Date name; and
// "Runs…" beside it, the meeting's runs in a window of their own.

class QPushButton;
class QWidget;

namespace vantrel {

class MainForm;

// The two buttons in a row, with Ctrl+R on the window `form`.
QWidget* meetingButtons(MainForm& form);
// What the button does: asks for the meeting's names when they are missing,
// else shows the Log Run dialog and, once saved, the run in the status line.
void logRunFromWindow(MainForm& form);
// The meeting window of the meeting the window names.
void showMeetingOfWindow(MainForm& form);

}  // namespace vantrel
