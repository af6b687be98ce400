#include "CFileManager.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/FileFacts.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/PathText.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace {

const std::string kNoFile = "Error: No open file object";
const std::string kLineEnd = "\r\n";

std::string successStatus(const std::string& line) {
    return "Success: " + platform::text::leftChars(line, 20) + "....etc writen to file";
}

// Appends only to a regular file: the open never waits (a named pipe without
// a reader fails at once) and anything but a regular file is left alone, so a
// pipe, a device or a socket at the path can neither hang nor take the line.
// A replacing write goes to a temporary file beside the target and is renamed
// over it when whole: a full disk or a killed process leaves the old content,
// never a part of the new. `reason` gets the system's text of a failure.
enum class Put { Written, NoFile, Failed };
Put putLine(const std::string& fileName, const std::string& line, bool append, std::string& reason) {
    reason.clear();
    if (fileName.empty()) return Put::NoFile;
    const std::string native = platform::paths::toNative(fileName);
    const std::string text = line + kLineEnd;
    if (!append) {
        const platform::files::FileKind kind = platform::files::factsOf(native).kind;
        if (kind != platform::files::FileKind::Missing && kind != platform::files::FileKind::Regular) {
            reason = "it is not a regular file";
            return Put::Failed;
        }
        const auto failed = platform::files::replaceAtomically(
            native,
            [&](int fd) {
                return platform::files::writeAll(fd, text) ? std::string() : platform::files::systemMessage(errno);
            },
            platform::files::Durability::Unsynced);
        if (!failed) return Put::Written;
        reason = failed->reason();
        return Put::Failed;
    }
    reason = platform::files::appendToRegularFile(native, text);
    return reason.empty() ? Put::Written : Put::Failed;
}

// The status text the component's callers read of putLine.
std::string writeLine(const std::string& fileName, const std::string& line, bool append, std::string& reason) {
    switch (putLine(fileName, line, append, reason)) {
    case Put::Written: return successStatus(line);
    case Put::NoFile: return kNoFile;
    case Put::Failed: break;
    }
    return {};
}

// The entry of a folder whose name equals `name` ignoring letter case; an
// exact match wins, since a Linux folder may hold both spellings.
std::optional<fs::path> findEntry(const fs::path& folder, const std::string& name) {
    std::optional<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = CFileManager::StripTerminator(platform::paths::textOf(it->path().filename()));
        if (entry == name) return it->path();
        if (!found && platform::text::equalsIgnoreCase(entry, name)) found = it->path();
    }
    return found;
}

// sFile split at its last separator; a bare name stands in the root.
std::optional<fs::path> locateFile(const std::string& sFile) {
    const std::size_t cut = sFile.find_last_of("\\/");
    const std::string folderPart = cut == std::string::npos ? "\\" : sFile.substr(0, cut + 1);
    const std::string namePart = cut == std::string::npos ? sFile : sFile.substr(cut + 1);
    const fs::path folder = platform::paths::pathOf(platform::paths::toNative(folderPart));
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return std::nullopt;
    // A directory search lists "." and ".." as well.
    if (namePart == "." || namePart == "..") return folder / platform::paths::pathOf(namePart);
    return findEntry(folder, namePart);
}

std::string properCase(const std::string& s) {
    std::string out = platform::text::toLower(s);
    bool wordStart = true;
    for (char& c : out) {
        if (wordStart && c >= 'a' && c <= 'z') c = char(c - 32);
        wordStart = c == ' ';
    }
    return out;
}

}  // namespace

// Every operation here catches everything itself: callers only ever get a status.

std::string CFileManager::writeLineToFilePreDefined() {
    try {
        return writeLineToFile(m_FileName, m_NewText);
    } catch (...) {
        return {};
    }
}

#ifdef VANTREL_FILEMANAGER_WITH_DATA
std::string CFileManager::writeLineToFileWithData(const std::string& myTextLine) {
    try {
        return writeLineToFile(m_FileName, myTextLine);
    } catch (...) {
        return {};
    }
}

std::optional<platform::Error> CFileManager::writeDataLine(const std::string& line) {
    // Never raises, as the status texts do not: the failure is handed back.
    try {
        if (putLine(m_FileName, line, false, m_LastFailure) == Put::Written) return std::nullopt;
    } catch (...) {
        m_LastFailure.clear();
    }
    try {
        std::string reason = m_LastFailure.empty() ? "it could not be written" : m_LastFailure;
        // Without a file named, the reason alone.
        if (m_FileName.empty()) return platform::Error(platform::ErrPathAccess, "CFileManager", std::move(reason));
        return platform::Error::aboutFile(platform::ErrPathAccess, "CFileManager", "Cannot write",
                                          platform::paths::toNative(m_FileName), std::move(reason));
    } catch (...) {
        return platform::Error(platform::ErrPathAccess, "CFileManager");
    }
}
#endif

std::string CFileManager::writeLineToFile(const std::string& myFileName, const std::string& myTextLine) {
    try {
        return writeLine(myFileName, myTextLine, false, m_LastFailure);
    } catch (...) {
        return {};
    }
}

std::string CFileManager::appendLineToFile(const std::string& myFileName, const std::string& myTextLine) {
    try {
        return writeLine(myFileName, myTextLine, true, m_LastFailure);
    } catch (...) {
        return {};
    }
}

