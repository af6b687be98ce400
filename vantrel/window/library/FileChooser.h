#pragma once
// The file dialogs of the library window and the comparison, behind one
// function that tests can answer ahead of time.

#include <QString>
#include <QStringList>
#include <functional>

class QLabel;
class QWidget;

namespace vantrel::library {

// What a window asks the racer to choose through a file dialog.
enum class FileChoice { ImportFiles, ImportFolder, ExportCsv, RebuildFolder, ComparisonPdf };
// Answers the chosen paths (empty: cancelled); suggestion is a file or
// folder to start from.
using FileChooser = std::function<QStringList(FileChoice, const QString& suggestion)>;

// Tests choose ahead of time; an empty function gives the dialogs back.
void setFileChooserForTesting(FileChooser chooser);
// The chooser in force: the test's, else the file dialogs.
QStringList chooseFiles(QWidget* parent, FileChoice choice, const QString& suggestion = {});

// Save as: the racer chooses the file (a PDF, starting at the suggestion),
// write makes it; "Saved as <file>" in the status, a failure in a box titled
// as the window.
void saveChosenPdf(QWidget* window, QLabel* status, const QString& suggestion,
                   const std::function<void(const QString& nativePath)>& write);

}  // namespace vantrel::library
