#include "library/SetupImport.h"

#include <algorithm>
#include <cerrno>
#include <map>

#include "library/SetupCsv.h"
#include "platform/Error.h"
#include "platform/FileFacts.h"
#include "platform/Files.h"
#include "platform/PathText.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace vantrel::library {

namespace fs = std::filesystem;

namespace {

// A library's CSV export: some sixty thousand setups.
constexpr std::uint64_t kMaxCsvBytes = 64 * 1024 * 1024;

// "699,050".
std::string countText(std::size_t n) {
    const std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

bool hasExtension(const fs::path& file, std::initializer_list<std::string_view> extensions) {
    const std::string ext = platform::text::toLower(platform::paths::textOf(file.extension()));
    return std::find(extensions.begin(), extensions.end(), ext) != extensions.end();
}

// The library's own CSV export, read here rather than by a reader: one file
// holds many setups.
bool isCsv(const fs::path& file) { return hasExtension(file, {".csv"}); }

struct Candidate {
    fs::path file;
    bool named = false;  // named directly rather than found in a folder
};

// Every file to look at, once each, in path order; what is not there goes to
// the report straight away.
std::vector<Candidate> collect(const std::vector<std::string>& paths,
                               const std::vector<const SetupFileReader*>& readers, ImportReport& report) {
    std::map<fs::path, bool> files;
    auto add = [&](const fs::path& file, bool named) {
        std::error_code ec;
        fs::path key = fs::weakly_canonical(file, ec);
        if (ec) key = file;
        files[key] = files[key] || named;
    };
    for (const std::string& path : paths) {
        std::error_code ec;
        const fs::path named = platform::paths::pathOf(path);
        const fs::file_status status = fs::status(named, ec);
        if (fs::is_directory(status)) {
            fs::recursive_directory_iterator it(named, fs::directory_options::skip_permission_denied, ec), end;
            for (; !ec && it != end; it.increment(ec)) {
                if (!it->is_regular_file(ec)) continue;
                const fs::path& file = it->path();
                if (isCsv(file) ||
                    std::any_of(readers.begin(), readers.end(), [&](auto* r) { return r->claims(file); }))
                    add(file, false);
            }
            if (ec) report.unreadable.push_back({path, "the folder cannot be read completely (" + ec.message() + ")"});
        } else if (fs::is_regular_file(status)) {
            add(named, true);
        } else if (fs::exists(status)) {
            // Said as every reader of a named file says it: a named pipe, a device, a socket.
            report.unreadable.push_back({path, platform::files::refusalReason(path)});
        } else {
            report.unreadable.push_back({path, "there is no such file or folder"});
        }
    }
    std::vector<Candidate> out;
    for (const auto& [file, named] : files) out.push_back({file, named});
    return out;
}

// Whether file is the library at libraryPath or one of SQLite's files beside it.
bool isLibraryFile(const std::string& libraryPath, const std::string& file) {
    const platform::files::FileFacts candidate = platform::files::factsOf(file);
    if (candidate.kind == platform::files::FileKind::Missing) return false;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const platform::files::FileFacts own = platform::files::factsOf(libraryPath + suffix);
        if (own.kind != platform::files::FileKind::Missing && own.identity == candidate.identity) return true;
    }
    return false;
}

// Records one setup; false when the library cannot be written (the report
// says so and the import stops).
bool record(SetupLibrary& library, SetupEntry& entry, const std::string& file, const std::string& name,
            ImportReport& report, const TeamMateFn& teamMateOf) {
    if (entry.created.empty()) {
        const platform::files::FileFacts facts = platform::files::factsOf(file);
        // Whole seconds, rounded down as the system gives them.
        const std::int64_t seconds =
            facts.mtimeNs >= 0 ? facts.mtimeNs / 1000000000 : -((-facts.mtimeNs + 999999999) / 1000000000);
        entry.created = localTimestamp(facts.kind != platform::files::FileKind::Missing ? std::time_t(seconds)
                                                                                        : std::time(nullptr));
    }
    try {
        switch (library.recordImported(entry, teamMateOf ? teamMateOf(entry.values) : std::string()).outcome) {
        case SetupLibrary::Outcome::Added: report.added.push_back(name); break;
        case SetupLibrary::Outcome::AlreadyThere: report.alreadyThere.push_back(name); break;
        case SetupLibrary::Outcome::Updated: report.updated.push_back(name); break;
        }
    } catch (const platform::Error& e) {
        if (e.number() != platform::ErrPathAccess) {
            report.unreadable.push_back({name, e.reason()});
        } else {
            report.libraryError = platform::errorText(e);
            return false;
        }
    }
    return true;
}

// Every row of a CSV in the export's form, each in its own transaction and
// reported as "file (row N)". A CSV found in a folder that is no such file
// is passed over; one named directly is reported.
bool importCsv(SetupLibrary& library, const Candidate& c, ImportReport& report, const TeamMateFn& teamMateOf) {
    const std::string name = platform::paths::textOf(c.file);
    std::string bytes;
    const platform::files::UserFile file = platform::files::readUserFile(name, bytes, kMaxCsvBytes);
    if (file.status != platform::files::OpenStatus::Opened) {
        report.unreadable.push_back(
            {name, file.status == platform::files::OpenStatus::Missing ? "there is no such file" : file.reason});
        return true;
    }
    std::string whyNot;
    bool written = true;
    const auto read = readCsv(
        bytes,
        [&](CsvSetup& setup) {
            written = record(library, setup.entry, name, name + " (row " + std::to_string(setup.row) + ")", report,
                             teamMateOf);
            return written;
        },
        whyNot);
    if (!read) {
        if (c.named) report.notSetups.push_back({name, whyNot});
        return true;
    }
    // One line for all of them: a file of a million such rows is no million problems.
    if (read->withoutSetup == 1)
        report.unreadable.push_back(
            {name, "row " + std::to_string(read->firstWithoutSetup) + " holds no setup (it names no SetupType)"});
    else if (read->withoutSetup > 1)
        report.unreadable.push_back({name, countText(read->withoutSetup) +
                                               " rows hold no setup (they name no SetupType; the first is row " +
                                               std::to_string(read->firstWithoutSetup) + ")"});
    return written;
}

}  // namespace

