#pragma once
// The program's only working window: one car setup typed in over six tabs,
// or an external raw data file chosen instead, and the button that makes the
// setup sheet. Every control carries its system name as object name; the run
// procedure and the raw data capture find the controls by those names. The
// window builds its tabs and wires its parts: the File tab, the loading of
// a setup (SetupLoader), the status line and what it opens beside itself
// (WindowLaunchers).

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "CAppSettings.h"
#include "ControlFactory.h"
#include "Dialogs.h"
#include "Installation.h"
#include "MainForm.h"

class QTabWidget;

namespace vantrel {

namespace library {
class LastHereOffer;
}
class FileTab;
class SetupLoader;
class StatusLine;
class WindowLaunchers;
class WindowState;

// What the window meets beyond its installation: the dialogs that ask the
// racer, which it hands to the windows it opens, and a look before each step
// (1 to 5) of its load sequence, where a look that raises makes that step
// fail. The program's are Qt's own dialogs and no look.
struct MainWindowOptions {
    Dialogs dialogs = Dialogs::system();
    std::function<void(int step)> beforeLoadStep = {};
};

class frmVantrel : public QWidget, public MainForm {
    Q_OBJECT
public:
    // The window of this installation (Installation::read where the program starts).
    explicit frmVantrel(Installation installation, MainWindowOptions options = {}, QWidget* parent = nullptr);
    ~frmVantrel() override;

    // The control with this object name, or nullptr.
    template <class T>
    T* control(const QString& name) const {
        return findChild<T*>(name);
    }

    // A setup into the window as SetupLoader takes it (the command line and
    // the tests start here).
    bool loadSetup(const Setup& values, const QString& from);
    bool openSetupFile(const QString& path);

    // What the File tab asks of a run, and the sheet a run made shown there.
    SheetRequest sheetRequest() const override;
    void showNewSheet(const QString& path) override;
    // The status line at the foot of the window: the sheet a run just made,
    // with actions to open it and show its folder, and what of the run went
    // not as asked (". Warning: ...", shown as a warning) ...
    void showSheetCreated(const QString& sheetPath, const QString& warnings = {}) override;
    // ... or a warning of its own, without actions ...
    void showStatusWarning(const QString& text) override;
    // ... or what the window just did ("Loaded the setup of ..."), without actions.
    void showStatusText(const QString& text) override;
    void showStatusAbout(const QString& before, const QString& path, const QString& after, bool warning) override;
    QWidget* formWidget() override { return this; }
    const Installation& installation() const override { return m_installation; }
    const Dialogs& dialogs() const override { return m_options.dialogs; }

    // What the library's windows ask of it.
    QWidget* linkedWindow() const override { return const_cast<frmVantrel*>(this); }
    library::TypedMeeting typedMeeting() const override;
    QString chosenSetupType() const override { return sheetRequest().setupName; }
    void addToStatusLine(const std::vector<QWidget*>& widgets) override;
    void statusOfferShown() override;
    void statusOfferWithdrawn() override;

protected:
    bool event(QEvent* event) override;

private:
    void buildWindow();
    QWidget* buildEventDetailsTab();
    QWidget* buildFrontTab();
    QWidget* buildRearTab();
    QWidget* buildTyresTab();
    QWidget* buildOtherTab();

    // Event handlers.
    void loadWindow();
    void windowActivated();
    void tabChanged(int index);
    void sameFrontRearTyresClicked();
    void createSetupSheetClicked();
    void cancelClicked();
    // What a text box of the setup holds.
    QString textOf(SetupField field) const;

    // Its parts hold on to it: the team folder control reads it anew in place.
    Installation m_installation;
    MainWindowOptions m_options;
    ControlFactory m_make{this};
    SetupLoader* m_loader = nullptr;
    WindowLaunchers* m_launchers = nullptr;
    QTabWidget* m_tabs = nullptr;
    FileTab* m_fileTab = nullptr;
    StatusLine* m_statusLine = nullptr;
    library::LastHereOffer* m_lastHere = nullptr;
    WindowState* m_state = nullptr;
};

}  // namespace vantrel
