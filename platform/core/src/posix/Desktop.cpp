#include "platform/Desktop.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Files.h"
#include "platform/Text.h"

extern char** environ;

namespace platform::desktop {

namespace {

constexpr std::uint64_t kLargestEntry = 64 * 1024;
constexpr int kQueryWaitMs = 5000;

std::string dataHome() {
    // A relative XDG_DATA_HOME is to be ignored, as the base directory rules say.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') return data;
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return std::string(home) + "/.local/share";
    return {};
}

// The string escapes of a Desktop Entry value; a blank at either end might
// be trimmed by a reader, so it is written \s.
std::string stringValue(std::string_view text) {
    std::string value;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\': value += "\\\\"; break;
        case '\n': value += "\\n"; break;
        case '\t': value += "\\t"; break;
        case '\r': value += "\\r"; break;
        case ' ': value += i == 0 || i + 1 == text.size() ? "\\s" : " "; break;
        default: value += c;
        }
    }
    return value;
}

std::string unescapedValue(std::string_view value) {
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const char next = value[++i];
        text += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next == 's' ? ' ' : next;
    }
    return text;
}

// Exec: the program as one quoted argument (inside the quotes \ " ` $ are
// escaped, a literal % is %%), then the file, as a string value.
std::string execValue(std::string_view program) {
    std::string quoted = "\"";
    for (const char c : program) {
        if (c == '\\' || c == '"' || c == '`' || c == '$') quoted += '\\';
        quoted += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return stringValue(quoted + "\" %f");
}

bool isKeyName(std::string_view key) {
    if (key.empty()) return false;
    for (const char c : key)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return false;
    return true;
}

bool isId(std::string_view id) {
    if (id.empty() || id[0] == '.' || id[0] == '-') return false;
    for (const char c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
              c == '.'))
            return false;
    return true;
}

std::string makeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return part + ": " + files::systemMessage(errno);
        if (slash == std::string::npos) break;
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return folder + ": not a folder";
    return {};
}

std::string writeWhole(const std::string& path, std::string_view bytes) {
    if (std::string failed = makeFolders(path.substr(0, path.rfind('/'))); !failed.empty()) return failed;
    const auto failed = files::replaceAtomically(
        path, [&](int fd) { return files::writeAll(fd, bytes) ? std::string() : files::systemMessage(errno); });
    return failed ? path + ": " + failed->reason() : std::string();
}

// The program's first line of output, or empty when it could not be started,
// failed or took too long (it is then ended). Nothing of ours reaches it.
std::string runTool(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    const int spawned = ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return {};
    }
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kQueryWaitMs);
    bool ended = false;
    while (text.size() < 4096) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd ready{out[0], POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(left.count()));
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) break;
        char chunk[512];
        const ssize_t got = ::read(out[0], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ended = got == 0;
            break;
        }
        text.append(chunk, std::size_t(got));
    }
    ::close(out[0]);
    if (!ended) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    text = text.substr(0, text.find('\n'));
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace

std::string entryPath(const std::string& id) {
    const std::string home = dataHome();
    return home.empty() ? std::string() : home + "/applications/" + id + ".desktop";
}

std::string iconPath(const std::string& id) {
    const std::string home = dataHome();
    return home.empty() ? std::string() : home + "/icons/hicolor/scalable/apps/" + id + ".svg";
}

std::string menuName() { return "the desktop's application menu"; }
std::string menuTitle() { return "Application Menu"; }

std::string programFile(const std::string& folder, const std::string& name) { return folder + "/" + name; }

