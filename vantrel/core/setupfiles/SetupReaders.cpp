#include "SetupReaders.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

#include "CAppSettings.h"
#include "CDataBuilder.h"
#include "CRulesEngine.h"
#include "FileNames.h"
#include "FormFieldMap.h"
#include "OptionGroups.h"
#include "SetupControls.h"
#include "library/SetupImport.h"
#include "library/TrackHistory.h"
#include "pdfauto/Document.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/PathText.h"
#include "platform/Text.h"

namespace vantrel {

namespace {

constexpr const char* kSource = "readSetupFile";

[[noreturn]] void refuse(int number, const std::string& path, const std::string& why) {
    platform::raiseAboutFile(number, kSource, "Cannot open the setup", path, why);
}

bool isPdf(const std::string& bytes) {
    // Readers accept the header anywhere in the first kilobyte, but a profile
    // file with "%PDF-" in a value has a section or an entry before it.
    const std::size_t header = bytes.find("%PDF-");
    return header < 1024 && bytes.find_first_of("[=") > header;
}

// One file as the readers see it: its bytes read once, a PDF parsed once.
class SetupSource {
public:
    SetupSource(std::string path, std::string bytes, const SetupTypeFolders& folders)
        : m_path(std::move(path)), m_bytes(std::move(bytes)), m_folders(folders) {}

    const std::string& path() const { return m_path; }
    const std::string& bytes() const { return m_bytes; }
    bool isPdf() const { return vantrel::isPdf(m_bytes); }

    pdfauto::Document& document() {
        if (!m_document) {
            try {
                // From the bytes already read: the file is opened once.
                m_document = std::make_unique<pdfauto::Document>(m_path, m_bytes);
            } catch (const platform::Error& e) {
                refuse(e.number(), m_path, e.reason());
            }
        }
        return *m_document;
    }

    const pdfauto::FieldInfo* field(const std::string& name) {
        formFields();
        const auto it = m_byName.find(name);
        return it == m_byName.end() ? nullptr : &m_fields[it->second];
    }

    // The setup type the file name gives, as a run names a sheet.
    std::string typeFromName() const {
        const std::optional<SheetName> name = parseSheetName(m_path);
        return name ? name->setupType : std::string();
    }

    // Which form field shows which sheet field, and the setup type it is of:
    // the type the name gives, else the RDX sheet's "fld" fields, else the
    // own setup type whose mapping the form's fields answer best. Nothing
    // when the form shows no sheet field at all.
    struct Layout {
        SheetLayout fields;
        std::string setupType;
        bool own = false;  // read through a mapping file of the racer's own
    };
    const std::optional<Layout>& layout() {
        if (!m_layoutDone) {
            m_layoutDone = true;
            m_layout = findLayout();
        }
        return m_layout;
    }

    // The sheet's 112 values through the layout; present: the form has the field.
    CRulesEngine::SheetValues sheetValues(const SheetLayout& layout, std::array<bool, SheetFieldCount>* present) {
        CRulesEngine::SheetValues sheet;
        for (const MappedField& mapped : layout) {
            const pdfauto::FieldInfo* info = field(mapped.formField);
            if (!info) continue;
            if (present) (*present)[mapped.sheetField] = true;
            // A check box or radio button counts as marked in any state but Off.
            if (info->kind == "checkbox" || info->kind == "radiobutton")
                sheet[mapped.sheetField] = info->value.empty() || info->value == "Off" ? "" : "l";
            else sheet[mapped.sheetField] = info->value;
        }
        return sheet;
    }

private:
    void formFields() {
        if (m_fieldsDone) return;
        m_fieldsDone = true;
        try {
            m_fields = document().fields();
        } catch (const platform::Error&) {
            // No form at all.
        }
        for (std::size_t k = 0; k < m_fields.size(); ++k) m_byName.emplace(m_fields[k].name, k);
    }

    std::size_t present(const SheetLayout& layout) {
        return std::size_t(std::count_if(layout.begin(), layout.end(),
                                         [this](const MappedField& m) { return field(m.formField) != nullptr; }));
    }

    // A setup type's layout: the RDX sheet's own for a type whose mapping
    // file every run writes anew ("Mapping_" + name), else its mapping file.
    std::optional<Layout> layoutOfType(const std::string& type) {
        if (type.empty()) return std::nullopt;
        const std::optional<SetupType> setupType = SetupType::read(m_folders, type);
        if (!setupType || setupType->mappingFile().empty() || setupType->mappingRewrittenByRuns()) return std::nullopt;
        auto fields = readMappingFile(setupType->mappingPath());
        if (!fields || fields->empty()) return std::nullopt;
        return Layout{std::move(*fields), type, true};
    }

