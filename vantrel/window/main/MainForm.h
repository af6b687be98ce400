#pragma once
// The main window as the run procedure, the raw data capture and the
// window's own parts (loading a setup, the launchers) see it: what its File
// tab asks of a run, its setup controls (which the capture reads by their
// object names, as the record's table names them), and its status line; and
// what the library's windows ask of it. The run and the capture are handed
// it by the window that starts them.

#include <QString>

#include "Dialogs.h"
#include "MainWindowLink.h"
#include "SheetRequest.h"

class QWidget;

namespace vantrel {

class MainForm : public library::MainWindowLink {
public:
    // The window whose children are the setup controls.
    virtual QWidget* formWidget() = 0;
    // Its installation() is the one read where the program started, read
    // again after the window itself wrote its settings file.
    // The dialogs the window and those it opens ask the racer through.
    virtual const Dialogs& dialogs() const = 0;
    // What the File tab asks of a run, and the sheet a run made shown there.
    virtual SheetRequest sheetRequest() const = 0;
    virtual void showNewSheet(const QString& path) = 0;
    // The status line at the foot of the window: the sheet a run just made,
    // with actions to open it and show its folder, and what of the run went
    // not as asked (". Warning: ...", shown as a warning) ...
    virtual void showSheetCreated(const QString& sheetPath, const QString& warnings = {}) = 0;
    // ... or a warning of its own, without actions ...
    virtual void showStatusWarning(const QString& text) = 0;
    // ... or what the window just did ("Loaded the setup of ..."), without actions.
    virtual void showStatusText(const QString& text) = 0;
    // ... the same about a file: a path too long for the line loses its
    // middle; a warning when `warning`.
    virtual void showStatusAbout(const QString& before, const QString& path, const QString& after, bool warning) = 0;

protected:
    MainForm() = default;
    ~MainForm() = default;
};

}  // namespace vantrel
