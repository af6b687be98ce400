#include "StandInViewer.h"

#include <windows.h>

#include <fstream>
#include <iterator>

#include "platform/PathText.h"
#include "platform/windows/Wide.h"

// The machine's association of PDF files (HKLM\Software\Classes, in the
// test's own Wine prefix: Wine reads no user's own association from HKCU): a
// type whose open command is cmd echoing the file into the log (as UTF-16:
// cmd /u; else it writes the 8-bit code page, which loses letters), or a type
// with no command at all, which the shell answers with "no association".
// The keys are removed at the end.
namespace testsupport {

namespace {

const wchar_t* const kPdf = L"Software\\Classes\\.pdf";
const wchar_t* const kRecording = L"Software\\Classes\\VantrelTestViewer";
const wchar_t* const kNone = L"Software\\Classes\\VantrelTestNoViewer";

void setDefault(const std::wstring& key, const std::wstring& value) {
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, value.c_str(),
                      DWORD((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

struct StandInViewer::State {
    std::filesystem::path log;
};

StandInViewer::StandInViewer(const std::filesystem::path&, const std::filesystem::path& log) : m_state(new State{log}) {
    const std::wstring logName = platform::windows::wide(platform::paths::textOf(log));
    setDefault(std::wstring(kRecording) + L"\\shell\\open\\command",
               L"C:\\windows\\system32\\cmd.exe /u /c echo %1>>\"" + logName + L"\"");
    setDefault(std::wstring(kNone), L"No viewer");
    records();
}

StandInViewer::~StandInViewer() {
    for (const wchar_t* key : {kPdf, kRecording, kNone}) ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
}

std::vector<std::string> StandInViewer::calls() const {
    std::ifstream log(m_state->log, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    std::wstring text(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = wchar_t(static_cast<unsigned char>(bytes[2 * i]) | static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    std::vector<std::string> calls;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        if (end > start) calls.push_back(platform::windows::utf8(text.substr(start, end - start)));
    return calls;
}

void StandInViewer::records() { setDefault(kPdf, L"VantrelTestViewer"); }

void StandInViewer::findsNone() { setDefault(kPdf, L"VantrelTestNoViewer"); }

std::string StandInViewer::runWords() { return "Windows started no program for PDF files"; }

std::string StandInViewer::openWords() {
    return "no application to open it was found (no program is set for PDF files)";
}

}  // namespace testsupport
