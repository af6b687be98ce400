#include "modStartProgram.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <memory>
#include <optional>

#include "CRawDataBuilder.h"
#include "CSetupManager.h"
#include "Installation.h"
#include "MessageBox.h"
#include "MainForm.h"
#include "pdfauto/Viewer.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/PathText.h"
#include "platform/Process.h"
#include "platform/RunLock.h"

namespace vantrel {

namespace {

// The run keeps the window's thread busy; the cursor says so.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Why the finished sheet reached no viewer: the run shows it through the
// desktop, which needs a display, and which may find no application for a PDF.
QString noViewerReason() {
    return "no viewer could show it (" + QString::fromStdString(pdfauto::unshownReason()) + ")";
}

}  // namespace

// Before a run, what the racer can put right at once: a data file that is
// a folder, a target folder not there yet (made when they say so). False
// when the run should not start.
bool readyToRun(MainForm* form, const SheetRequest& request) {
    QWidget* window = form->formWidget();
    if (request.externalData && !request.rawDataFile.isEmpty()) {
        const QString data = QString::fromStdString(platform::paths::toNative(request.rawDataFile.toStdString()));
        if (QFileInfo(data).isDir()) {
            MessageBox::critical(
                window, "Vantrel",
                "The data file " + data + " is a folder. Choose a raw data file (.dat) in it with the \"...\" button.");
            return false;
        }
    }
    if (request.targetFolder.trimmed().isEmpty()) return true;
    const QString folder = QString::fromStdString(platform::paths::toNative(request.targetFolder.toStdString()));
    const QFileInfo info(folder);
    if (info.exists() || info.isSymLink()) return true;  // anything else there: the run says what
    if (MessageBox::question(window, "Vantrel", "The folder " + folder + " does not exist. Create it for the sheet?",
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return false;
    std::error_code error;
    std::filesystem::create_directories(platform::paths::pathOf(folder.toStdString()), error);
    if (!error) return true;
    MessageBox::critical(window, "Vantrel",
                         QString::fromStdString(
                             platform::fileFailure("Cannot create the folder", folder.toStdString(), error.message())));
    return false;
}

void RunSetupSheet(MainForm& mainForm) {
    MainForm* form = &mainForm;
    const SheetRequest request = form->sheetRequest();
    if (!readyToRun(form, request)) return;
    // Never raises: every error ends in the one message box below.
    std::string failure;
    {
        BusyCursor busy;
        try {
            auto manager = std::make_unique<CSetupManager>();
            std::unique_ptr<CRawDataBuilder> builder;
            // The capture writes the raw data file that the build reads: one
            // lock over both, so no other run comes in between.
            std::optional<platform::process::RunLock> runLock;
            if (request.externalData) {
                manager->setRawDataFile(request.rawDataFile.toStdString());
            } else {
                try {
                    runLock.emplace(Installation::read(platform::process::programFolder()).runLockFile());
                } catch (const platform::Error& error) {
                    platform::raise(error.number(), "modStartProgram::RunSetupSheet-" + error.description());
                }
                builder = std::make_unique<CRawDataBuilder>(mainForm);
                builder->CreateRawData();
                manager->setRawDataFile(builder->RawDataFilename());
            }
            manager->setSetupName(request.setupName.toStdString());
            manager->setTargetPDFDirectory(request.targetFolder.toStdString());
            manager->BuildSetupSheet();

            const QString sheet = QString::fromStdString(platform::paths::toNative(manager->TargetPDFFile()));
            form->showNewSheet(sheet);
            QString warnings;
            if (!manager->SheetShown()) warnings += ". Warning: " + noViewerReason();
            for (const std::string& warning : manager->Warnings())
                warnings += ". Warning: " + QString::fromStdString(warning);
            form->showSheetCreated(sheet, warnings);
            return;
        } catch (const platform::Error& error) {
            failure = platform::runErrorLine(error);
        } catch (...) {
            // Anything but the system's own error object comes from the program itself.
            failure = platform::runErrorLine(platform::Error(1, "Vantrel"));
        }
    }
    MessageBox::critical(form->formWidget(), "Vantrel", QString::fromStdString(failure), QMessageBox::Ok);
    // The line tells what happened last, not the sheet of an earlier run.
    form->showStatusWarning("No sheet was made: the run failed (" + QString::fromStdString(failure) + ")");
}

}  // namespace vantrel
