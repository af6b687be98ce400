#include "BatchRunner.h"
#include "BatchRuns.h"
#include "BatchTrack.h"
#include "FileNames.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <thread>

#include "CSetupBase.h"
#include "CSetupManager.h"
#include "ImportReaders.h"
#include "SetupFile.h"
#include "SuggestMapping.h"
#include "TeamSync.h"
#include "VersionText.h"
#include "InstallationCheck.h"
#include "SetupReaders.h"
#include "SheetRuns.h"
#include "library/SetupCsv.h"
#include "library/SetupImport.h"
#include "library/SetupLibrary.h"
#include "pdfauto/Document.h"
#include "runs/RunLog.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace vantrel {

std::string BatchRunner::usage() {
    return "Usage: vantrel-batch [--setup NAME] [--target DIR] [--open] RAWDATAFILE...\n"
           "       vantrel-batch --fields PDF\n"
           "       vantrel-batch --suggest-mapping PDF\n"
           "       vantrel-batch --extract SHEET.pdf OUTFILE.dat\n"
           "       vantrel-batch --export-csv FILE\n"
           "       vantrel-batch [--setup NAME] --import PATH...\n"
           "       vantrel-batch --sync\n" +
           trackUsage() + runsUsage() +
           "Builds one setup sheet from each raw data file and prints the sheet's path;\n"
           "with --fields, lists the form fields of a PDF (name, kind, page, on states).\n"
           "  --setup NAME       setup type (default RDX); with --import, that of raw data files\n"
           "  --target DIR       folder that receives the sheets (default: the current folder)\n"
           "  --open             show each sheet in the PDF viewer\n"
           "  --fields PDF       list the PDF's form fields, tab-separated, one a line\n"
           "  --suggest-mapping PDF\n"
           "                     print the mapping file New Setup Type would pre-choose\n"
           "  --extract SHEET OUTFILE\n"
           "                     write the setup of a sheet (attached, or read from its\n"
           "                     fields) as a raw data file\n"
           "  --export-csv FILE  write every setup of the setup library to FILE as CSV\n"
           "  --import PATH...   add the setups of sheets and raw data files (folders too)\n"
           "                     to the setup library\n"
           "  --sync             take the team folder's new sheets into the setup library\n"
           "  --last TRACK OUT.dat [--driver NAME]\n"
           "                     write the setup of the latest event at TRACK as a raw data file\n"
           "  --history TRACK [--driver NAME]\n"
           "                     the setups at TRACK in event order and what changed, tab-separated\n"
           "  --log-run NAME RAWDATAFILE [--laps FILE] [--position P] [--air-temp T] [--track-temp T]\n"
           "          [--note TEXT]\n"
           "                     record the setup as run NAME of the meeting it names, with its laps\n"
           "  --driver-column NAME\n"
           "                     with --log-run and --edit-run: the lap file's column of that driver\n"
           "  --edit-run RUN RAWDATAFILE [--name NAME] [--laps FILE] [--leave-out LAPS] [--keep LAPS] ...\n"
           "                     put right run RUN (its name or order) of the meeting the file names\n"
           "  --name NAME        with --edit-run: the run's new name\n"
           "  --leave-out LAPS   with --edit-run: leave these laps out (\"3\", \"3,7\", \"2-4\")\n"
           "  --keep LAPS        with --edit-run: keep these laps again\n"
           "  --delete-run RUN RAWDATAFILE\n"
           "                     delete run RUN of the meeting, and withdraw it from the team folder\n"
           "  --runs TRACK       the runs at TRACK meeting by meeting, figures and changes, tab-separated\n"
           "  --paid-off TRACK   which change paid off at TRACK (--all: every track), tab-separated\n"
           "  --driver NAME      with --last, --history, --runs and --paid-off: only that driver's\n"
           "  --origin both|own|team|all\n"
           "                     with --paid-off: own and team rows apart (both), one of them, or pooled\n"
           "  --version          show the version, and those of qpdf and SQLite it runs with\n"
           "  --help             show this text\n";
}