ImportReport importSetups(SetupLibrary& library, const std::vector<std::string>& paths,
                          const std::vector<const SetupFileReader*>& readers, const ImportProgressFn& progress,
                          const TeamMateFn& teamMateOf) {
    ImportReport report;
    std::vector<Candidate> candidates = collect(paths, readers, report);
    // The library's own files are never opened beside SQLite (a folder that
    // holds the data folder, say): closing that descriptor would drop SQLite's locks.
    std::erase_if(candidates,
                  [&](const Candidate& c) { return isLibraryFile(library.path(), platform::paths::textOf(c.file)); });
    ImportProgress state{0, candidates.size(), {}};
    if (progress && !progress(state)) {
        report.cancelled = true;
        return report;
    }
    for (const Candidate& c : candidates) {
        const std::string name = platform::paths::textOf(c.file);
        if (isCsv(c.file)) {
            if (!importCsv(library, c, report, teamMateOf)) return report;
        } else {
            std::optional<SetupEntry> entry;
            std::string readError;
            // The readers that claim the file first; a file named directly then goes to the others too.
            std::vector<const SetupFileReader*> order;
            for (const SetupFileReader* reader : readers)
                if (reader->claims(c.file)) order.push_back(reader);
            if (c.named)
                for (const SetupFileReader* reader : readers)
                    if (!reader->claims(c.file)) order.push_back(reader);
            for (const SetupFileReader* reader : order) {
                try {
                    entry = reader->read(c.file);
                } catch (const platform::Error& e) {
                    // The report names the file beside the reason.
                    readError = e.reason();
                } catch (const std::exception& e) {
                    readError = platform::errorText(e);
                }
                if (entry || !readError.empty()) break;
            }
            if (entry) {
                if (!record(library, *entry, name, name, report, teamMateOf)) return report;
            } else if (!readError.empty()) {
                report.unreadable.push_back({name, readError});
            } else {
                report.notSetups.push_back({name, "it is neither a setup sheet nor a raw data file"});
            }
        }
        ++state.done;
        state.file = name;
        if (progress && !progress(state)) {
            report.cancelled = true;
            break;
        }
    }
    return report;
}

}  // namespace vantrel::library
