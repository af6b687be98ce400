// vantrel-batch [--setup NAME] [--target DIR] [--open] RAWDATAFILE...: one
// sheet a raw data file, as the window builds it from an external data file.
#include <filesystem>
#include <memory>
#include <ostream>

#include "BatchCommand.h"
#include "BatchRunner.h"
#include "CSetupManager.h"
#include "InstallationCheck.h"
#include "library/SetupLibrary.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/PathText.h"
#include "platform/Text.h"

namespace vantrel::batch {

namespace {

// Builds one sheet; sheet is its path once built, else empty.
bool buildOne(const Arguments& args, const std::string& rawDataFile,
              const std::shared_ptr<library::SetupLibrary>& setups, const std::string& targetFolder, Context& context,
              std::string& sheet) {
    sheet.clear();
    try {
        CSetupManager manager;
        manager.setLibrary(setups);
        manager.setOpenInViewer(args.has("--open"));
        manager.setRawDataFile(rawDataFile);
        manager.setSetupName(args.value("--setup", "RDX"));
        manager.setTargetPDFDirectory(targetFolder);
        manager.BuildSetupSheet();
        sheet = manager.TargetPDFFile();
        // The driver's name, which the sheet's name carries, came from a file.
        context.out << platform::text::printable(platform::paths::toNative(manager.TargetPDFFile())) << std::endl;
        for (const std::string& warning : manager.Warnings())
            context.err << "Warning: " << platform::text::printable(warning) << std::endl;
        return true;
    } catch (const platform::Error& e) {
        context.err << platform::runErrorLine(e) << std::endl;
    } catch (const std::exception& e) {
        context.err << platform::errorLine(e) << std::endl;
    }
    return false;
}

int build(const Arguments& args, Context& context) {
    // A build says why it cannot run as every run does, from its run driver,
    // which checks the installation first.
    bool installed = true;
    try {
        checkInstallation(context.installation, args.value("--setup", "RDX"));
    } catch (const std::exception&) {
        installed = false;
    }
    std::string targetFolder = args.value("--target");
    if (targetFolder.empty()) {
        std::error_code ec;
        targetFolder = platform::paths::textOf(std::filesystem::current_path(ec));
    }
    // One library for the whole run; one that cannot be opened here is
    // opened by each build again, which then says why it keeps nothing.
    std::shared_ptr<library::SetupLibrary> setups;
    try {
        if (installed) setups = std::make_shared<library::SetupLibrary>(context.installation.libraryFile());
    } catch (const std::exception&) {
    }
    bool allBuilt = true;
    std::string lastSheet;
    for (std::size_t i = 0; i < args.operands.size(); ++i) {
        if (i > 0) BatchRunner::waitForAnotherStamp(lastSheet);
        allBuilt = buildOne(args, args.operands[i], setups, targetFolder, context, lastSheet) && allBuilt;
    }
    return allBuilt ? ExitSuccess : ExitSomeFailed;
}

}  // namespace

const Command& buildCommand() {
    static const Command command{
        .name = {},
        .usage = {"[--setup NAME] [--target DIR] [--open] RAWDATAFILE..."},
        .help = {{"--setup NAME", "setup type (default RDX); with --import, that of raw data files"},
                 {"--target DIR", "folder that receives the sheets (default: the current folder)"},
                 {"--open", "show each sheet in the PDF viewer"}},
        .manual = R"roff(
.TP
.BI \-\-setup " NAME"
The setup type (default RDX); with
.BR \-\-import ,
the setup type of the raw data files among its paths.
.TP
.BI \-\-target " DIR"
The folder that receives the sheets (default: the current folder).
.TP
.B \-\-open
Show each sheet in the desktop's PDF viewer.
)roff",
        .options = {{"--setup", "NAME", false}, {"--target", "DIR", false}, {"--open", {}}},
        .minOperands = 1,
        .maxOperands = SIZE_MAX,
        .operandsError = "no raw data file given",
        .usageProblem = {},
        .run = build,
    };
    return command;
}

}  // namespace vantrel::batch