bool BatchRunner::parse(const std::vector<std::string>& args, Options& options, std::string& error) {
    // A command switch names what the files are for; --fields=PDF and the
    // like give the first of them in the switch.
    struct CommandSwitch {
        std::string_view name;
        Command command;
        std::size_t minFiles, maxFiles;
        const char* files;
    };
    static constexpr CommandSwitch kCommands[] = {
        {"--fields", Command::Fields, 1, 1, "one PDF"},
        {"--suggest-mapping", Command::SuggestMapping, 1, 1, "one PDF"},
        {"--extract", Command::Extract, 2, 2, "a sheet and an output file"},
        {"--export-csv", Command::ExportCsv, 1, 1, "one file"},
        {"--import", Command::Import, 1, SIZE_MAX, "at least one file or folder"},
        {"--sync", Command::Sync, 0, 0, "no files"},
    };
    const CommandSwitch* chosen = nullptr;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--open") {
            options.open = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--version") {
            options.version = true;
            continue;
        }
        std::string name = arg, value;
        bool hasValue = false;
        if (auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                          [&](const CommandSwitch& c) { return c.name == name; });
        if (command != std::end(kCommands)) {
            if (chosen && chosen != command) {
                error = std::string(chosen->name) + " and " + name + " cannot be given together";
                return false;
            }
            chosen = command;
            options.command = command->command;
            if (hasValue) options.operands.push_back(value);
            continue;
        }
        // --setup NAME, --setup=NAME, and the same for --target.
        if (name != "--setup" && name != "--target") {
            error = "unknown option " + arg;
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (value.empty()) {
            error = name + " needs a value";
            return false;
        }
        (name == "--setup" ? options.setupName : options.targetFolder) = value;
    }
    if (options.help || options.version) return true;
    if (chosen) {
        const std::size_t n = options.operands.size();
        if (n < chosen->minFiles || n > chosen->maxFiles) {
            error = std::string(chosen->name) + " takes " + chosen->files;
            return false;
        }
    } else if (options.operands.empty()) {
        error = "no raw data file given";
        return false;
    }
    return true;
}

int BatchRunner::run(const std::vector<std::string>& args) {
    for (const auto& command :
         {batchLast, batchHistory, batchLogRun, batchEditRun, batchDeleteRun, batchRuns, batchPaidOff})
        if (const auto status = command(args, m_installation, m_out, m_err)) return *status;
    Options options;
    std::string error;
    if (!parse(args, options, error)) {
        m_err << "vantrel-batch: " << error << "\n" << usage();
        return ExitUsage;
    }
    if (options.help) {
        m_out << usage();
        return ExitSuccess;
    }
    if (options.version) {
        m_out << versionText("vantrel-batch", {});
        return ExitSuccess;
    }
    // Before anything is read or written: where the settings say nothing, a
    // command would take the program folder itself for the data folder (a new
    // library at its root, an export of nothing). A build says why as every
    // run does, from its run driver, which checks the same first; --fields
    // and --suggest-mapping read only the PDF they are given.
    bool installed = true;
    if (options.command == Command::Import || options.command == Command::Sync || options.command == Command::Extract ||
        options.command == Command::ExportCsv) {
        const int refused = command([&] {
            if (options.command == Command::Import) checkSetupName(options.setupName);
            checkSettings(m_installation);
            return ExitSuccess;
        });
        if (refused != ExitSuccess) return refused;
    } else if (options.command == Command::Build) {
        try {
            checkInstallation(m_installation, options.setupName);
        } catch (const std::exception&) {
            installed = false;
        }
    }
    switch (options.command) {
    case Command::Build: break;
    case Command::Fields: return listFields(options.operands.front());
    case Command::SuggestMapping:
        return command([&] { return printSuggestedMapping(options.operands[0], m_out); }, options.operands[0]);
    case Command::Extract: return extract(options.operands[0], options.operands[1]);
    case Command::ExportCsv: return exportCsv(options.operands.front());
    case Command::Import: return importSetups(options);
    case Command::Sync: return syncCommand(m_installation, m_out, m_err);
    }
    if (options.targetFolder.empty()) {
        std::error_code ec;
        options.targetFolder = std::filesystem::current_path(ec).string();
    }

    // One library for the whole run; one that cannot be opened here is
    // opened by each build again, which then says why it keeps nothing.
    std::shared_ptr<library::SetupLibrary> setups;
    try {
        if (installed) setups = std::make_shared<library::SetupLibrary>(m_installation.libraryFile());
    } catch (const std::exception&) {
    }
    bool allBuilt = true;
    std::string lastSheet;
    for (std::size_t i = 0; i < options.operands.size(); ++i) {
        if (i > 0) waitForAnotherStamp(lastSheet);
        allBuilt = buildOne(options, options.operands[i], setups, lastSheet) && allBuilt;
    }
    return allBuilt ? ExitSuccess : ExitSomeFailed;
}