std::string uncarriableReason(const std::string& nativePath) {
    if (nativePath.empty() || nativePath[0] != '/') return "is not a full path";
    if (!text::isValidUtf8(nativePath)) return "holds bytes that are not UTF-8, and a menu entry is UTF-8";
    // Launchers (GLib's) look for the program before they undo "%%", and
    // launch it after: with a "%" in its path no written form starts it.
    if (nativePath.find('%') != std::string::npos)
        return "holds a \"%\", which the desktop's launchers read as a field code";
    for (std::size_t i = 0; i < nativePath.size(); ++i) {
        const auto c = static_cast<unsigned char>(nativePath[i]);
        const bool c1 = c == 0xC2 && i + 1 < nativePath.size() &&
                        static_cast<unsigned char>(nativePath[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(nativePath[i + 1]) <= 0x9F;
        if (c < 0x20 || c == 0x7F || c1)
            return "holds a control character (" + text::printable(nativePath.substr(i, c1 ? 2 : 1)) +
                   "), which a menu entry's command cannot carry safely";
    }
    return {};
}

std::string entryText(const MenuEntry& entry, bool offerMimeType) {
    if (!uncarriableReason(entry.program).empty()) return {};
    std::string text = "[Desktop Entry]\nType=Application\nName=" + stringValue(entry.name) + "\n";
    for (const auto& [key, value] : entry.details)
        if (isKeyName(key)) text += key + "=" + stringValue(value) + "\n";
    text += "Exec=" + execValue(entry.program) + "\n";
    text += "Icon=" + entry.id + "\n";
    if (isKeyName(entry.markerKey)) text += entry.markerKey + "=" + stringValue(entry.markerValue) + "\n";
    if (offerMimeType && !entry.mimeType.empty()) text += "MimeType=" + stringValue(entry.mimeType) + ";\n";
    return text;
}

std::string writeMenuEntry(const MenuEntry& entry) {
    if (!isId(entry.id)) return "the entry's name \"" + text::printable(entry.id) + "\" is no file name";
    if (const std::string why = uncarriableReason(entry.program); !why.empty())
        return "the program's path " + text::printable(entry.program) + " " + why;
    for (const auto& [key, value] : entry.details)
        if (!isKeyName(key)) return "the key \"" + text::printable(key) + "\" is no key of a menu entry";
    if (!entry.markerKey.starts_with("X-") || !isKeyName(entry.markerKey))
        return "the marker \"" + text::printable(entry.markerKey) + "\" is no key of a maker's own";
    if (entryPath(entry.id).empty()) return "there is no HOME to put a menu entry in";

    // The program opens files of the type given to it ("Open with") but must
    // not become what opens them all: it is offered for them only where
    // another application opens them, and that one is kept as their default.
    std::string viewer;
    if (!entry.mimeType.empty()) viewer = runTool({"xdg-mime", "query", "default", entry.mimeType});
    const bool offer = !viewer.empty() && viewer != entry.id + ".desktop" && isId(viewer);
    if (std::string failed = writeWhole(iconPath(entry.id), entry.iconSvg); !failed.empty()) return failed;
    if (std::string failed = writeWhole(entryPath(entry.id), entryText(entry, offer)); !failed.empty()) return failed;
    if (offer) runTool({"xdg-mime", "default", viewer, entry.mimeType});
    return {};
}

ExistingEntry readMenuEntry(const std::string& id, const std::string& markerKey) {
    ExistingEntry existing;
    const std::string path = entryPath(id);
    if (path.empty() || !isId(id)) return existing;
    std::string bytes;
    const files::UserFile file = files::readUserFile(path, bytes, kLargestEntry);
    if (file.status == files::OpenStatus::Missing) return existing;
    // One that cannot be read is the user's all the same: it is kept.
    existing.present = true;
    if (file.status != files::OpenStatus::Opened) return existing;
    bool mainGroup = false;
    std::string_view rest(bytes);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.starts_with('[')) {
            mainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!mainGroup || !line.starts_with(markerKey)) continue;
        std::string_view value = line.substr(markerKey.size());
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        if (!value.starts_with('=')) continue;
        value.remove_prefix(1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        existing.marker = unescapedValue(value);
        break;
    }
    return existing;
}

}  // namespace platform::desktop