std::string CFileManager::appendLine(const std::string& myTextLine) { return appendLineToFile(m_FileName, myTextLine); }

std::string CFileManager::appendLines(const std::vector<std::string>& lines) {
    try {
        if (lines.empty()) return successStatus({});
        std::string text = lines.front();
        for (std::size_t i = 1; i < lines.size(); ++i) text += kLineEnd + lines[i];
        return writeLine(m_FileName, text, true, m_LastFailure);
    } catch (...) {
        return {};
    }
}

std::string CFileManager::copyFile(const std::string& strMySourceFilename, const std::string& strMyTargetFilename) {
    const std::string failed = "Failed to copy: " + strMySourceFilename + " to " + strMyTargetFilename;
    try {
        const std::string source = platform::paths::toNative(strMySourceFilename);
        const std::string target = platform::paths::toNative(strMyTargetFilename);
        // Only a regular file, read whole in one go.
        std::string bytes;
        m_LastFailure.clear();
        const platform::files::UserFile read =
            platform::files::readUserFile(source, bytes, platform::files::NoSizeLimit);
        if (read.status != platform::files::OpenStatus::Opened) {
            m_LastFailure = read.status == platform::files::OpenStatus::Missing ? "there is no such file" : read.reason;
            return failed;
        }
        // Written beside the target first and renamed over it, so a failure
        // never leaves half a file under the target's name.
        const auto error = platform::files::replaceAtomically(
            target,
            [&](int fd) {
                return platform::files::writeAll(fd, bytes) ? std::string() : platform::files::systemMessage(errno);
            },
            m_syncCopies ? platform::files::Durability::Synced : platform::files::Durability::Unsynced);
        if (error) {
            m_LastFailure = error->reason();
            return failed;
        }
        return {};
    } catch (...) {
        return failed;
    }
}

std::string CFileManager::StripTerminator(const std::string& strString) {
    return strString.substr(0, strString.find('\0'));
}

bool CFileManager::FileOrDirExists(const std::string& sFile, const std::string& sFolder) {
    try {
        if (sFile.empty() && sFolder.empty()) return false;
        if (sFile.empty()) {
            std::error_code ec;
            return fs::is_directory(platform::paths::pathOf(platform::paths::toNative(sFolder)), ec);
        }
        return locateFile(sFile).has_value();
    } catch (...) {
        return false;
    }
}

std::string CFileManager::deleteWinFile(const std::string& strMyDeleteFile) {
    try {
        const std::optional<fs::path> entry = locateFile(strMyDeleteFile);
        if (!entry) return {};
        std::error_code ec;
        // Removed for good; a folder is removed only when empty.
        if (!fs::remove(*entry, ec) || ec) return "Failed to delete: " + strMyDeleteFile;
        return {};
    } catch (...) {
        return "Failed to delete: " + strMyDeleteFile;
    }
}

std::string CFileManager::deleteAllFiles(std::string& sFolder) {
    try {
        if (sFolder.empty()) return {};
        if (sFolder.back() != '\\') sFolder += '\\';
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(platform::paths::pathOf(platform::paths::toNative(sFolder)), ec), end;
             !ec && it != end; it.increment(ec)) {
            std::error_code typeEc;
            if (it->is_directory(typeEc)) continue;
            names.push_back(StripTerminator(platform::paths::textOf(it->path().filename())));
        }
        for (const std::string& name : names) {
            const std::string head = properCase(name).substr(0, 9);
            if (head == "Contract_" || head == "Directdeb" || head == "Qualitych") deleteWinFile(sFolder + name);
        }
    } catch (...) {
    }
    return {};
}

std::string CFileManager::createSiebelFile(const std::string& strReportType, const std::string& strQuoteNumber,
                                           const std::string& strRevisionNumber, const std::string& strPaymentTerm) {
    try {
        std::string prefix;
        if (strReportType == "ContractReport") prefix = "Contract_" + strQuoteNumber + "_" + strRevisionNumber + "_";
        else if (strReportType == "DirectDebitRequest")
            prefix = "DirectDebit_" + strQuoteNumber + "_" + strRevisionNumber + "_" + strPaymentTerm + "_";
        else if (strReportType == "QualityControlChecklist")
            prefix = "QualityChecklist_" + strQuoteNumber + "_" + strRevisionNumber + "_";
        else return {};

        // Date and time are read apart; read again when midnight fell between them.
        std::string stamp;
        for (int attempt = 0; attempt < 3; ++attempt) {
            const auto before = platform::process::now();
            int16_t decimals = 2;
            const std::string time = getTimeStamp(0, decimals);
            const auto after = platform::process::now();
            char date[16];
            std::snprintf(date, sizeof date, "%04d%02d%02d-", before.year % 10000, before.month % 100,
                          before.day % 100);
            stamp = date + time;
            if (before.year == after.year && before.month == after.month && before.day == after.day) break;
        }
        return prefix + stamp + ".pdf";
    } catch (...) {
        return {};
    }
}

std::string CFileManager::getTimeStamp(int16_t separatorFlag, int16_t& decimals) {
    if (decimals > 9) decimals = 9;
    return platform::process::formatTimeOfDay(platform::process::secondsSinceMidnight(), separatorFlag != 0, decimals);
}
