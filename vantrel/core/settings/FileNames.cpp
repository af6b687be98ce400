#include "FileNames.h"

#include <regex>

namespace vantrel {

namespace {

constexpr std::string_view kSetupPrefix = "Setup_", kSetupSuffix = ".ini";
constexpr std::string_view kSheetMiddle = "_SetupSheet_";

}  // namespace

std::string setupFileName(std::string_view setupType) {
    return std::string(kSetupPrefix) + std::string(setupType) + std::string(kSetupSuffix);
}

std::optional<std::string> setupTypeOfFileName(std::string_view fileName) {
    if (fileName.size() <= kSetupPrefix.size() + kSetupSuffix.size() || !fileName.starts_with(kSetupPrefix) ||
        !fileName.ends_with(kSetupSuffix))
        return std::nullopt;
    return std::string(
        fileName.substr(kSetupPrefix.size(), fileName.size() - kSetupPrefix.size() - kSetupSuffix.size()));
}

std::string mappingFileName(std::string_view setupType) { return std::string(setupType) + ".map"; }
std::string templateFileName(std::string_view setupType) { return "SetupSheet_" + std::string(setupType) + ".pdf"; }
std::string runMappingFileName(std::string_view setupName) { return "Mapping_" + std::string(setupName) + ".map"; }
bool isRunMappingFileName(std::string_view fileName) { return fileName.rfind("Mapping_", 0) == 0; }

std::string SheetName::fileName() const {
    std::string out = driver + std::string(kSheetMiddle) + setupType + "_" + date + "_" + time;
    if (number > 1) out += "-" + std::to_string(number);
    return out + ".pdf";
}

std::optional<SheetName> parseSheetName(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of("/\\");
    if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
    static const std::regex kName(R"(^(.*)_SetupSheet_(.+)_(\d{4}-\d{2}-\d{2})_(\d{6}\.\d{2})(?:-(\d{1,9}))?\.pdf$)",
                                  std::regex::icase);
    std::match_results<std::string_view::const_iterator> m;
    if (!std::regex_match(fileName.begin(), fileName.end(), m, kName)) return std::nullopt;
    SheetName out{m[1].str(), m[2].str(), m[3].str(), m[4].str(), 1};
    if (m[5].matched) out.number = std::stoi(m[5].str());
    return out;
}

}  // namespace vantrel
