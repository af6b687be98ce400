#pragma once
// The error object of the system: a number, a source and a description,
// raised and trapped as a C++ exception inside one library. At a component
// boundary it is caught and carried beside a status instead (platform/com).
//
// A failure with one file also carries the file and the reason as fields, so
// a caller that wraps it names the file once ("Cannot open the setup X: it is
// not a PDF (Cannot read X: ...)" was the old way), and every text a racer
// reads of an error comes from one formatter (errorText, errorLine).

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace platform {

class Error : public std::exception {
public:
    // An empty description takes the standard text for the number
    // (see standardDescription).
    Error(int32_t number, std::string source, std::string description = {});

    // A failure with one file: the description reads as fileFailure puts it.
    static Error aboutFile(int32_t number, std::string source, std::string_view doing, std::string file,
                           std::string reason);

    int32_t number() const noexcept { return m_number; }
    const std::string& source() const noexcept { return m_source; }
    const std::string& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_description.c_str(); }

    // The file the failure is about; empty when it is about none.
    const std::string& file() const noexcept { return m_file; }
    // Why, without the file: the reason of a failure with a file, else the
    // description.
    const std::string& reason() const noexcept { return m_file.empty() ? m_description : m_reason; }

private:
    int32_t m_number;
    std::string m_source;
    std::string m_description;
    std::string m_file;
    std::string m_reason;
};

// Numbers the system raises that carry a well-known text; every other number
// gets "Application-defined or object-defined error".
inline constexpr int32_t ErrInvalidArgument = 5;     // "Invalid procedure call or argument"
inline constexpr int32_t ErrOverflow = 6;            // "Overflow"
inline constexpr int32_t ErrSubscript = 9;           // "Subscript out of range"
inline constexpr int32_t ErrTypeMismatch = 13;       // "Type mismatch"
inline constexpr int32_t ErrFileNotFound = 53;       // "File not found"
inline constexpr int32_t ErrPathAccess = 75;         // "Path/File access error"
inline constexpr int32_t ErrObjectNotSet = 91;       // "Object variable or With block variable not set"
inline constexpr int32_t ErrCantCreateObject = 429;  // "ActiveX component can't create object"
inline constexpr int32_t ErrNoSuchMember = 438;      // "Object doesn't support this property or method"
inline constexpr int32_t ErrDuplicateKey = 457;  // "This key is already associated with an element of this collection"

std::string standardDescription(int32_t number);

[[noreturn]] void raise(int32_t number, std::string source, std::string description = {});
[[noreturn]] void raiseAboutFile(int32_t number, std::string source, std::string_view doing, std::string file,
                                 std::string reason);

// The one way a failure with a file reads: "Cannot write /x/Setup.dat: No
// space left on device". Reports that carry failures as text use it too.
std::string fileFailure(std::string_view doing, std::string_view file, std::string_view reason);

// What a racer reads of a failure, in a message box, a status line or after
// "Error: ": the description of the system's error, else the exception's own
// text, else a generic one.
std::string errorText(const std::exception& error);
// A command line's or a message box's line: "Error: " and errorText.
std::string errorLine(const std::exception& error);
// The same for a failure a report carries as text.
std::string errorLine(std::string_view text);
// The run procedure's line, which names the failed operations through the
// source alone: "Error: " and the source.
std::string runErrorLine(const Error& error);

}  // namespace platform
