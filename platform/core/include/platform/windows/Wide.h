#pragma once
// UTF-8 inside the program, UTF-16 at the system's boundary: every path and
// text handed to a wide Windows function goes through these, in the platform
// layer, the component runtime and the PDF automation alike. Windows only.

#include <cstdint>
#include <string>
#include <string_view>

struct _FILETIME;

namespace platform::windows {

// Bytes that are no UTF-8 are taken as Windows-1252, so that no name is lost.
std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view text);

// A path for the wide file functions: native, and with the \\?\ prefix when
// it is a full path too long for the old limit of 260 characters.
std::wstring widePath(std::string_view nativePath);

// The system's text for a Windows error number, on one line.
std::string errorMessage(unsigned long error);
// The errno value nearest to a Windows error number, for interfaces that
// answer errno values on both systems.
int errnoOf(unsigned long error);
// The errno of the last failed system call, set in errno as well.
int lastError();

// Nanoseconds since the Unix epoch of a file time (100 ns steps since 1601).
std::int64_t epochNs(const _FILETIME& time);

}  // namespace platform::windows
