#include "Dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>

#include "ElidedLabel.h"
#include "MessageBox.h"

namespace vantrel {

namespace {

QStringList folder(QWidget* parent, const QString& title, const QString& suggestion) {
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, suggestion);
    return chosen.isEmpty() ? QStringList() : QStringList{chosen};
}

QStringList chooseInDialog(QWidget* parent, FileChoice choice, const QString& suggestion) {
    switch (choice) {
    case FileChoice::ImportFiles:
        return QFileDialog::getOpenFileNames(
            parent, "Import Setups", suggestion,
            "Setup sheets, raw data files and library CSV files (*.pdf *.dat *.ini *.txt *.csv);;All files (*)");
    case FileChoice::ImportFolder: return folder(parent, "Import Setups from a Folder", suggestion);
    case FileChoice::RebuildFolder: return folder(parent, "Folder for the New Sheet", suggestion);
    case FileChoice::TeamFolder: return folder(parent, "Team Folder", suggestion);
    case FileChoice::SetupFile:
    case FileChoice::LapTimes: {
        const bool setup = choice == FileChoice::SetupFile;
        const QString file = QFileDialog::getOpenFileName(
            parent, setup ? "Open Setup" : "Open Lap Times", suggestion,
            setup ? "Setups (*.dat *.pdf *.ini);;All files (*)" : "Lap times (*.csv *.txt *.tsv);;All files (*)");
        return file.isEmpty() ? QStringList() : QStringList{file};
    }
    case FileChoice::ExportCsv:
    case FileChoice::ComparisonPdf: {
        const bool csv = choice == FileChoice::ExportCsv;
        QString file = QFileDialog::getSaveFileName(parent, csv ? "Export CSV" : "Save as PDF", suggestion,
                                                    csv ? "CSV files (*.csv)" : "PDF files (*.pdf)");
        if (file.isEmpty()) return {};
        if (QFileInfo(file).suffix().isEmpty()) file += csv ? ".csv" : ".pdf";
        return {file};
    }
    }
    return {};
}

std::optional<QString> nameInDialog(QWidget* parent, const QString& title, const QString& label,
                                    const QString& suggestion) {
    bool ok = false;
    const QString name = QInputDialog::getText(parent, title, label, QLineEdit::Normal, suggestion, &ok);
    if (!ok) return std::nullopt;
    return name;
}

}  // namespace

Dialogs Dialogs::system() { return Dialogs{chooseInDialog, nameInDialog}; }

QString saveChosenPdf(QWidget* window, const Dialogs& dialogs, QLabel* status, const QString& suggestion,
                      const std::function<void(const QString& nativePath)>& write) {
    const QStringList files = dialogs.chooseFiles(window, FileChoice::ComparisonPdf, suggestion);
    if (files.isEmpty()) return {};
    const QString file = QDir::toNativeSeparators(files.front());
    try {
        write(file);
        // The file's name stays whole where the line is short.
        if (auto* line = qobject_cast<ElidedLabel*>(status)) line->setLine("Saved as ", file, {});
        else status->setText("Saved as " + file);
        return file;
    } catch (const std::exception& error) {
        MessageBox::failure(window, window->windowTitle(), error);
        return {};
    }
}

}  // namespace vantrel
