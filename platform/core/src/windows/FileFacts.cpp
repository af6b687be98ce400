#include "platform/FileFacts.h"

#include <io.h>

#include <atomic>
#include <cerrno>

#include <windows.h>

#include "platform/windows/Wide.h"
#include "platform/ProcessId.h"

namespace platform::files {

using windows::lastError;
using windows::wide;

namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

int answer(BOOL done) { return done ? 0 : lastError(); }

}  // namespace

FileFacts factsOf(const std::string& nativePath, Links links) {
    FileFacts facts;
    // Backup semantics open folders as well; the reparse flag opens a link or
    // junction itself instead of what it points to.
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (links == Links::Refused ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    const HANDLE file =
        CreateFileW(wide(nativePath).c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        facts.error = lastError();
        return facts;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
        facts.error = lastError();
        CloseHandle(file);
        return facts;
    }
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    if (links == Links::Refused && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) facts.kind = FileKind::Link;
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) facts.kind = FileKind::Folder;
    else if (type != FILE_TYPE_DISK || (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)) facts.kind = FileKind::Other;
    else facts.kind = FileKind::Regular;
    facts.size = std::int64_t((std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    facts.mtimeNs = windows::epochNs(info.ftLastWriteTime);
    facts.identity = {info.dwVolumeSerialNumber, (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return facts;
}

int listAccessError(const std::string& nativeFolder) {
    WIN32_FIND_DATAW data;
    const HANDLE find =
        FindFirstFileExW(wide(nativeFolder + "\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return lastError();
    FindClose(find);
    return 0;
}

int readAccessError(const std::string& nativePath) {
    // The attributes alone: nothing is opened.
    const DWORD attributes = GetFileAttributesW(wide(nativePath).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? lastError() : 0;
}

bool opensForReading(const std::string& nativePath) {
    const HANDLE file = CreateFileW(wide(nativePath).c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool isFile = GetFileInformationByHandle(file, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(file);
    return isFile;
}

int makeFolder(const std::string& nativeFolder) {
    return answer(CreateDirectoryW(wide(nativeFolder).c_str(), nullptr));
}

int removeFile(const std::string& nativePath) {
    const std::wstring name = wide(nativePath);
    if (DeleteFileW(name.c_str())) return 0;
    const int error = lastError();
    // A link to a folder (a junction) is removed as a folder, without its content.
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return answer(RemoveDirectoryW(name.c_str()));
    errno = error;
    return error;
}

int renameReplacing(const std::string& from, const std::string& to) {
    return answer(
        MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

int hardLink(const std::string& from, const std::string& to) {
    return answer(CreateHardLinkW(wide(to).c_str(), wide(from).c_str(), nullptr));
}

int createUniqueFile(std::string& nativeNameTemplate) {
    constexpr std::string_view Marker = "XXXXXX";
    if (nativeNameTemplate.size() < Marker.size() || !nativeNameTemplate.ends_with(Marker)) {
        errno = EINVAL;
        return EINVAL;
    }
    static std::atomic<std::uint64_t> counter{0};
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const std::size_t at = nativeNameTemplate.size() - Marker.size();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t seed = (std::uint64_t(GetTickCount64()) << 20) ^ (process::processId() << 8) ^ counter++;
        for (std::size_t i = 0; i < Marker.size(); ++i) {
            nativeNameTemplate[at + i] = Letters[seed % 36];
            seed /= 36;
        }
        const HANDLE file = CreateFileW(wide(nativeNameTemplate).c_str(), GENERIC_READ | GENERIC_WRITE, ShareAll,
                                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return 0;
        }
        if (const int error = lastError(); error != EEXIST) return error;
    }
    errno = EEXIST;
    return EEXIST;
}

long long readSome(int fd, void* buffer, std::size_t size) {
    return _read(fd, buffer, unsigned(size > 0x7fffffff ? 0x7fffffff : size));
}

int closeFile(int fd) { return _close(fd) == 0 ? 0 : errno; }

std::string appendToRegularFile(const std::string& nativePath, std::string_view bytes) {
    const HANDLE file = CreateFileW(wide(nativePath).c_str(), FILE_APPEND_DATA, ShareAll, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return systemMessage(lastError());
    std::string reason;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = "it is not a regular file";
    } else {
        while (!bytes.empty()) {
            DWORD written = 0;
            const DWORD chunk = DWORD(bytes.size() > 0x40000000 ? 0x40000000 : bytes.size());
            if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
                reason = systemMessage(lastError());
                break;
            }
            bytes.remove_prefix(written);
        }
    }
    if (!CloseHandle(file) && reason.empty()) reason = systemMessage(lastError());
    return reason;
}

}  // namespace platform::files

namespace platform::process {

std::uint64_t processId() { return GetCurrentProcessId(); }

}  // namespace platform::process
