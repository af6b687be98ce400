#pragma once
// What the main window held when the racer left it (every setup control,
// "same as front", the tab, the setup type, the target folder and the
// external raw data file choice), kept in "Window.json" in the data folder:
// the folder every run writes to, so it travels with the program folder
// (a stick, a copy) and is writable where the program folder itself may not
// be. Saved whole a moment after the last change and on Close, so that a
// kill loses at most that moment; read back once the window has loaded.

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>

class QTabWidget;
class QWidget;

namespace vantrel {

class FolderList;
class Installation;

class WindowState : public QObject {
    Q_OBJECT
public:
    // The state of form's controls (found by their names), its tabs and
    // its target folder list, kept in fileOf(installation).
    WindowState(QWidget* form, QTabWidget* tabs, FolderList* targetFolders, const Installation& installation);

    // The file the window's state is kept in, native.
    static QString fileOf(const Installation& installation);

    // Puts the kept state into the window; from then on every change is
    // saved a moment later. A missing file leaves the window as it started;
    // one that cannot be read does too, and the log says why. A target
    // folder no longer there keeps the start's own. Answers the status
    // line's warning where the restored Date is not today's meeting, else
    // the empty text.
    QString restore();
    // Writes the state now (on Close); a failure goes to the log.
    void save();

private:
    void changed();
    void log(const QString& line) const;
    // A path kept as the racer sees it, and within the program folder also
    // relative to it: a folder copied elsewhere finds its own folders.
    void keepPath(QJsonObject& controls, const QString& name) const;
    QString keptPath(const QJsonObject& controls, const QString& name) const;

    QWidget* m_form;
    QTabWidget* m_tabs;
    FolderList* m_targetFolders;
    QString m_file, m_logFile, m_programFolder;
    QTimer m_saveSoon;
    bool m_watching = false;
};

}  // namespace vantrel
