#include "platform/Error.h"

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

void raise(int32_t number, std::string source, std::string description) {
    throw Error(number, std::move(source), std::move(description));
}

}  // namespace platform
