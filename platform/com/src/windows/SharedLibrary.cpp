#include "SharedLibrary.h"

#include <windows.h>

#include "platform/windows/Wide.h"

#include <string_view>

namespace com::shared {

namespace {

using platform::windows::wide;

std::string message(DWORD error) {
    char* text = nullptr;
    const DWORD n =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string why = n && text ? std::string(text, n) : "Windows error " + std::to_string(error);
    if (text) ::LocalFree(text);
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ')) why.pop_back();
    return why;
}

}  // namespace

void* load(const std::string& nativePath, std::string& why) {
    // The library's own folder is searched for what it links, as beside a program.
    HMODULE module = ::LoadLibraryExW(wide(nativePath).c_str(), nullptr,
                                      LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (!module) why = message(::GetLastError());
    return reinterpret_cast<void*>(module);
}

void* entryPoint(void* library, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void unload(void* library) { ::FreeLibrary(static_cast<HMODULE>(library)); }

std::string fileOf(const void* address) {
    HMODULE module = nullptr;
    if (!address ||
        !::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module))
        return {};
    std::wstring path(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(module, path.data(), DWORD(path.size()));
    if (n == 0 || n >= path.size()) return {};
    path.resize(n);
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, path.data(), int(n), nullptr, 0, nullptr, nullptr);
    std::string file(std::size_t(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) ::WideCharToMultiByte(CP_UTF8, 0, path.data(), int(n), file.data(), bytes, nullptr, nullptr);
    return file;
}

}  // namespace com::shared
