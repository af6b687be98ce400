#include "CLog.h"

#include <cstdio>

#include "CFileManager.h"

COM_INTERFACE_ID(logging::ICLog, logging::IID_CLog)

namespace logging {

std::string CLog::timeStamp(const platform::process::LocalDateTime& t) {
    const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    char text[64];
    std::snprintf(text, sizeof text, "%d/%d/%04d %02d:%02d:%02d %s", t.day, t.month, t.year, hour12, t.minute, t.second,
                  t.hour < 12 ? "AM" : "PM");
    return text;
}

com::HRESULT CLog::LogMe(const std::string& strLogMsg) {
    // Never raises: every failure is dropped, and the line with it.
    try {
        CFileManager fileManager;
        const std::string stamp = timeStamp(platform::process::now());
        fileManager.setFileName(m_FileName);
        fileManager.appendLineToFile(m_FileName, stamp + ": " + strLogMsg);
    } catch (...) {
    }
    return com::S_OK;
}

com::HRESULT CLog::put_FileName(const std::string& value) {
    return com::guard([&] { m_FileName = value; });
}

com::HRESULT CLog::get_FileName(std::string* value) {
    if (!value) return com::E_POINTER;
    return com::guard([&] { *value = m_FileName; });
}

const com::server::DispatchTable<CLog>& CLog::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<CLog> table{
        method("LogMe", &ICLog::LogMe),
        propPut("FileName", &ICLog::put_FileName),
        propGet("FileName", &ICLog::get_FileName),
    };
    return table;
}

namespace {

const com::ServerModule& loggingModule() {
    static const com::ServerModule module{
        LIBID_Logging,
        "Logging",
        "1.0",
        {{CLSID_CLog, "CLog", "Logging.CLog", true, {{IID_CLog, "_CLog"}}, &com::server::newInstance<CLog>}},
    };
    return module;
}

}  // namespace

}  // namespace logging

COM_DEFINE_SERVER_ENTRY_POINTS(logging::loggingModule())