    std::optional<Layout> findLayout() {
        if (auto named = layoutOfType(typeFromName()); named && present(named->fields)) return named;
        Layout rdx{rdxLayout(), typeFromName(), false};
        if (present(rdx.fields)) return rdx;
        std::optional<Layout> best;
        std::size_t bestCount = 0;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(platform::paths::pathOf(m_folders.config), ec), end;
             !ec && it != end; it.increment(ec)) {
            const std::string file = platform::paths::textOf(it->path().filename());
            const std::optional<std::string> type = setupTypeOfFileName(file);
            if (!type) continue;
            auto candidate = layoutOfType(*type);
            if (!candidate) continue;
            // Most of its mapping must be on the form: a few common names are no sign.
            const std::size_t count = present(candidate->fields);
            if (count > bestCount && 2 * count >= candidate->fields.size()) {
                bestCount = count;
                best = std::move(candidate);
            }
        }
        return best;
    }

    std::string m_path;
    std::string m_bytes;
    const SetupTypeFolders& m_folders;
    std::unique_ptr<pdfauto::Document> m_document;
    std::vector<pdfauto::FieldInfo> m_fields;
    std::unordered_map<std::string, std::size_t> m_byName;
    bool m_fieldsDone = false;
    std::optional<Layout> m_layout;
    bool m_layoutDone = false;
};

class SetupReader {
public:
    virtual ~SetupReader() = default;
    // The setup, or nothing when the file is not of this reader's kind.
    virtual std::optional<SetupRead> read(SetupSource& source) const = 0;
};

class RawDataReader final : public SetupReader {
public:
    std::optional<SetupRead> read(SetupSource& source) const override {
        if (source.isPdf()) return std::nullopt;
        auto values = Setup::fromRawData(source.bytes());
        if (!values) return std::nullopt;
        return SetupRead{*values, {}, SetupOrigin::RawDataFile, {}};
    }
};

// The setup attached to the sheet (under its own name first, else any raw
// data file attached), with the fields edited since taken from the sheet.
class AttachedSetupReader final : public SetupReader {
public:
    std::optional<SetupRead> read(SetupSource& source) const override {
        if (!source.isPdf()) return std::nullopt;
        pdfauto::Document& document = source.document();
        const std::string own = setupAttachmentName(source.path());
        std::vector<std::string> names = document.attachmentNames();
        std::stable_partition(names.begin(), names.end(), [&own](const std::string& name) { return name == own; });
        for (const std::string& name : names) {
            if (name != own && !platform::text::toLower(name).ends_with(".dat")) continue;
            std::optional<Setup> attached;
            try {
                attached = Setup::fromRawData(document.attachment(name, platform::files::UserFileLimit));
            } catch (const platform::Error& e) {
                // A setup is a few kB: one that inflates past the bound is no setup but a trap.
                if (e.number() == pdfauto::Document::AttachmentTooLarge)
                    refuse(platform::ErrPathAccess, source.path(),
                           "the attached setup is larger than " +
                               std::to_string(platform::files::UserFileLimit / (1024 * 1024)) + " MiB");
                // An attachment that cannot be read otherwise: the form fields still tell.
            }
            if (!attached) continue;
            SetupRead read{*attached, source.typeFromName(), SetupOrigin::Attachment, {}};
            if (const auto& layout = source.layout()) {
                if (read.setupType.empty() && layout->own) read.setupType = layout->setupType;
                takeEdits(source, *layout, read);
            }
            return read;
        }
        return std::nullopt;
    }

private:
    // Where the form shows other than what the rules make of the attachment,
    // the form is newer: merged into the rules' sheet, the inverse of the
    // rules gives the setup fields those sheet fields come from.
    static void takeEdits(SetupSource& source, const SetupSource::Layout& layout, SetupRead& read) {
        CAppSettings attached;
        attached.setSetup(read.values);
        const CRulesEngine::SheetValues made = CRulesEngine::SheetFrom(attached);
        std::array<bool, SheetFieldCount> present{};
        const CRulesEngine::SheetValues shown = source.sheetValues(layout.fields, &present);

        std::array<bool, SheetFieldCount> edited{};
        for (const MappedField& mapped : layout.fields) {
            const std::size_t i = mapped.sheetField;
            if (!present[i]) continue;
            const auto origin = CRulesEngine::SourceOf(SheetField(i));
            if (origin.mark) {
                edited[i] = edited[i] || marked(made[i]) != marked(shown[i]);
                continue;
            }
            // A value the field's length cut at the fill is no edit.
            const pdfauto::FieldInfo* info = source.field(mapped.formField);
            const bool asFilled =
                shown[i] == made[i] ||
                (info && info->maxLength > 0 && shown[i] == firstCharacters(made[i], std::size_t(info->maxLength)));
            edited[i] = edited[i] || !asFilled;
        }

        CRulesEngine::SheetValues merged = made;
        for (std::size_t i = 0; i < SheetFieldCount; ++i)
            if (edited[i]) merged[i] = shown[i];
        // A mark newly set in a group replaces the group's marks left standing.
        for (std::size_t i = 0; i < SheetFieldCount; ++i) {
            const auto origin = CRulesEngine::SourceOf(SheetField(i));
            if (!edited[i] || !origin.mark || !marked(shown[i])) continue;
            for (std::size_t k = 0; k < SheetFieldCount; ++k) {
                const auto other = CRulesEngine::SourceOf(SheetField(k));
                if (!edited[k] && other.mark && other.fields[0] == origin.fields[0]) merged[k].clear();
            }
        }
        const Setup fromSheet = CRulesEngine::SetupFromSheet(merged);
        for (std::size_t i = 0; i < SheetFieldCount; ++i) {
            if (!edited[i]) continue;
            const auto origin = CRulesEngine::SourceOf(SheetField(i));
            for (std::size_t k = 0; k < origin.count; ++k) {
                const SetupField field = origin.fields[k];
                read.values[std::size_t(field)] = fromSheet[std::size_t(field)];
                if (std::find(read.fromEdits.begin(), read.fromEdits.end(), field) == read.fromEdits.end())
                    read.fromEdits.push_back(field);
            }
        }
        std::sort(read.fromEdits.begin(), read.fromEdits.end());
    }
};

// A sheet without its setup: the fields the layout names, through the
// inverse of the rules; sheet fields the form does not show stay empty.
class SheetFieldsReader final : public SetupReader {
public:
    explicit SheetFieldsReader(bool own) : m_own(own) {}
    std::optional<SetupRead> read(SetupSource& source) const override {
        if (!source.isPdf()) return std::nullopt;
        const auto& layout = source.layout();
        if (!layout || layout->own != m_own) return std::nullopt;
        return SetupRead{CRulesEngine::SetupFromSheet(source.sheetValues(layout->fields, nullptr)),
                         layout->setupType,
                         m_own ? SetupOrigin::OwnSetupType : SetupOrigin::SheetFields,
                         {}};
    }

private:
    bool m_own;
};

// In the order they are asked: the first that knows the file reads it.
const std::vector<std::unique_ptr<SetupReader>>& setupReaders() {
    static const auto readers = [] {
        std::vector<std::unique_ptr<SetupReader>> list;
        list.push_back(std::make_unique<RawDataReader>());
        list.push_back(std::make_unique<AttachedSetupReader>());
        list.push_back(std::make_unique<SheetFieldsReader>(true));
        list.push_back(std::make_unique<SheetFieldsReader>(false));
        return list;
    }();
    return readers;
}

}  // namespace

