#include "SetupTypeFiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "FileNames.h"
#include "OptionGroups.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/PathText.h"
#include "platform/Text.h"

namespace vantrel::setuptype {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSource = "frmNewSetupType";
constexpr const char* kDefaultType = "RDX";
// A PDF form is copied whole; anything this large is no setup sheet.
constexpr std::uint64_t kMaxTemplateBytes = 256ull * 1024 * 1024;

std::string lastPart(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(dot + 1));
}

std::optional<platform::Error> writeText(const std::string& path, const std::string& bytes) {
    return platform::files::replaceAtomically(path, [&](int fd) {
        return platform::files::writeAll(fd, bytes) ? std::string() : platform::files::systemMessage(errno);
    });
}

void writeOrRaise(const std::string& path, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(platform::paths::pathOf(path).parent_path(), ec);
    if (const auto failed = writeText(path, bytes))
        platform::raise(platform::ErrPathAccess, kSource, "Cannot write " + path + ": " + failed->reason());
}

// The other setup types of the configuration folder, each as its settings
// file gives it.
std::vector<SetupType> otherTypes(const SetupTypeFolders& folders, std::string_view name) {
    std::vector<SetupType> out;
    std::error_code ec;
    for (fs::directory_iterator it(platform::paths::pathOf(folders.config), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::optional<std::string> type = setupTypeOfFileName(platform::paths::textOf(it->path().filename()));
        if (!type || *type == name) continue;
        if (std::optional<SetupType> other = SetupType::read(folders, *type)) out.push_back(std::move(*other));
    }
    return out;
}

}  // namespace

std::string normalisedFieldName(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = name[i];
        if (c == '[') {  // "[0]": the index of an XFA form's field, not its name
            const std::size_t close = name.find(']', i);
            if (close != std::string_view::npos &&
                std::all_of(name.begin() + i + 1, name.begin() + close, [](char d) { return d >= '0' && d <= '9'; })) {
                i = close;
                continue;
            }
        }
        if (c >= 0x80) out += char(c);  // letters of other scripts stay, as they are
        else if (std::isalnum(c)) out += char(std::tolower(c));
    }
    out = platform::text::toLower(out);
    if (out.rfind("fld", 0) == 0 && out.size() > 3) out.erase(0, 3);
    return out;
}

int matchingFormField(std::string_view sheetField, const std::vector<std::string>& formFields) {
    const std::string wanted = normalisedFieldName(sheetField);
    if (wanted.empty()) return -1;
    for (std::size_t pass = 0; pass < 2; ++pass)
        for (std::size_t i = 0; i < formFields.size(); ++i) {
            const std::string name = pass == 0 ? formFields[i] : lastPart(formFields[i]);
            if (normalisedFieldName(name) == wanted) return int(i);
        }
    return -1;
}

bool isMarkField(std::string_view sheetField) {
    static const std::set<std::string, std::less<>> marks = [] {
        std::set<std::string, std::less<>> out;
        for (const OptionRun& run : OptionRuns) {
            if (run.markPrefix.empty()) continue;
            if (!run.length.empty()) out.insert(std::string(run.markPrefix));
            for (int i = 0; i < run.count(); ++i)
                out.insert(std::string(run.markPrefix) + std::to_string(run.firstValue + i));
        }
        return out;
    }();
    return marks.count(sheetField) != 0;
}

