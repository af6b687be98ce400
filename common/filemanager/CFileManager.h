#pragma once
// Small file operations: writing and appending lines, copying, deleting,
// testing for a file or folder, and building report file names. Nothing here
// raises: writes, copies and deletes answer with a status text ("Success: ..."
// or a failure text, empty for some outcomes) instead.
//
// Compiled into the program and, as a private copy of its own, into the
// Logging library. The program's copy (VANTREL_FILEMANAGER_WITH_DATA) has
// writeLineToFileWithData as well. All paths are system paths.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Error.h"

class CFileManager {
public:
    const std::string& NewText() const { return m_NewText; }
    void setNewText(std::string value) { m_NewText = std::move(value); }
    const std::string& FileName() const { return m_FileName; }
    void setFileName(std::string value) { m_FileName = std::move(value); }

    std::string writeLineToFilePreDefined();
#ifdef VANTREL_FILEMANAGER_WITH_DATA
    std::string writeLineToFileWithData(const std::string& myTextLine);
    // The same for this system's own callers: nothing when FileName holds
    // the line and CR LF, else the failure about the file, its reason the
    // system's (LastFailure) or "it could not be written".
    std::optional<platform::Error> writeDataLine(const std::string& line);
#endif
    // Creates or empties the file, then writes the line and CR LF.
    std::string writeLineToFile(const std::string& myFileName, const std::string& myTextLine);
    // Appends the line and CR LF, creating the file when missing.
    std::string appendLineToFile(const std::string& myFileName, const std::string& myTextLine);
    std::string appendLine(const std::string& myTextLine);
    // Appends the lines, each with CR LF, in one write (one open of the file).
    std::string appendLines(const std::vector<std::string>& lines);
    // Replaces an existing target. Empty on success, "Failed to copy: ..." otherwise.
    std::string copyFile(const std::string& strMySourceFilename, const std::string& strMyTargetFilename);
    // Whether copyFile's copy is on the disk when it answers (the default).
    // A copy that is saved over at once, synced, need not be.
    // The system's reason for the failure of the last write, append or copy
    // ("No space left on device"); empty after a success. The status texts
    // stay as they are: this is for a caller that must say why.
    const std::string& LastFailure() const { return m_LastFailure; }
    bool SyncCopies() const { return m_syncCopies; }
    void setSyncCopies(bool sync) { m_syncCopies = sync; }
    static std::string StripTerminator(const std::string& strString);
    // File test (sFile given; name matched regardless of letter case) or
    // folder test (sFile empty).
    bool FileOrDirExists(const std::string& sFile, const std::string& sFolder);
    std::string deleteWinFile(const std::string& strMyDeleteFile);
    std::string deleteAllFiles(std::string& sFolder);
    std::string createSiebelFile(const std::string& strReportType, const std::string& strQuoteNumber,
                                 const std::string& strRevisionNumber, const std::string& strPaymentTerm);

private:
    std::string getTimeStamp(int16_t separatorFlag, int16_t& decimals);

    std::string m_NewText;
    std::string m_FileName;
    std::string m_LastFailure;
    bool m_syncCopies = true;
};