SetupRead readSetup(const std::string& path, const SetupTypeFolders& folders) {
    std::string bytes;
    const platform::files::UserFile file = platform::files::readUserFile(path, bytes);
    switch (file.status) {
    case platform::files::OpenStatus::Opened: break;
    case platform::files::OpenStatus::Missing: refuse(platform::ErrFileNotFound, path, "there is no such file");
    case platform::files::OpenStatus::Refused: refuse(platform::ErrPathAccess, path, file.reason);
    case platform::files::OpenStatus::Failed:
        refuse(platform::ErrPathAccess, path, file.reason.empty() ? "it cannot be read" : file.reason);
    }
    return readSetupBytes(path, std::move(bytes), folders);
}

SetupRead readSetupBytes(const std::string& path, std::string bytes, const SetupTypeFolders& folders) {
    if (bytes.size() > platform::files::UserFileLimit)
        refuse(platform::ErrPathAccess, path,
               "it is larger than " + std::to_string(platform::files::UserFileLimit / (1024 * 1024)) + " MiB");
    SetupSource source(path, std::move(bytes), folders);
    for (const auto& reader : setupReaders())
        if (auto read = reader->read(source)) return std::move(*read);
    if (source.isPdf())
        refuse(platform::ErrInvalidArgument, path, "it is not a setup sheet (it has none of the sheet's fields)");
    refuse(platform::ErrInvalidArgument, path,
           "it is not a setup (neither a raw data file with a [SetupData] section nor a setup sheet)");
}

std::string editsNote(const SetupRead& read) {
    if (read.fromEdits.empty()) return {};
    // In the window's words: a field's caption, with its tab and frame where
    // another field shares the caption ("Front Shocks Oil").
    auto caption = [](SetupField field) {
        const std::string_view own = SetupControls[std::size_t(field)].caption;
        const auto sharing = std::count_if(SetupControls.begin(), SetupControls.end(),
                                           [own](const SetupControl& c) { return c.caption == own; });
        return sharing > 1 ? library::fieldCaption(field) : std::string(own);
    };
    std::string note = "from the sheet's edits: ";
    for (std::size_t k = 0; k < read.fromEdits.size(); ++k) note += (k ? ", " : "") + caption(read.fromEdits[k]);
    return note;
}

}  // namespace vantrel
