#include "FileNames.h"

#include <regex>

#include "platform/Text.h"

namespace vantrel {

namespace {

constexpr std::string_view kSetupPrefix = "Setup_", kSetupSuffix = ".ini";
constexpr std::string_view kSheetMiddle = "_SetupSheet_";

// Device names Windows keeps for itself whatever follows a dot: "CON",
// "con.pdf" and "Com1 .txt" open the device, not a file.
bool isDeviceName(std::string_view stem) {
    static constexpr std::string_view kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    std::string upper;
    for (const char c : stem) upper += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    for (const std::string_view device : kDevices)
        if (upper == device) return true;
    if (upper.size() < 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0)) return false;
    const std::string_view digit = std::string_view(upper).substr(3);
    // The digits 0 to 9, and the superscripts one, two and three (UTF-8).
    return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2" ||
           digit == "\xC2\xB3";
}

}  // namespace

std::string portableNamePart(std::string_view text) {
    std::string out = platform::text::decode8Bit(text);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) c = '_';
    }
    return out;
}

std::string portableFileName(std::string_view name) {
    std::string out = portableNamePart(name);
    // Windows drops dots and blanks at the end of a name: they stand as "_".
    for (std::size_t i = out.size(); i > 0 && (out[i - 1] == '.' || out[i - 1] == ' '); --i) out[i - 1] = '_';
    const std::size_t dot = out.find('.');
    std::size_t stemEnd = dot == std::string::npos ? out.size() : dot;
    while (stemEnd > 0 && out[stemEnd - 1] == ' ') --stemEnd;
    if (isDeviceName(std::string_view(out).substr(0, stemEnd))) out.insert(stemEnd, "_");
    return out.empty() ? std::string("_") : out;
}

std::string foldedFileName(std::string_view name) {
    std::u32string chars = platform::text::toUtf32(name);
    for (char32_t& c : chars) {
        if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
            (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
            c += 0x20;
        else if (c >= 0x400 && c <= 0x40F) c += 0x50;
        else if (c == 0x178) c = 0xFF;
        else if (((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) && c % 2 == 0) c += 1;
        else if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && c % 2 == 1) c += 1;
    }
    return platform::text::fromUtf32(chars);
}

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
    return portableFileName(out + ".pdf");
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
