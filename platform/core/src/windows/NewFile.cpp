#include "platform/NewFile.h"

#include <cerrno>
#include <random>
#include <windows.h>

#include "platform/windows/Wide.h"
#include "platform/Files.h"

namespace platform::files {

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    if (separator == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, separator);
}

int lastErrno() { return windows::errnoOf(::GetLastError()); }

// Moves without ever replacing: MoveFileExW without MOVEFILE_REPLACE_EXISTING
// fails on a name that is taken, whoever made that file.
int moveNoReplace(const std::string& from, const std::string& to) {
    if (::MoveFileExW(windows::widePath(from).c_str(), windows::widePath(to).c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
    return lastErrno();
}

}  // namespace

int copyToNewName(const std::string& from, const std::string& to) {
    // CopyFileExW refuses a taken name, and leaves no part of a copy it could not finish.
    if (::CopyFileExW(windows::widePath(from).c_str(), windows::widePath(to).c_str(), nullptr, nullptr, nullptr,
                      COPY_FILE_FAIL_IF_EXISTS))
        return 0;
    return lastErrno();
}

int moveToNewName(const std::string& from, const std::string& to) {
    const int error = moveNoReplace(from, to);
    if (error != EXDEV) return error;
    // Another volume: a copy that appears whole, then the original goes.
    std::string bytes;
    const UserFile read = readUserFile(from, bytes, NoSizeLimit);
    if (read.status != OpenStatus::Opened) return read.status == OpenStatus::Missing ? ENOENT : EIO;
    const int written = writeNewFile(to, bytes);
    if (!written) ::DeleteFileW(windows::widePath(from).c_str());
    return written;
}

int writeNewFile(const std::string& to, std::string_view bytes) {
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    const std::string folder = folderOf(to);
    const std::size_t separator = to.find_last_of("\\/");
    const std::string name = separator == std::string::npos ? to : to.substr(separator + 1);
    std::string temp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
        std::string suffix(6, 'x');
        for (char& c : suffix) c = letters[random() % (sizeof letters - 1)];
        temp = (folder.back() == '\\' ? folder : folder + "\\") + "." + name + "." + suffix;
        h = ::CreateFileW(windows::widePath(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
        if (h == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) return lastErrno();
    }
    if (h == INVALID_HANDLE_VALUE) return EEXIST;
    int error = 0;
    for (std::size_t done = 0; !error && done < bytes.size();) {
        DWORD put = 0;
        const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!::WriteFile(h, bytes.data() + done, chunk, &put, nullptr)) error = lastErrno();
        done += put;
    }
    if (!error && !::FlushFileBuffers(h)) error = lastErrno();
    ::CloseHandle(h);
    if (!error) error = moveNoReplace(temp, to);
    if (error) ::DeleteFileW(windows::widePath(temp).c_str());
    return error;
}

// MOVEFILE_WRITE_THROUGH has made each move durable already.
void syncFolder(const std::string&) {}

}  // namespace platform::files
