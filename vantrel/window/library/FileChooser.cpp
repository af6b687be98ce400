#include "FileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>

#include "MessageBox.h"

namespace vantrel::library {

namespace {

FileChooser g_chooser;

QStringList dialogChoice(QWidget* parent, FileChoice choice, const QString& suggestion) {
    using Choice = FileChoice;
    switch (choice) {
    case Choice::ImportFiles:
        return QFileDialog::getOpenFileNames(
            parent, "Import Setups", suggestion,
            "Setup sheets, raw data files and library CSV files (*.pdf *.dat *.ini *.txt *.csv);;All files (*)");
    case Choice::ImportFolder: {
        const QString folder = QFileDialog::getExistingDirectory(parent, "Import Setups from a Folder", suggestion);
        return folder.isEmpty() ? QStringList() : QStringList{folder};
    }
    case Choice::RebuildFolder: {
        const QString folder = QFileDialog::getExistingDirectory(parent, "Folder for the New Sheet", suggestion);
        return folder.isEmpty() ? QStringList() : QStringList{folder};
    }
    case Choice::ExportCsv:
    case Choice::ComparisonPdf: {
        const bool csv = choice == Choice::ExportCsv;
        QString file = QFileDialog::getSaveFileName(parent, csv ? "Export CSV" : "Save as PDF", suggestion,
                                                    csv ? "CSV files (*.csv)" : "PDF files (*.pdf)");
        if (file.isEmpty()) return {};
        const QString suffix = csv ? ".csv" : ".pdf";
        if (QFileInfo(file).suffix().isEmpty()) file += suffix;
        return {file};
    }
    }
    return {};
}

}  // namespace

void setFileChooserForTesting(FileChooser chooser) { g_chooser = std::move(chooser); }

QStringList chooseFiles(QWidget* parent, FileChoice choice, const QString& suggestion) {
    return g_chooser ? g_chooser(choice, suggestion) : dialogChoice(parent, choice, suggestion);
}

void saveChosenPdf(QWidget* window, QLabel* status, const QString& suggestion,
                   const std::function<void(const QString& nativePath)>& write) {
    const QStringList files = chooseFiles(window, FileChoice::ComparisonPdf, suggestion);
    if (files.isEmpty()) return;
    const QString file = QDir::toNativeSeparators(files.front());
    try {
        write(file);
        status->setText("Saved as " + file);
    } catch (const std::exception& error) {
        MessageBox::failure(window, window->windowTitle(), error);
    }
}

}  // namespace vantrel::library
