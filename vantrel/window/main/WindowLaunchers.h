#pragma once
// What the main window opens beside itself: the setup library's window
// ("Library…", Ctrl+L), New Setup Type with the list of setup types read
// anew after it, and the team folder with the watch that takes the team's
// sheets into the library.

#include <QObject>
#include <QPointer>
#include <QString>

#include "Dialogs.h"

class QPushButton;
class QWidget;

namespace vantrel {

class Installation;
class MainForm;
class SetupLoader;
class TeamFolderControl;
class TeamWatch;

class WindowLaunchers : public QObject {
    Q_OBJECT
public:
    // A setup chosen in the library goes into the window through loader.
    // installation is the window's: the team folder control reads it anew.
    // What they open asks the racer through dialogs.
    WindowLaunchers(MainForm& window, Installation& installation, Dialogs dialogs, SetupLoader& loader);

    // The controls, made where the File tab wants them; Ctrl+L comes with
    // the library's button.
    QPushButton* libraryButton();
    QPushButton* newSetupTypeButton();
    TeamFolderControl* teamFolderControl();
    // "Log Run…" and "Runs…" (LogRunLauncher.h).
    QWidget* meetingButtons();

    // The setup types of the configuration folder into "Choose Setup Type:",
    // `select` chosen (else what was chosen before).
    void refreshSetupTypes(const QString& select = {});
    // The team's sheets come in (again, after the settings changed).
    void restartTeamWatch();

private:
    void openLibrary();
    void newSetupTypeClicked();

    MainForm& m_window;
    Installation& m_installation;
    Dialogs m_dialogs;
    SetupLoader& m_loader;
    QWidget* m_form;
    QPointer<QWidget> m_libraryWindow;
    TeamWatch* m_teamWatch = nullptr;
};

}  // namespace vantrel
