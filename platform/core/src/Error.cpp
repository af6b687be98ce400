#include "platform/Error.h"

#include "platform/Text.h"

#include <utility>

namespace platform {

Error::Error(int32_t number, std::string source, std::string description)
    : m_number(number),
      m_source(std::move(source)),
      m_description(description.empty() ? standardDescription(number) : std::move(description)) {}

std::string standardDescription(int32_t number) {
    switch (number) {
    case ErrInvalidArgument: return "Invalid procedure call or argument";
    case ErrOverflow: return "Overflow";
    case ErrSubscript: return "Subscript out of range";
    case ErrTypeMismatch: return "Type mismatch";
    case ErrFileNotFound: return "File not found";
    case ErrPathAccess: return "Path/File access error";
    case ErrObjectNotSet: return "Object variable or With block variable not set";
    case ErrCantCreateObject: return "ActiveX component can't create object";
    case ErrNoSuchMember: return "Object doesn't support this property or method";
    case 440: return "Automation error";
    case ErrDuplicateKey: return "This key is already associated with an element of this collection";
    default: return "Application-defined or object-defined error";
    }
}

Error Error::aboutFile(int32_t number, std::string source, std::string_view doing, std::string file,
                       std::string reason) {
    Error error(number, std::move(source), fileFailure(doing, file, reason));
    error.m_file = std::move(file);
    error.m_reason = std::move(reason);
    return error;
}

void raise(int32_t number, std::string source, std::string description) {
    throw Error(number, std::move(source), std::move(description));
}

void raiseAboutFile(int32_t number, std::string source, std::string_view doing, std::string file, std::string reason) {
    throw Error::aboutFile(number, std::move(source), doing, std::move(file), std::move(reason));
}

std::string fileFailure(std::string_view doing, std::string_view file, std::string_view reason) {
    std::string text;
    text.reserve(doing.size() + file.size() + reason.size() + 3);
    // The file's name came from outside: printed so that it cannot break the line.
    text.append(doing).append(" ").append(text::printable(file));
    if (!reason.empty()) text.append(": ").append(reason);
    return text;
}

std::string errorText(const std::exception& error) {
    const char* text = error.what();
    return text && *text ? std::string(text) : standardDescription(1);
}

// One line whatever the names in it hold.
std::string errorLine(const std::exception& error) { return "Error: " + text::printable(errorText(error)); }

std::string errorLine(std::string_view text) { return "Error: " + text::printable(text); }

std::string runErrorLine(const Error& error) { return "Error: " + text::printable(error.source()); }

}  // namespace platform
