#pragma once
// Logging component library: CLog appends time-stamped lines to a log file.
// Type library "Logging" 1.0. Clients create CLog by its class id through the
// component runtime and call it through ICLog (a dual interface).

#include <string>

#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"

namespace logging {

inline constexpr com::Guid LIBID_Logging = com::Guid::of("{83FA7924-C5DE-489E-8914-DD4C0EDA3A3A}");
inline constexpr com::Guid CLSID_CLog = com::Guid::of("{6BA374EC-654A-4B02-8449-ECFE1CECB16B}");
inline constexpr com::Guid IID_CLog = com::Guid::of("{0228F278-1943-4130-9B6E-E48ECD0E89AF}");

// Members in slot order.
class ICLog : public com::IDispatch {
public:
    // Appends "d/m/yyyy hh:mm:ss AMPM: " + message; never reports an error.
    virtual com::HRESULT LogMe(const std::string& strLogMsg) = 0;
    virtual com::HRESULT put_FileName(const std::string& value) = 0;
    virtual com::HRESULT get_FileName(std::string* value) = 0;
};

}  // namespace logging
