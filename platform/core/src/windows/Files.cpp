#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <random>
#include <windows.h>

#include "FileKinds.h"
#include "platform/windows/Wide.h"

namespace platform::files {

// Windows gives a new file the folder's permissions; there is no mask.
mode_t newFileMode() { return 0666; }

std::string systemMessage(int error) { return std::strerror(error); }

namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string sizeText(std::uint64_t bytes) {
    constexpr std::uint64_t MiB = 1024 * 1024;
    if (bytes % MiB == 0) return std::to_string(bytes / MiB) + " MiB";
    return std::to_string(bytes) + " bytes";
}

UserFile refused(std::string reason) { return {OpenStatus::Refused, -1, std::move(reason)}; }

UserFile failed(DWORD error) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {OpenStatus::Missing, -1, {}};
    return {OpenStatus::Failed, -1, windows::errorMessage(error)};
}

// Why the file behind an open handle is no file to read; empty when it is one.
std::string refusal(HANDLE h, std::uint64_t maxBytes, bool reparseRefused, BY_HANDLE_FILE_INFORMATION& info) {
    switch (::GetFileType(h)) {
    case FILE_TYPE_DISK: break;
    case FILE_TYPE_PIPE: return "it is a named pipe";
    case FILE_TYPE_CHAR: return "it is a device";
    default: return "it is not a regular file";
    }
    if (!::GetFileInformationByHandle(h, &info)) return windows::errorMessage(::GetLastError());
    if (reparseRefused && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return "it is a symbolic link or junction";
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "it is a folder";
    const std::uint64_t size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > maxBytes) return "it is larger than " + sizeText(maxBytes) + " (" + std::to_string(size) + " bytes)";
    return {};
}

// Opened once, judged on the handle: a link or junction is opened as itself
// (and refused) unless links are followed; a folder opens too, to be refused.
HANDLE openForReading(const std::string& nativePath, Links links, DWORD access, DWORD& error) {
    DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS;
    if (links == Links::Refused) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE h =
        ::CreateFileW(windows::widePath(nativePath).c_str(), access, ShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
    error = h == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
    return h;
}

}  // namespace

bool isReplaceable(const std::string& nativePath) {
    const DWORD attributes = ::GetFileAttributesW(windows::widePath(nativePath).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE));
}

std::string refusalReason(const std::string& nativePath, std::uint64_t maxBytes) {
    DWORD error = 0;
    HANDLE h = openForReading(nativePath, Links::Followed, FILE_READ_ATTRIBUTES, error);
    if (h == INVALID_HANDLE_VALUE) return {};
    BY_HANDLE_FILE_INFORMATION info{};
    std::string reason = refusal(h, maxBytes, false, info);
    ::CloseHandle(h);
    return reason;
}

UserFile openUserFile(const std::string& nativePath, std::uint64_t maxBytes, Links links) {
    DWORD error = 0;
    HANDLE h = openForReading(nativePath, links, GENERIC_READ, error);
    // A folder may refuse reading where it allows looking at it.
    if (h == INVALID_HANDLE_VALUE && error == ERROR_ACCESS_DENIED) {
        const DWORD attributes = ::GetFileAttributesW(windows::widePath(nativePath).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return refused("it is a folder");
    }
    if (h == INVALID_HANDLE_VALUE) return failed(error);
    BY_HANDLE_FILE_INFORMATION info{};
    if (std::string reason = refusal(h, maxBytes, links == Links::Refused, info); !reason.empty()) {
        ::CloseHandle(h);
        return refused(std::move(reason));
    }
    // The caller reads and closes a descriptor, as on Linux; it owns the handle.
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(h);
        return {OpenStatus::Failed, -1, "no descriptor for the file"};
    }
    UserFile file{OpenStatus::Opened, fd, {}};
    file.size = std::int64_t((std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    file.mtimeNs = windows::epochNs(info.ftLastWriteTime);
    return file;
}

UserFile readUserFile(const std::string& nativePath, std::string& bytes, std::uint64_t maxBytes, Links links) {
    bytes.clear();
    UserFile file = openUserFile(nativePath, maxBytes, links);
    if (file.status != OpenStatus::Opened) return file;
    bytes.reserve(std::size_t(std::min<std::uint64_t>(std::uint64_t(file.size), maxBytes)));
    HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(file.fd));
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(h, buffer, sizeof buffer, &got, nullptr)) {
            file.status = OpenStatus::Failed;
            file.reason = windows::errorMessage(::GetLastError());
            break;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
        if (bytes.size() > maxBytes) {
            file.status = OpenStatus::Refused;
            file.reason = "it is larger than " + sizeText(maxBytes);
            break;
        }
    }
    // As the handle stands after the read: a file written meanwhile shows it.
    if (BY_HANDLE_FILE_INFORMATION after{};
        file.status == OpenStatus::Opened && ::GetFileInformationByHandle(h, &after)) {
        file.size = std::int64_t((std::uint64_t(after.nFileSizeHigh) << 32) | after.nFileSizeLow);
        file.mtimeNs = windows::epochNs(after.ftLastWriteTime);
    }
    ::_close(file.fd);
    file.fd = -1;
    if (file.status != OpenStatus::Opened) bytes.clear();
    return file;
}

