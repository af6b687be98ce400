#pragma once
// "Log Run": the window's setup recorded as the next run of its meeting,
// with the run's name, its laps (pasted from a timing printout or a results
// page, or read from a file), position, temperatures and a note. What
// changed since the meeting's run before shows before anything is saved.

#include <QDialog>
#include <memory>
#include <optional>
#include <string>

#include "Dialogs.h"
#include "runs/RunLog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace vantrel::runs {

class LogRunDialog : public QDialog {
    Q_OBJECT
public:
    // The meeting is the one that values name; nativePath the setup library.
    // "Open…" asks for the file of lap times through dialogs.
    // A library that cannot be written now leaves the dialog open all the
    // same, saying why; Save records the run once it can.
    LogRunDialog(const std::string& nativePath, const Setup& values, const QString& setupType, Dialogs dialogs,
                 QWidget* parent = nullptr);
    // "Edit Run": a logged run of the racer's put right (its name, laps
    // ticked, position, temperatures, note); its setup and time stay.
    LogRunDialog(const std::string& nativePath, const StoredRun& run, Dialogs dialogs, QWidget* parent = nullptr);
    ~LogRunDialog() override;

    // The run saved, once the dialog was accepted.
    const std::optional<StoredRun>& saved() const { return m_saved; }
    // Reads lap times from a file as "Open…" does (tests, and a file dropped on the dialog).
    void openLapFile(const QString& nativePath);

    // Escape over pasted laps asks before they are thrown away.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void edit(const StoredRun& run);
    void showRunLaps();
    void readLaps();
    void showFigures();
    void save();
    void showLibraryFailure(const std::exception& failure);
    std::vector<Lap> chosenLaps() const;

    Dialogs m_dialogs;
    std::string m_path;
    Setup m_values;
    QString m_setupType;
    std::vector<StoredRun> m_before;
    std::optional<StoredRun> m_saved;
    std::optional<StoredRun> m_editing;

    QComboBox* m_cmbRunName = nullptr;
    QPlainTextEdit* m_txtLapText = nullptr;
    QComboBox* m_cmbLapColumn = nullptr;
    QLabel* m_lblLapColumn = nullptr;
    QListWidget* m_lstLaps = nullptr;
    QLabel* m_lblFigures = nullptr;
    QLabel* m_lblUnread = nullptr;
    QLabel* m_lblChanges = nullptr;
    QLabel* m_lblLibrary = nullptr;
    QLineEdit* m_txtPosition = nullptr;
    QLineEdit* m_txtAirTemp = nullptr;
    QLineEdit* m_txtTrackTemp = nullptr;
    QLineEdit* m_txtNote = nullptr;
    QPushButton* m_cmdSave = nullptr;
    bool m_reading = false;
    bool m_choiceWaits = false;  // several drivers' columns, none chosen
};

// Why the library cannot be written, as the racer reads it: "the disk is
// full" where its folder has no room left, else the failure's own words.
QString libraryFailureText(const std::string& libraryPath, const std::exception& failure);

// "8 laps · best 12.100 · 5 best 12.300 · median 12.420 · total 1:39.360 · consistency 97.1 %".
QString figuresText(const RunFigures& figures);

}  // namespace vantrel::runs
