#pragma once
// No C++ exception crosses a library boundary. A member that fails returns a
// failure status and leaves the error object (number, source, description)
// beside it, for the caller to raise again unchanged.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Error.h"
#include "platform/com/Unknown.h"

namespace com {

struct ErrorInfo {
    int32_t number = 0;
    std::string source;
    std::string description;
};

// The status that stands for an error number (0x800A0000 | number for the
// numbers 1 to 65535, as the component world writes them).
HRESULT statusForError(int32_t number);

// Callee's side: the error object travels with the status of the current
// thread's last failed call.
void setErrorInfo(ErrorInfo info);
std::optional<ErrorInfo> takeErrorInfo();

// Runs a member's body; any exception becomes a status with its error object
// beside it. platform::Error keeps number, source and description; other
// exceptions become number 440 ("Automation error") with their text.
template <class Body>
HRESULT guard(Body&& body) noexcept;

// Caller's side: throws platform::Error for a failed status, with the error
// object left beside it, or one made from the status alone.
void check(HRESULT hr);

}  // namespace com

#include "platform/com/ErrorInfo.inl"
