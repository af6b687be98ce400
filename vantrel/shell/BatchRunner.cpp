#include "BatchRunner.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <thread>

#include "CSetupManager.h"
#include "pdfauto/Document.h"
#include "platform/Error.h"
#include "platform/Paths.h"

namespace vantrel {

std::string BatchRunner::usage() {
    return "Usage: vantrel-batch [--setup NAME] [--target DIR] [--open] RAWDATAFILE...\n"
           "       vantrel-batch --fields PDF\n"
           "Builds one setup sheet from each raw data file and prints the sheet's path;\n"
           "with --fields, lists the form fields of a PDF (name, kind, page, on states).\n"
           "  --setup NAME   setup type (default RDX)\n"
           "  --target DIR   folder that receives the sheets (default: the current folder)\n"
           "  --open         show each sheet in the PDF viewer\n"
           "  --fields PDF   list the PDF's form fields, tab-separated, one a line\n"
           "  --help         show this text\n";
}

bool BatchRunner::parse(const std::vector<std::string>& args, Options& options, std::string& error) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.rawDataFiles.push_back(arg);
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
        // --setup NAME, --setup=NAME, and the same for --target.
        std::string name = arg, value;
        bool hasValue = false;
        if (auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        if (name != "--setup" && name != "--target" && name != "--fields") {
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
        (name == "--setup" ? options.setupName : name == "--target" ? options.targetFolder : options.fieldsOf) = value;
    }
    if (!options.fieldsOf.empty() && !options.rawDataFiles.empty()) {
        error = "--fields takes one PDF and no raw data file";
        return false;
    }
    if (!options.help && options.fieldsOf.empty() && options.rawDataFiles.empty()) {
        error = "no raw data file given";
        return false;
    }
    return true;
}

int BatchRunner::run(const std::vector<std::string>& args) {
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
    if (!options.fieldsOf.empty()) return listFields(options.fieldsOf);
    if (options.targetFolder.empty()) {
        std::error_code ec;
        options.targetFolder = std::filesystem::current_path(ec).string();
    }

    bool allBuilt = true;
    for (std::size_t i = 0; i < options.rawDataFiles.size(); ++i) {
        // Sheet names carry the time to the hundredth of a second; two builds
        // inside one hundredth would give one name, and the second copy would
        // replace the first sheet.
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(11));
        allBuilt = buildOne(options, options.rawDataFiles[i]) && allBuilt;
    }
    return allBuilt ? ExitSuccess : ExitSomeFailed;
}

bool BatchRunner::buildOne(const Options& options, const std::string& rawDataFile) {
    try {
        CSetupManager manager;
        manager.setOpenInViewer(options.open);
        manager.setRawDataFile(rawDataFile);
        manager.setSetupName(options.setupName);
        manager.setTargetPDFDirectory(options.targetFolder);
        manager.BuildSetupSheet();
        m_out << platform::paths::toNative(manager.TargetPDFFile()) << std::endl;
        return true;
    } catch (const platform::Error& e) {
        m_err << "Error: " << e.source() << std::endl;
    } catch (const std::exception& e) {
        m_err << "Error: " << e.what() << std::endl;
    }
    return false;
}

int BatchRunner::listFields(const std::string& pdf) {
    std::string listing;
    try {
        for (const auto& field : pdfauto::Document(pdf).fields()) {
            // A line break or tab inside a name would break the line into columns.
            std::string name = field.name;
            std::replace_if(
                name.begin(), name.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
            listing += name + '\t' + field.kind + '\t' + std::to_string(field.page);
            if (field.kind == "checkbox" || field.kind == "radiobutton") {
                listing += '\t';
                for (std::size_t k = 0; k < field.onStates.size(); ++k) listing += (k ? "|" : "") + field.onStates[k];
            }
            listing += '\n';
        }
    } catch (const platform::Error& e) {
        m_err << "Error: " << e.description() << std::endl;
        return ExitSomeFailed;
    } catch (const std::exception& e) {
        m_err << "Error: " << e.what() << " (" << pdf << ")" << std::endl;
        return ExitSomeFailed;
    }
    m_out << listing << std::flush;
    return ExitSuccess;
}

}  // namespace vantrel
