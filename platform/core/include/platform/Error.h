#pragma once
// The error object of the system: a number, a source and a description,
// raised and trapped as a C++ exception inside one library. At a component
// boundary it is caught and carried beside a status instead (platform/com).

#include <cstdint>
#include <exception>
#include <string>

namespace platform {

class Error : public std::exception {
public:
    // An empty description takes the standard text for the number
    // (see standardDescription).
    Error(int32_t number, std::string source, std::string description = {});

    int32_t number() const noexcept { return m_number; }
    const std::string& source() const noexcept { return m_source; }
    const std::string& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_description.c_str(); }

private:
    int32_t m_number;
    std::string m_source;
    std::string m_description;
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

}  // namespace platform
