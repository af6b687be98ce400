#pragma once
// A setup type as the installation configures it: the three folders its
// files lie in, and its settings file (Config/Setup_NAME.ini, section "Setup":
// SetupName, MappingFile, PDFTemplateSetupSheet) read once. The run reads the
// same file through its settings object (LoadProperties); the readers of
// sheets and New Setup Type read it here.

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

class CAppSettings;
class Installation;

// The folders of the setup types, native, each ending in "/".
struct SetupTypeFolders {
    std::string config;     // Setup_NAME.ini
    std::string mapping;    // their mapping files
    std::string templates;  // their templates
};
SetupTypeFolders setupTypeFolders(const Installation& installation);
// As a run's settings object composed them.
SetupTypeFolders setupTypeFolders(const CAppSettings& settings);

class SetupType {
public:
    // Setup type NAME of these folders, its settings file read once; nothing
    // when the file is not there or holds no section "Setup".
    static std::optional<SetupType> read(const SetupTypeFolders& folders, std::string_view name);

    const std::string& name() const { return m_name; }
    // Its settings file, native.
    const std::string& settingsPath() const { return m_settingsPath; }
    // As its settings file gives them.
    const std::string& setupName() const { return m_setupName; }
    const std::string& mappingFile() const { return m_mappingFile; }
    const std::string& templateFile() const { return m_templateFile; }
    // The mapping file in the mapping folder; empty when none is named.
    std::string mappingPath() const;
    // Whether its mapping file is one that every run writes anew
    // (runMappingFileName), as the RDX type's is, rather than one of its own.
    bool mappingRewrittenByRuns() const;

private:
    SetupType() = default;
    std::string m_name, m_settingsPath, m_setupName, m_mappingFile, m_templateFile, m_mappingFolder;
};

}  // namespace vantrel
