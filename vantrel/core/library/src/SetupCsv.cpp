#include "library/SetupCsv.h"

#include <cerrno>

#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace vantrel::library {

std::string csvField(std::string_view value) {
    const std::string text = platform::text::decode8Bit(value);
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

void exportCsv(SetupLibrary& library, const std::string& nativePath) {
    const std::string error = platform::files::replaceAtomically(nativePath, [&](int fd) -> std::string {
        std::string chunk = csvField("Created") + "," + csvField("SetupType") + "," + csvField("Sheet");
        for (const std::string_view key : SetupFieldKeys) chunk += "," + csvField(key);
        chunk += "\r\n";
        // The errno of the first failed write, taken at once: the reads of the
        // library between two writes may set errno again.
        int writeError = 0;
        auto write = [&] {
            if (!writeError && !platform::files::writeAll(fd, chunk)) writeError = errno ? errno : EIO;
            chunk.clear();
        };
        // Rows go out in chunks, so a library of any size needs little memory.
        library.forEachSetup([&](const StoredSetup& s) {
            chunk += csvField(s.created) + "," + csvField(s.setupType) + "," + csvField(s.sheet);
            for (const std::string& v : s.values) chunk += "," + csvField(v);
            chunk += "\r\n";
            if (chunk.size() >= (1 << 16)) write();
        });
        write();
        return writeError ? platform::files::systemMessage(writeError) : std::string();
    });
    if (!error.empty())
        platform::raiseAboutFile(platform::ErrPathAccess, "exportCsv", "Cannot write the CSV file", nativePath, error);
}

}  // namespace vantrel::library
