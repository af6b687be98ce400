#pragma once
// UTF-8 inside the program, UTF-16 at the system's boundary: every path and
// text handed to a wide Windows function goes through these.

#include <string>
#include <string_view>

namespace platform::windows {

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

}  // namespace platform::windows
