// The child started by CreateProcessW on a command line quoted as the C
// runtime splits it again (CommandLineToArgvW's rules), its output on
// inheritable handles of the two files.

#include <windows.h>

#include <fstream>

#include "ChildProcess.h"

namespace testsupport {

namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

// One argument as the runtime's parser gives it back: quoted when it holds a
// blank or a quote or is empty; backslashes doubled only before a quote.
std::wstring quotedArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    for (std::size_t i = 0;; ++i) {
        std::size_t backslashes = 0;
        while (i < arg.size() && arg[i] == L'\\') ++backslashes, ++i;
        if (i == arg.size()) {
            out.append(backslashes * 2, L'\\');
            break;
        }
        if (arg[i] == L'"') out.append(backslashes * 2 + 1, L'\\');
        else out.append(backslashes, L'\\');
        out += arg[i];
    }
    return out + L"\"";
}

HANDLE inheritable(const std::filesystem::path& file, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    return CreateFileW(file.wstring().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &attributes, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// What the child wrote, read back as text as the C runtime reads it: its
// text mode ends lines with CR LF, given here as the LF it was written as.
std::string text(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) out += bytes[i];
    return out;
}

}  // namespace

ChildResult runChild(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                     const std::filesystem::path& folder, const std::filesystem::path& outFile,
                     const std::filesystem::path& errFile) {
    const std::wstring application = program.wstring();
    std::wstring commandLine = quotedArgument(application);
    for (const std::string& arg : arguments) commandLine += L" " + quotedArgument(wide(arg));

    const HANDLE in = inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
    const HANDLE out = inheritable(outFile, GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE err = inheritable(errFile, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, folder.wstring().c_str(), &startup, &process);
    for (HANDLE h : {in, out, err})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (!started) return {-1, {}, "could not start " + program.string()};

    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = DWORD(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {int(code), text(outFile), text(errFile)};
}

std::string executableName(const std::string& name) { return name + ".exe"; }

}  // namespace testsupport
