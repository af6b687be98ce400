#include "FileChooser.h"

#include <QFileDialog>
#include <QFileInfo>

namespace vantrel::library {

namespace {

FileChooser g_chooser;

QStringList dialogChoice(QWidget* parent, FileChoice choice, const QString& suggestion) {
    using Choice = FileChoice;
    switch (choice) {
    case Choice::ImportFiles:
        return QFileDialog::getOpenFileNames(
            parent, "Import Setups", suggestion,
            "Setup sheets and raw data files (*.pdf *.dat *.ini *.txt);;All files (*)");
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

}  // namespace vantrel::library