bool writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const unsigned chunk = unsigned(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        const int put = ::_write(fd, bytes.data() + done, chunk);
        if (put < 0) return false;
        done += std::size_t(put);
    }
    return true;
}

namespace {

std::string folderOf(const std::string& nativePath) {
    const std::size_t separator = nativePath.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    if (separator == 2 && nativePath[1] == ':') return nativePath.substr(0, 3);
    return nativePath.substr(0, separator);
}

std::string nameOf(const std::string& nativePath) {
    const std::size_t separator = nativePath.find_last_of("\\/:");
    return separator == std::string::npos ? nativePath : nativePath.substr(separator + 1);
}

// The temporary's name: "." and the target's name, then six letters and digits.
std::string temporaryPrefix(const std::string& name) { return "." + name + "."; }

bool isTemporaryName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) return false;
    return std::all_of(name.begin() + std::ptrdiff_t(prefix.size()), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

}  // namespace

std::size_t removeLeftTemporaries(const std::string& nativePath, std::int64_t changedBefore) {
    const std::string name = nameOf(nativePath);
    if (name.empty()) return 0;
    const std::string prefix = temporaryPrefix(name);
    const std::string folder = folderOf(nativePath);
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(windows::widePath(joined(folder, prefix + "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    std::size_t removed = 0;
    do {
        const std::string candidate = windows::utf8(found.cFileName);
        if (!isTemporaryName(candidate, prefix)) continue;
        // Opened without sharing: a writer still at work holds its temporary
        // open, and the open then fails; a link is opened as itself.
        HANDLE h = ::CreateFileW(windows::widePath(joined(folder, candidate)).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        BY_HANDLE_FILE_INFORMATION info{};
        const bool left = ::GetFileType(h) == FILE_TYPE_DISK && ::GetFileInformationByHandle(h, &info) &&
                          !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
                          windows::epochNs(info.ftLastWriteTime) / 1000000000 < changedBefore;
        // Removed through the handle judged, so it is that file that goes.
        FILE_DISPOSITION_INFO gone{TRUE};
        if (left && ::SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone)) ++removed;
        ::CloseHandle(h);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return removed;
}

namespace {

// A new temporary beside the target, opened for writing and shared with no
// one, so that removeLeftTemporaries passes over it while it is written.
HANDLE createTemporary(const std::string& folder, const std::string& name, std::string& temp, DWORD& error) {
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(6, 'x');
        for (char& c : suffix) c = letters[random() % (sizeof letters - 1)];
        temp = joined(folder, temporaryPrefix(name) + suffix);
        HANDLE h = ::CreateFileW(windows::widePath(temp).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) return h;
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return h;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

namespace {

// replaceAtomically's work: the empty text, or why it failed.
std::string replace(const std::string& nativePath, const std::function<std::string(int fd)>& write,
                    Durability durability) {
    const std::string name = nameOf(nativePath);
    if (name.empty()) return "no file name";
    const DWORD attributes = ::GetFileAttributesW(windows::widePath(nativePath).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return "it is a folder";
    std::string temp;
    DWORD createError = ERROR_SUCCESS;
    HANDLE h = createTemporary(folderOf(nativePath), name, temp, createError);
    if (h == INVALID_HANDLE_VALUE) return windows::errorMessage(createError);
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(h);
        ::DeleteFileW(windows::widePath(temp).c_str());
        return "no descriptor for the new file";
    }

    std::string error;
    try {
        error = write(fd);
    } catch (const std::exception& e) {
        // A write that raised has failed, even when it says nothing: the file must not take its half.
        error = *e.what() ? e.what() : "the new content could not be written";
    } catch (...) {
        error = "the new content could not be written";
    }
    const bool sync = durability == Durability::Synced;
    if (error.empty() && sync && !::FlushFileBuffers(h)) error = windows::errorMessage(::GetLastError());
    if (::_close(fd) != 0 && error.empty()) error = systemMessage(errno);
    // Write-through: the rename is on the disk when it answers.
    const DWORD how = MOVEFILE_REPLACE_EXISTING | (sync ? MOVEFILE_WRITE_THROUGH : 0);
    if (error.empty() && !::MoveFileExW(windows::widePath(temp).c_str(), windows::widePath(nativePath).c_str(), how))
        error = windows::errorMessage(::GetLastError());
    if (!error.empty()) {
        ::DeleteFileW(windows::widePath(temp).c_str());
        return error;
    }
    return {};
}

}  // namespace

std::optional<Error> replaceAtomically(const std::string& nativePath, const std::function<std::string(int fd)>& write,
                                       Durability durability) {
    std::string reason = replace(nativePath, write, durability);
    if (reason.empty()) return std::nullopt;
    return Error::aboutFile(ErrPathAccess, "replaceAtomically", "Cannot write", nativePath, std::move(reason));
}

}  // namespace platform::files
