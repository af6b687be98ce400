#include "platform/com/ErrorInfo.h"

#include <cstdio>

namespace com {

namespace {

// One error object per thread: the one left by the thread's last failed call.
thread_local std::optional<ErrorInfo> t_errorInfo;

constexpr uint32_t FacilityControl = 0x800A0000u;

// Statuses that stand for no error number of their own, as a late-bound
// caller reports them.
ErrorInfo errorForStatus(HRESULT hr) {
    const auto u = static_cast<uint32_t>(hr);
    if ((u & 0xFFFF0000u) == FacilityControl && (u & 0xFFFFu) != 0) {
        const auto number = static_cast<int32_t>(u & 0xFFFFu);
        return {number, {}, platform::standardDescription(number)};
    }
    switch (hr) {
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
        return {platform::ErrNoSuchMember, {}, platform::standardDescription(platform::ErrNoSuchMember)};
    case DISP_E_TYPEMISMATCH:
        return {platform::ErrTypeMismatch, {}, platform::standardDescription(platform::ErrTypeMismatch)};
    case DISP_E_BADPARAMCOUNT: return {450, {}, "Wrong number of arguments or invalid property assignment"};
    case DISP_E_PARAMNOTFOUND: return {449, {}, "Argument not optional"};
    case E_INVALIDARG:
        return {platform::ErrInvalidArgument, {}, platform::standardDescription(platform::ErrInvalidArgument)};
    case E_POINTER: return {platform::ErrObjectNotSet, {}, platform::standardDescription(platform::ErrObjectNotSet)};
    case E_NOINTERFACE: return {430, {}, "Class does not support Automation or does not support expected interface"};
    case REGDB_E_CLASSNOTREG:
    case CLASS_E_CLASSNOTAVAILABLE:
        return {platform::ErrCantCreateObject, {}, platform::standardDescription(platform::ErrCantCreateObject)};
    default: {
        char text[64];
        std::snprintf(text, sizeof text, "Automation error (0x%08X)", u);
        return {440, {}, text};
    }
    }
}

}  // namespace

HRESULT statusForError(int32_t number) {
    if (number >= 1 && number <= 0xFFFF) return static_cast<HRESULT>(FacilityControl | static_cast<uint32_t>(number));
    // A negative number is already a failure status (an object-defined error).
    if (number < 0) return number;
    return E_FAIL;
}

void setErrorInfo(ErrorInfo info) { t_errorInfo = std::move(info); }

std::optional<ErrorInfo> takeErrorInfo() { return std::exchange(t_errorInfo, std::nullopt); }

void check(HRESULT hr) {
    if (succeeded(hr)) return;
    std::optional<ErrorInfo> info = takeErrorInfo();
    // An error object left by some earlier call must not be taken for this one.
    if (!info || statusForError(info->number) != hr) info = errorForStatus(hr);
    throw platform::Error(info->number, std::move(info->source), std::move(info->description));
}

}  // namespace com
