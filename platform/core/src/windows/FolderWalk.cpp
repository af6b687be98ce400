#include "platform/FolderWalk.h"

#include <cwchar>

#include <windows.h>

#include "platform/windows/Wide.h"

namespace platform::files {

namespace {

// One folder's entries and, below each folder entry the visitor lets in, its
// own. False when the walk is to end.
bool walkBelow(const std::string& folder, int depth, const std::function<WalkStep(const FolderEntry&)>& visit,
               std::string& problem) {
    WIN32_FIND_DATAW data;
    const std::string pattern =
        folder + (folder.empty() || folder.back() == '\\' || folder.back() == '/' ? "*" : "\\*");
    const HANDLE find = FindFirstFileExW(windows::wide(pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // Passed over as the system lets no one list it, or gone meanwhile.
        if (error == ERROR_ACCESS_DENIED || error == ERROR_FILE_NOT_FOUND ||
            (depth > 0 && error == ERROR_PATH_NOT_FOUND))
            return true;
        problem = systemMessage(windows::errnoOf(error));
        return false;
    }
    bool goOn = true;
    do {
        if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) continue;
        FolderEntry entry;
        entry.name = windows::utf8(std::wstring_view(data.cFileName, std::wcslen(data.cFileName)));
        entry.path = pattern.substr(0, pattern.size() - 1) + entry.name;
        entry.depth = depth;
        // A reparse point (symbolic link, junction, mount point) is never entered.
        const DWORD attributes = data.dwFileAttributes;
        entry.kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? FileKind::Link
                     : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? FileKind::Folder
                     : (attributes & FILE_ATTRIBUTE_DEVICE)      ? FileKind::Other
                                                                 : FileKind::Regular;
        const WalkStep step = visit(entry);
        if (step == WalkStep::Stop) goOn = false;
        else if (step == WalkStep::Continue && entry.kind == FileKind::Folder)
            goOn = walkBelow(entry.path, depth + 1, visit, problem);
    } while (goOn && FindNextFileW(find, &data));
    if (goOn && GetLastError() != ERROR_NO_MORE_FILES) {
        problem = systemMessage(windows::errnoOf(GetLastError()));
        goOn = false;
    }
    FindClose(find);
    return goOn;
}

}  // namespace

std::string walkFolder(const std::string& nativeFolder, const std::function<WalkStep(const FolderEntry&)>& visit) {
    std::string problem;
    walkBelow(nativeFolder, 0, visit, problem);
    return problem;
}

}  // namespace platform::files
