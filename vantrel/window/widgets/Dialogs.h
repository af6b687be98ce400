#pragma once
// What the windows ask the racer through the system's dialogs: files or a
// folder to choose, a name to type. The main window is given one set and
// hands it to each window it opens: the program's are Qt's own dialogs
// (Dialogs::system()), a test answers in their place.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QLabel;
class QWidget;

namespace vantrel {

// What a window asks the racer to choose.
enum class FileChoice {
    ImportFiles,
    ImportFolder,
    ExportCsv,
    RebuildFolder,
    ComparisonPdf,
    TeamFolder,
    SetupFile,
    LapTimes
};

struct Dialogs {
    // The chosen paths (empty: cancelled); suggestion is a file or folder to
    // start from. A file to save comes with its suffix (".csv", ".pdf").
    std::function<QStringList(QWidget* parent, FileChoice choice, const QString& suggestion)> chooseFiles;
    // The name the racer typed, as typed (nothing: cancelled); suggestion
    // stands in the box at first.
    std::function<std::optional<QString>(QWidget* parent, const QString& title, const QString& label,
                                         const QString& suggestion)>
        askName;

    // Qt's file and input dialogs.
    static Dialogs system();
};

// Save as PDF, as the comparison, the track history and the meeting offer
// it: the racer chooses the file through dialogs (a PDF, starting at the
// suggestion), write makes it; "Saved as <file>" in the status, a failure in
// a box titled as the window. The file saved (a native path), or empty.
QString saveChosenPdf(QWidget* window, const Dialogs& dialogs, QLabel* status, const QString& suggestion,
                      const std::function<void(const QString& nativePath)>& write);

}  // namespace vantrel
