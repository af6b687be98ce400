#include "SetupType.h"

#include "CAppSettings.h"
#include "CUtils.h"
#include "FileNames.h"
#include "Installation.h"
#include "Setup.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

namespace vantrel {

namespace {

// Ends in the system's separator, whichever separator the folder was given with.
std::string withSlash(std::string path) {
    if (path.empty() || (path.back() != '/' && path.back() != '\\')) path += '\\';
    return platform::paths::toNative(path);
}

}  // namespace

SetupTypeFolders setupTypeFolders(const Installation& installation) {
    return {withSlash(installation.configFolder()), withSlash(installation.mappingFolder()),
            withSlash(installation.templatesFolder())};
}

SetupTypeFolders setupTypeFolders(const CAppSettings& settings) {
    const CUtils utils;
    return {withSlash(platform::paths::toNative(utils.checkMe(settings.ConfigDirectory()))),
            withSlash(platform::paths::toNative(utils.checkMe(settings.MappingDirectory()))),
            withSlash(platform::paths::toNative(utils.checkMe(settings.TemplatesDirectory())))};
}

std::optional<SetupType> SetupType::read(const SetupTypeFolders& folders, std::string_view name) {
    SetupType type;
    type.m_name = std::string(name);
    type.m_settingsPath = folders.config + setupFileName(name);
    const auto setup = platform::profile::readSection(type.m_settingsPath, "Setup", MaxValueBytes + 1);
    if (!setup.found()) return std::nullopt;
    type.m_setupName = setup.value("SetupName");
    type.m_mappingFile = setup.value("MappingFile");
    type.m_templateFile = setup.value("PDFTemplateSetupSheet");
    type.m_mappingFolder = folders.mapping;
    return type;
}

std::string SetupType::mappingPath() const {
    return m_mappingFile.empty() ? std::string() : m_mappingFolder + m_mappingFile;
}

bool SetupType::mappingRewrittenByRuns() const { return isRunMappingFileName(m_mappingFile); }

}  // namespace vantrel
