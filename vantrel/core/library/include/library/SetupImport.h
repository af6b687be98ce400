#pragma once
// Import of setups from files: raw data files and, through a reader the
// caller supplies, setup sheets. Folders are searched recursively.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "library/SetupLibrary.h"

namespace vantrel::library {

// Reads the setup a file holds. One reader per kind of file.
class SetupFileReader {
public:
    virtual ~SetupFileReader() = default;
    // Whether a file of this name found in a folder is one for this reader
    // (by its extension). A file named directly goes to the readers that
    // claim it first, then to the others.
    virtual bool claims(const std::filesystem::path& file) const = 0;
    // The setup in the file, or nothing when the file is not one of this
    // reader's kind. A file of its kind that cannot be read throws
    // platform::Error with a description naming the file. created may be
    // left empty (the file's modification time is taken).
    virtual std::optional<SetupEntry> read(const std::filesystem::path& file) const = 0;
    // The same from the file's bytes, which the caller read from the one
    // descriptor it opened (a file from the team folder, which may be swapped
    // for another between two opens). The readers of the program read the
    // bytes alone; a reader that knows files only by name opens it again.
    virtual std::optional<SetupEntry> readBytes(const std::filesystem::path& file, std::string bytes) const {
        (void)bytes;
        return read(file);
    }
};

struct ImportProblem {
    std::string file;
    std::string reason;
};

struct ImportReport {
    std::vector<std::string> added;
    std::vector<std::string> alreadyThere;
    std::vector<std::string> updated;       // sheets already recorded, read again with edits
    std::vector<ImportProblem> notSetups;   // no reader took the file
    std::vector<ImportProblem> unreadable;  // a reader took it but could not read it, or it is missing
    bool cancelled = false;
    // Set when the library could not be written; the import stopped there.
    std::string libraryError;
};

struct ImportProgress {
    std::size_t done = 0;   // files handled so far
    std::size_t total = 0;  // files found
    std::string file;       // the file just handled (empty at the start)
};

// Answers false to cancel; called once with done == 0 and after each file.
using ImportProgressFn = std::function<bool(const ImportProgress&)>;

// Whose a setup read is: the team mate's name for a setup of another
// driver's, the empty text for the racer's own.
using TeamMateFn = std::function<std::string(const Setup&)>;

// Each file in its own transaction, so an import cut short keeps every setup
// it completed. Files are handled in path order, each once. A setup that
// teamMateOf names a team mate for (a sheet or a CSV row of another driver's)
// comes in as theirs; without teamMateOf every setup is the racer's own.
ImportReport importSetups(SetupLibrary& library, const std::vector<std::string>& paths,
                          const std::vector<const SetupFileReader*>& readers, const ImportProgressFn& progress = {},
                          const TeamMateFn& teamMateOf = {});

}  // namespace vantrel::library
