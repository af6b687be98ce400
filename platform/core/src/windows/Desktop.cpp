#include "platform/Desktop.h"

#include <windows.h>

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/windows/Wide.h"
#include "platform/Text.h"

// The Windows half: a shortcut (<name>.lnk) in the user's Start menu
// (FOLDERID_Programs), made through IShellLinkW and saved through
// IPersistFile. The shortcut's description carries the maker's marker as
// "key=value"; its icon is the program's own. There are no menu icons or
// file-type entries to write: the shortcut is the entry.
namespace platform::desktop {

namespace {

using platform::windows::utf8;
using platform::windows::wide;

std::string programsFolder() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Programs, KF_FLAG_CREATE, nullptr, &path))) folder = utf8(path);
    ::CoTaskMemFree(path);
    return folder;
}

// COM for the calls of one function, on whichever thread makes them.
class ComScope {
public:
    ComScope() : m_result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(m_result)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_result;
};

template <class T>
class Com {
public:
    Com() = default;
    ~Com() {
        if (m_p) m_p->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T** put() { return &m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

std::string failure(const std::string& what, HRESULT result) {
    return what + " failed (" + platform::windows::errorMessage(static_cast<unsigned long>(result)) + ")";
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string menuName() { return "the Start menu"; }
std::string menuTitle() { return "Start Menu"; }

std::string programFile(const std::string& folder, const std::string& name) { return folder + "\\" + name + ".exe"; }

std::string uncarriableReason(const std::string& nativePath) {
    if (!platform::text::isValidUtf8(nativePath)) return "holds bytes that are not UTF-8";
    // Named, as an invisible one (a C1 control) cannot be seen in the folder's name.
    for (std::size_t i = 0; i < nativePath.size(); ++i) {
        const auto c = static_cast<unsigned char>(nativePath[i]);
        const bool c1 = c == 0xC2 && i + 1 < nativePath.size() && static_cast<unsigned char>(nativePath[i + 1]) <= 0x9F;
        if (c < 0x20 || c == 0x7F || c1)
            return "holds a control character (" + platform::text::printable(nativePath.substr(i, c1 ? 2 : 1)) + ")";
    }
    // A shortcut's target expands %NAME% as an environment variable.
    if (nativePath.find('%') != std::string::npos) return "holds a \"%\"";
    const bool drive = nativePath.size() > 2 && nativePath[1] == ':' && nativePath[2] == '\\';
    const bool share = nativePath.rfind("\\\\", 0) == 0;
    if (!drive && !share) return "is not a full path";
    if (wide(nativePath).size() >= MAX_PATH) return "is longer than a shortcut can hold";
    return {};
}

std::string entryPath(const std::string& id) {
    const std::string folder = programsFolder();
    return folder.empty() ? std::string() : folder + "\\" + id + ".lnk";
}

std::string iconPath(const std::string&) { return {}; }

std::string entryText(const MenuEntry& entry, bool) {
    if (!uncarriableReason(entry.program).empty()) return {};
    return entry.program + "\n" + entry.markerKey + "=" + entry.markerValue + "\n";
}

std::string writeMenuEntry(const MenuEntry& entry) {
    if (const std::string why = uncarriableReason(entry.program); !why.empty()) return "the program's path " + why;
    const std::string path = entryPath(entry.id);
    if (path.empty()) return "the Start menu's folder is not known";
    ComScope com;
    Com<IShellLinkW> link;
    HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                        reinterpret_cast<void**>(link.put()));
    if (FAILED(result)) return failure("making the shortcut", result);
    link->SetPath(wide(entry.program).c_str());
    link->SetWorkingDirectory(wide(folderOf(entry.program)).c_str());
    link->SetIconLocation(wide(entry.program).c_str(), 0);
    link->SetDescription(wide(entry.markerKey + "=" + entry.markerValue).c_str());
    Com<IPersistFile> file;
    result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()));
    if (FAILED(result)) return failure("saving the shortcut", result);
    // IPersistFile writes the whole shortcut or fails; the marker read back proves it.
    result = file->Save(wide(path).c_str(), TRUE);
    if (FAILED(result)) return failure("writing " + path, result);
    const ExistingEntry written = readMenuEntry(entry.id, entry.markerKey);
    if (!written.marker || *written.marker != entry.markerValue) return path + " reads back without its folder";
    return {};
}

ExistingEntry readMenuEntry(const std::string& id, const std::string& markerKey) {
    ExistingEntry existing;
    const std::string path = entryPath(id);
    if (path.empty() || ::GetFileAttributesW(wide(path).c_str()) == INVALID_FILE_ATTRIBUTES) return existing;
    existing.present = true;
    ComScope com;
    Com<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(link.put()))))
        return existing;
    Com<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) ||
        FAILED(file->Load(wide(path).c_str(), STGM_READ)))
        return existing;
    wchar_t description[INFOTIPSIZE] = {};
    if (FAILED(link->GetDescription(description, INFOTIPSIZE))) return existing;
    const std::string text = utf8(description);
    const std::string prefix = markerKey + "=";
    if (!markerKey.empty() && text.rfind(prefix, 0) == 0) existing.marker = text.substr(prefix.size());
    return existing;
}

}  // namespace platform::desktop
