#include "SetupFile.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "CDataBuilder.h"
#include "CRulesEngine.h"
#include "pdfauto/Document.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace vantrel {

namespace {

constexpr const char* kSource = "readSetupFile";
constexpr std::string_view kSection = "SetupData";

[[noreturn]] void refuse(int number, const std::string& path, const std::string& why) {
    platform::raise(number, kSource, "Cannot open the setup " + path + ": " + why);
}

bool isPdf(const std::string& bytes) {
    // Readers accept the header anywhere in the first kilobyte, but a profile
    // file with "%PDF-" in a value has a section or an entry before it.
    const std::size_t header = bytes.find("%PDF-");
    return header < 1024 && bytes.find_first_of("[=") > header;
}

// The 73 values of a raw data file's bytes, as LoadRawData reads them; none
// when the bytes hold no [SetupData] section.
std::optional<SetupValues> setupOfProfile(const std::string& bytes) {
    const platform::profile::SectionEntries entries =
        platform::profile::parseSection(bytes, kSection, MaxValueBytes + 1);
    if (!entries.found()) return std::nullopt;
    SetupValues values;
    for (std::size_t i = 0; i < SetupFieldCount; ++i) values[i] = entries.value(SetupFieldKeys[i]);
    return values;
}

SetupValues setupOfSheet(const std::string& path) {
    std::optional<pdfauto::Document> document;
    try {
        document.emplace(path);
    } catch (const platform::Error& e) {
        refuse(e.number(), path, "it is not a PDF that can be read (" + e.description() + ")");
    }

    // The setup the sheet was built from, when it carries one: under the
    // sheet's own name first, else any raw data file attached to it.
    const std::string own = setupAttachmentName(path);
    std::vector<std::string> names = document->attachmentNames();
    std::stable_partition(names.begin(), names.end(), [&own](const std::string& name) { return name == own; });
    for (const std::string& name : names) {
        if (name != own && !platform::text::toLower(name).ends_with(".dat")) continue;
        try {
            if (auto values = setupOfProfile(document->attachment(name))) return *values;
        } catch (const platform::Error&) {
            // An attachment that cannot be read: the form fields still tell.
        }
    }

    // Else the inverse of the rules over the "fld" fields.
    std::vector<pdfauto::FieldInfo> fields;
    try {
        fields = document->fields();
    } catch (const platform::Error&) {
        // No form at all.
    }
    CRulesEngine::SheetValues sheet;
    bool any = false;
    for (const pdfauto::FieldInfo& field : fields) {
        if (!field.name.starts_with("fld")) continue;
        const std::string_view name = std::string_view(field.name).substr(3);
        for (std::size_t i = 0; i < SheetFieldCount; ++i) {
            if (SheetFieldNames[i] != name) continue;
            any = true;
            // A check box or radio button counts as marked in any state but Off.
            if (field.kind == "checkbox" || field.kind == "radiobutton")
                sheet[i] = field.value.empty() || field.value == "Off" ? "" : "l";
            else sheet[i] = field.value;
        }
    }
    if (!any) refuse(platform::ErrInvalidArgument, path, "it is not a setup sheet (it has none of the sheet's fields)");
    return CRulesEngine::SetupFromSheet(sheet);
}

}  // namespace

std::string setupFileText(const SetupValues& values) {
    std::string text = "[SetupData]\r\n";
    for (std::size_t i = 0; i < SetupFieldCount; ++i) {
        text += SetupFieldKeys[i];
        text += '=';
        text += values[i];
        text += "\r\n";
    }
    return text;
}

std::string setupAttachmentName(const std::string& sheetNativePath) {
    std::string name = std::filesystem::path(sheetNativePath).filename().string();
    if (platform::text::toLower(name).ends_with(".pdf")) name.resize(name.size() - 4);
    return name + ".dat";
}

SetupValues readSetupFile(const std::string& path) {
    std::string bytes;
    const platform::files::UserFile file = platform::files::readUserFile(path, bytes);
    switch (file.status) {
    case platform::files::OpenStatus::Opened: break;
    case platform::files::OpenStatus::Missing: refuse(platform::ErrFileNotFound, path, "there is no such file");
    case platform::files::OpenStatus::Refused: refuse(platform::ErrPathAccess, path, file.reason);
    case platform::files::OpenStatus::Failed:
        refuse(platform::ErrPathAccess, path, file.reason.empty() ? "it cannot be read" : file.reason);
    }
    if (isPdf(bytes)) return setupOfSheet(path);
    if (auto values = setupOfProfile(bytes)) return *values;
    refuse(platform::ErrInvalidArgument, path,
           "it is not a setup (neither a raw data file with a [SetupData] section nor a setup sheet)");
}

void writeSetupFile(const std::string& path, const SetupValues& values) {
    const std::string text = setupFileText(values);
    const std::string failure = platform::files::replaceAtomically(path, [&text](int fd) {
        return platform::files::writeAll(fd, text) ? std::string() : platform::files::systemMessage(errno);
    });
    if (!failure.empty())
        platform::raise(platform::ErrPathAccess, "writeSetupFile", "Cannot write " + path + ": " + failure);
}

}  // namespace vantrel
