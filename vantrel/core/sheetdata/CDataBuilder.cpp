#include "CDataBuilder.h"

#include <CFileManager.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/FileFacts.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/ProcessId.h"

namespace vantrel {

std::string CDataBuilder::valueForRecord(std::string value, const std::string& delimiter) {
    if (delimiter.empty()) return value;

    // A blank cannot stand in for a blank delimiter; such a delimiter is dropped.
    const std::string replacement = delimiter == " " ? std::string() : std::string(" ");
    std::size_t pos = value.find(delimiter);
    while (pos != std::string::npos) {
        value.replace(pos, delimiter.size(), replacement);
        // The blank may complete a new occurrence with the characters before it.
        pos = value.find(delimiter, pos >= delimiter.size() ? pos - delimiter.size() + 1 : 0);
    }

    // A delimiter that overlaps itself ("||", "abab") can start inside the end
    // of a value and end inside the delimiter that follows it, which would cut
    // the record one field early. Such a tail becomes one blank, or goes when
    // the delimiter itself begins with a blank. Each round shortens the value
    // or moves the match to the left, so the loop ends.
    const bool blankFits = delimiter.front() != ' ';
    for (;;) {
        const std::size_t first = (value + delimiter).find(delimiter);
        if (first >= value.size()) return value;
        value.erase(first);
        if (blankFits) value += ' ';
    }
}

void CDataBuilder::BuildData() {
    std::string record = valueForRecord(m_fields[0], m_DataFileDelimiter);
    for (std::size_t i = 1; i < SheetFieldCount; ++i) {
        record += m_DataFileDelimiter;
        record += valueForRecord(m_fields[i], m_DataFileDelimiter);
    }
    WriteMappingFile();
    // Stored last, so a failure above leaves the previous record in place.
    m_OutputString = std::move(record);
}

std::string CDataBuilder::toString() {
    BuildData();
    return m_OutputString;
}

void CDataBuilder::WriteMappingFile() {
    // Written whole under a temporary name beside it and then renamed over it:
    // a full disk or a read-only folder leaves the last mapping file as it was
    // (its lines never change), never an empty or a partial one. The record is
    // built all the same; the run asks MappingFailure whether the file stands.
    const std::string mappingFile = MappingFilePath();
    const std::string temporary = m_MappingDirectory + "." + runMappingFileName(m_SetupName) + "." +
                                  std::to_string(platform::process::processId()) + ".new";
    CFileManager fileManager;
    fileManager.setFileName(temporary);
    fileManager.deleteWinFile(fileManager.FileName());
    // The 112 lines in one write: the file a line-by-line append gives,
    // without opening and closing it 112 times (a millisecond of every sheet).
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < SheetFieldCount; ++i)
        lines.push_back(std::to_string(i + 1) + "=fld" + std::string(SheetFieldNames[i]));
    m_MappingFailure.clear();
    if (fileManager.appendLines(lines).empty()) {
        m_MappingFailure = fileManager.LastFailure().empty() ? "it could not be written" : fileManager.LastFailure();
    } else if (const int error = platform::files::renameReplacing(platform::paths::toNative(temporary),
                                                                  platform::paths::toNative(mappingFile));
               error != 0) {
        m_MappingFailure = platform::files::systemMessage(error);
    }
    if (!m_MappingFailure.empty()) platform::files::removeFile(platform::paths::toNative(temporary));
}

}  // namespace vantrel
