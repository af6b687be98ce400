#pragma once
// The program's only working window: one car setup typed in over six tabs,
// or an external raw data file chosen instead, and the button that makes the
// setup sheet. Every control carries its system name as object name; the run
// procedure and the raw data capture find the controls by those names.

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "CAppSettings.h"
#include "MainForm.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vantrel {

class ChassisPictureWidget;
class FolderList;
class TeamWatch;

class frmVantrel : public QWidget, public MainForm {
    Q_OBJECT
public:
    explicit frmVantrel(QWidget* parent = nullptr);
    ~frmVantrel() override;

    // The live main window; nullptr when there is none.
    static frmVantrel* instance();

    // Called before each step (1 to 5) of the load sequence; a hook that
    // throws makes that step fail. Tests only; an empty function removes it.
    static void setLoadStepHookForTesting(std::function<void(int step)> hook);

    // The control with this object name, or nullptr.
    template <class T>
    T* control(const QString& name) const {
        return findChild<T*>(name);
    }

    // Sets all 73 setup controls from a setup given as its values in record
    // order ("same as front" unticked); `from` names where it came from. A
    // value that no control can show (an option number outside its group, an
    // arm length that is neither Long nor Short, both toe fields set, a text
    // over 254 bytes, with a line break or not UTF-8) is listed in one
    // message after the load; its control keeps what could be set, an option
    // group none of its buttons. Starts no run, writes no file, leaves the
    // File tab alone. True when every value is shown as it is.
    bool loadSetup(const std::array<std::string, SetupFieldCount>& values, const QString& from);
    // The setup of a raw data file or a setup sheet loaded as loadSetup does;
    // a file that cannot be read changes no control and shows one message
    // naming the file and why. True when the file was loaded.
    bool openSetupFile(const QString& path);

    // The status line at the foot of the window: the sheet a run just made,
    // with actions to open it and show its folder ...
    void showSheetCreated(const QString& sheetPath) override;
    // ... or a warning of its own, without actions ...
    void showStatusWarning(const QString& text) override;
    // ... or what the window just did ("Loaded the setup of ..."), without actions.
    void showStatusText(const QString& text);
    QWidget* formWidget() override { return this; }

protected:
    bool event(QEvent* event) override;

private:
    void buildWindow();
    QWidget* buildEventDetailsTab();
    QWidget* buildFrontTab();
    QWidget* buildRearTab();
    QWidget* buildTyresTab();
    QWidget* buildOtherTab();
    QWidget* buildFileTab();
    // "Open Setup…" with Ctrl+O, and files dropped onto the window.
    void addOpenSetup(QFormLayout* form);
    QWidget* buildStatusLine();
    // "Library…" on the File tab and Ctrl+L: the setup library's window.
    QPushButton* buildLibraryButton();
    void openLibrary();
    // "Team Folder:" beside it, and the watch that takes the team's sheets in.
    void buildTeamFolderRow(QFormLayout* form);

    QLineEdit* textBox(const QString& name);
    QComboBox* comboBox(const QString& name, const QStringList& items, const QString& start);
    QLabel* label(const QString& name, const QString& text);
    QGroupBox* frame(const QString& name, const QString& title);
    QFormLayout* formLayout();
    void addRow(QFormLayout* form, const QString& caption, QWidget* field);
    void addRow(QFormLayout* form, const QString& caption, QWidget* field, const QString& unit);
    // The pictures whose holes belong to any of the groups, in art order;
    // their buttons join the named button groups.
    QList<ChassisPictureWidget*> pictures(const QStringList& groups);
    QButtonGroup* buttonGroup(const QString& name);

    // Event handlers.
    void loadWindow();
    void windowActivated();
    void tabChanged(int index);
    void externalDataClicked();
    void sameFrontRearTyresClicked();
    void openDataFileClicked();
    void folderChanged(const QString& path);
    // "New Setup Type…": a setup type from a fillable PDF; the list of
    // setup types is read anew from the configuration folder afterwards.
    void newSetupTypeClicked();
    void refreshSetupTypes(const QString& select = {});
    void createSetupSheetClicked();
    void cancelClicked();
    void openSetupClicked();
    void openSheetClicked();
    void showFolderClicked();

    QTabWidget* m_tabs = nullptr;
    FolderList* m_dir1 = nullptr;
    QFileDialog* m_commonDialog1 = nullptr;
    QString m_lastSheet;  // the sheet the status line names
    QPointer<QWidget> m_libraryWindow;
    TeamWatch* m_teamWatch = nullptr;
};

}  // namespace vantrel
