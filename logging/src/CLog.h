#pragma once
// CLog: appends time-stamped lines to the log file named by FileName.

#include <string>

#include "logging/Logging.h"
#include "platform/Process.h"
#include "platform/com/Server.h"

namespace logging {

class CLog final : public com::server::ComObject<CLog, ICLog> {
public:
    com::HRESULT LogMe(const std::string& strLogMsg) override;
    com::HRESULT put_FileName(const std::string& value) override;
    com::HRESULT get_FileName(std::string* value) override;

    // "d/m/yyyy hh:mm:ss AMPM": day and month without leading zero, the hour
    // on the 12-hour clock as two digits (midnight is 12 AM, noon 12 PM).
    static std::string timeStamp(const platform::process::LocalDateTime& t);

    static const com::server::DispatchTable<CLog>& dispatchTable();

private:
    std::string m_FileName;
};

}  // namespace logging
