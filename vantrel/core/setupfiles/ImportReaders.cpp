#include "ImportReaders.h"

#include <regex>

#include "SetupFile.h"
#include "platform/Error.h"
#include "platform/Text.h"

namespace vantrel {

namespace {

// Setup sheets: the setup attached to the sheet, else the one its fields
// give. The setup type is the one in the sheet's name, as a run names it
// (driver + "_SetupSheet_" + type + "_" + date + "_" + time), else the one
// given for raw data files.
class SheetFileReader : public library::SetupFileReader {
public:
    explicit SheetFileReader(std::string fallbackSetupType) : m_fallbackSetupType(std::move(fallbackSetupType)) {}

    bool claims(const std::filesystem::path& file) const override {
        return platform::text::toLower(file.extension().string()) == ".pdf";
    }

    std::optional<library::SetupEntry> read(const std::filesystem::path& file) const override {
        library::SetupEntry entry;
        try {
            entry.values = readSetupFile(file.string());
        } catch (const platform::Error& e) {
            // A file that holds no setup is no sheet; one that cannot be read says why.
            if (e.number() == platform::ErrInvalidArgument) return std::nullopt;
            throw;
        }
        entry.setupType = setupTypeOf(file.stem().string());
        entry.sheet = file.string();
        return entry;
    }

private:
    std::string setupTypeOf(const std::string& stem) const {
        static const std::regex kSheetName(R"(^.*_SetupSheet_(.+)_\d{4}-\d{2}-\d{2}_\d{6}\.\d{2}$)");
        std::smatch match;
        return std::regex_match(stem, match, kSheetName) ? match[1].str() : m_fallbackSetupType;
    }

    std::string m_fallbackSetupType;
};

}  // namespace

std::unique_ptr<library::SetupFileReader> sheetFileReader(const std::string& fallbackSetupType) {
    return std::make_unique<SheetFileReader>(fallbackSetupType);
}

std::vector<std::unique_ptr<library::SetupFileReader>> importReaders(const std::string& rawDataSetupType) {
    std::vector<std::unique_ptr<library::SetupFileReader>> readers;
    readers.push_back(sheetFileReader(rawDataSetupType));
    readers.push_back(std::make_unique<library::RawDataFileReader>(rawDataSetupType));
    return readers;
}

}  // namespace vantrel