std::vector<std::string> setupTypeNames(const std::string& configFolder) {
    std::vector<std::string> others;
    std::error_code ec;
    for (fs::directory_iterator it(platform::paths::pathOf(configFolder), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string file = platform::paths::textOf(it->path().filename());
        const std::optional<std::string> name = setupTypeOfFileName(file);
        if (!name) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        if (*name != kDefaultType) others.push_back(*name);
    }
    std::sort(others.begin(), others.end());
    others.insert(others.begin(), kDefaultType);
    return others;
}

std::string nameRefusal(std::string_view name) {
    if (name.empty()) return "A setup type needs a name.";
    if (name.front() == ' ' || name.back() == ' ' || name.back() == '.')
        return "The name \"" + std::string(name) +
               "\" begins or ends with a blank or ends with a point, which a file name cannot.";
    for (const unsigned char c : name)
        if (c < 0x20 || c == 0x7f || std::string_view("\\/:*?\"<>|").find(char(c)) != std::string_view::npos)
            return "The name \"" + std::string(name) +
                   "\" holds a character that a file name cannot hold (\\ / : * ? \" < > | or a control character).";
    if (!platform::text::isValidUtf8(name)) return "The name is not valid text.";
    if (name.size() > 200) return "The name is too long for a file name (at most 200 bytes).";
    if (const std::string mapping = mappingFileName(name); portableFileName(mapping) != mapping)
        return "The name \"" + std::string(name) +
               "\" is one that Windows keeps for a device (CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9), "
               "which a file name cannot be.";
    if (platform::text::toLower(name.substr(0, 8)) == "mapping_")
        return "The name \"" + std::string(name) +
               "\" begins with \"Mapping_\": its mapping file would be one that every run of another setup type "
               "rewrites.";
    return {};
}

std::string setupFilePath(const SetupTypeFolders& folders, std::string_view name) {
    return folders.config + setupFileName(name);
}

std::string conflictWithOtherTypes(const SetupTypeFolders& folders, std::string_view name) {
    const std::string mapping = mappingFileName(name);
    const std::string tmpl = templateFileName(name);
    const std::string rewritten = runMappingFileName(name);
    for (const SetupType& other : otherTypes(folders, name)) {
        const std::string where = "the setup type of " + other.settingsPath();
        if (other.mappingFile() == mapping)
            return "The mapping file " + folders.mapping + mapping + " belongs to " + where + ".";
        if (other.templateFile() == tmpl)
            return "The template " + folders.templates + tmpl + " belongs to " + where + ".";
        if (!other.setupName().empty() && runMappingFileName(other.setupName()) == mapping)
            return "Every run of " + where + " rewrites " + folders.mapping + mapping + ".";
        if (other.mappingFile() == rewritten)
            return "Every run of setup type " + std::string(name) + " would rewrite " + folders.mapping + rewritten +
                   ", the mapping file of " + where + ".";
    }
    return {};
}

void writeSetupType(const SetupTypeFolders& folders, std::string_view name, const std::string& pdfPath,
                    const std::vector<MappingLine>& mapping) {
    std::string pdf;
    const auto read = platform::files::readUserFile(pdfPath, pdf, kMaxTemplateBytes);
    if (read.status != platform::files::OpenStatus::Opened)
        platform::raise(platform::ErrFileNotFound, kSource,
                        "Cannot read " + pdfPath + (read.reason.empty() ? std::string() : ": " + read.reason));

    std::string lines;
    for (const auto& [position, field] : mapping) lines += std::to_string(position) + "=" + field + "\r\n";

    // The per-setup file last: a setup type shows up only once its files are there.
    writeOrRaise(folders.templates + templateFileName(name), pdf);
    writeOrRaise(folders.mapping + mappingFileName(name), lines);
    writeOrRaise(setupFilePath(folders, name), "[Setup]\r\nSetupName=" + std::string(name) +
                                                   "\r\nMappingFile=" + mappingFileName(name) +
                                                   "\r\nPDFTemplateSetupSheet=" + templateFileName(name) + "\r\n");
}

FirstPage firstPageWidgets(const std::vector<pdfauto::PageInfo>& pages, const std::vector<pdfauto::FieldInfo>& fields) {
    FirstPage out;
    if (pages.empty()) return out;
    const pdfauto::PageInfo& page = pages.front();
    const pdfauto::Rect& box = page.cropBox;
    const double w = box.width(), h = box.height();
    const bool turned = page.rotation == 90 || page.rotation == 270;
    out.width = turned ? h : w;
    out.height = turned ? w : h;
    // A point of the page where it shows once the page is turned clockwise.
    auto shown = [&](double x, double y) -> std::pair<double, double> {
        x -= box.left;
        y -= box.bottom;
        switch (page.rotation) {
        case 90: return {y, w - x};
        case 180: return {w - x, h - y};
        case 270: return {h - y, x};
        default: return {x, y};
        }
    };
    for (const pdfauto::FieldInfo& field : fields)
        for (const pdfauto::WidgetInfo& widget : field.widgets) {
            if (widget.page != 1) continue;
            const auto [ax, ay] = shown(widget.rect.left, widget.rect.bottom);
            const auto [bx, by] = shown(widget.rect.right, widget.rect.top);
            out.widgets.push_back({field.name, std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)});
        }
    return out;
}

}  // namespace vantrel::setuptype
