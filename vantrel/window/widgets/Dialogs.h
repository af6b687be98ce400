#pragma once
// What the windows ask the racer through the system's dialogs: files or a
// folder to choose, a name to type. The main window is given one set and
// hands it to each window it opens: the program's are Qt's own dialogs
// (Dialogs::system()), a test answers in their place.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace vantrel {

// What a window asks the racer to choose.
enum class FileChoice { ImportFiles, ImportFolder, ExportCsv, RebuildFolder, ComparisonPdf, TeamFolder };

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

}  // namespace vantrel