void BatchRunner::waitForAnotherStamp(const std::string& lastSheet) {
    // Sheet names end in the time of day to the hundredth of a second: a build
    // within the hundredth of the last sheet's name would give it the same
    // name, and its copy would replace that sheet. So the next build waits
    // until the clock has left that stamp (mostly at once, as a build takes
    // longer), and a hundredth and a bit when the last name is not known.
    const std::optional<SheetName> name = parseSheetName(platform::paths::toNative(lastSheet));
    const std::string stamp = name ? name->time : std::string();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(11);
    while (std::chrono::steady_clock::now() < until) {
        if (!stamp.empty() && CSetupBase::TimeStampString(false, 2) != stamp) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool BatchRunner::buildOne(const Options& options, const std::string& rawDataFile,
                           const std::shared_ptr<library::SetupLibrary>& setups, std::string& sheet) {
    sheet.clear();
    try {
        CSetupManager manager;
        manager.setLibrary(setups);
        manager.setOpenInViewer(options.open);
        manager.setRawDataFile(rawDataFile);
        manager.setSetupName(options.setupName);
        manager.setTargetPDFDirectory(options.targetFolder);
        manager.BuildSetupSheet();
        sheet = manager.TargetPDFFile();
        // The driver's name, which the sheet's name carries, came from a file.
        m_out << platform::text::printable(platform::paths::toNative(manager.TargetPDFFile())) << std::endl;
        for (const std::string& warning : manager.Warnings())
            m_err << "Warning: " << platform::text::printable(warning) << std::endl;
        return true;
    } catch (const platform::Error& e) {
        m_err << platform::runErrorLine(e) << std::endl;
    } catch (const std::exception& e) {
        m_err << platform::errorLine(e) << std::endl;
    }
    return false;
}

int BatchRunner::extract(const std::string& sheet, const std::string& outFile) {
    return command(
        [&] {
            // Read whole before the output is touched: a failure leaves it as it was.
            const SetupRead read = readSetup(sheet, setupTypeFolders(m_installation));
            writeSetupFile(outFile, read.values);
            if (!read.fromEdits.empty())
                m_out << platform::text::printable(sheet) << ": " << editsNote(read) << std::endl;
            // The meeting's runs the sheet carries go back into the library,
            // a team mate's as theirs.
            std::size_t runs = 0;
            std::string racer;
            try {
                library::SetupLibrary setups(m_installation.libraryFile());
                racer = installationDriver(m_installation, setups);
            } catch (const platform::Error&) {
                // The library cannot be opened: taking the runs says so below.
            }
            if (const std::string warning = takeSheetRuns(m_installation.libraryFile(), sheet, runs, racer);
                !warning.empty())
                m_err << "Warning: " << platform::text::printable(warning) << std::endl;
            if (runs > 0) m_out << "Runs added: " << runs << std::endl;
            return ExitSuccess;
        },
        sheet);
}

int BatchRunner::listFields(const std::string& pdf) {
    return command(
        [&] {
            std::string listing;
            for (const auto& field : pdfauto::Document(pdf).fields()) {
                // A line break, tab or escape code inside a name would break the lines or the terminal.
                listing +=
                    platform::text::printable(field.name) + '\t' + field.kind + '\t' + std::to_string(field.page);
                if (field.kind == "checkbox" || field.kind == "radiobutton") {
                    listing += '\t';
                    for (std::size_t k = 0; k < field.onStates.size(); ++k)
                        listing += (k ? "|" : "") + platform::text::printable(field.onStates[k]);
                }
                listing += '\n';
            }
            m_out << listing << std::flush;
            return ExitSuccess;
        },
        pdf);
}

int BatchRunner::exportCsv(const std::string& file) {
    return command(
        [&] {
            library::SetupLibrary setups(m_installation.libraryFile(), {.readOnly = true});
            // The meetings' runs, when there are any, in a file of their own beside it.
            runs::exportLibraryCsv(setups, platform::paths::toNative(file));
            return ExitSuccess;
        },
        file);
}

int BatchRunner::importSetups(const Options& options) {
    return command([&] {
        library::SetupLibrary setups(m_installation.libraryFile());
        const auto readers = importReaders(setupTypeFolders(m_installation), options.setupName);
        std::vector<const library::SetupFileReader*> use;
        for (const auto& reader : readers) use.push_back(reader.get());
        std::vector<std::string> paths;
        for (const std::string& path : options.operands) paths.push_back(platform::paths::toNative(path));
        // A sheet or a row of another driver's comes in as theirs, its runs too.
        const std::string racer = installationDriver(m_installation, setups);
        const library::ImportReport report = library::importSetups(setups, paths, use, {}, [&](const Setup& values) {
            return teamMateOf(values[std::size_t(SetupField::DriverName)], {}, racer);
        });

        m_out << "Added: " << report.added.size() << "\n"
              << "Already there: " << report.alreadyThere.size() << "\n";
        if (!report.updated.empty()) m_out << "Updated: " << report.updated.size() << "\n";
        // The runs the sheets carry come with them.
        std::size_t runs = 0;
        for (const auto* files : {&report.added, &report.alreadyThere, &report.updated})
            for (const std::string& file : *files) {
                std::size_t added = 0;
                if (const std::string warning = takeSheetRuns(setups.path(), file, added, racer); !warning.empty())
                    m_err << "Warning: " << platform::text::printable(warning) << std::endl;
                runs += added;
            }
        if (runs > 0) m_out << "Runs added: " << runs << "\n";
        m_out << std::flush;
        for (const auto& problem : report.notSetups)
            m_err << "Not a setup: " << platform::text::printable(problem.file) << std::endl;
        for (const auto& problem : report.unreadable)
            m_err << platform::text::printable(platform::fileFailure("Cannot read", problem.file, problem.reason))
                  << std::endl;
        if (!report.libraryError.empty()) m_err << platform::errorLine(report.libraryError) << std::endl;
        const bool allTaken = report.notSetups.empty() && report.unreadable.empty() && report.libraryError.empty();
        return allTaken ? ExitSuccess : ExitSomeFailed;
    });
}

int BatchRunner::command(const std::function<int()>& body, const std::string& file) {
    try {
        return body();
    } catch (const platform::Error& e) {
        m_err << platform::errorLine(e) << std::endl;
    } catch (const std::exception& e) {
        m_err << platform::errorLine(e) << (file.empty() ? "" : " (" + platform::text::printable(file) + ")")
              << std::endl;
    }
    return ExitSomeFailed;
}

}  // namespace vantrel
