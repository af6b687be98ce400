#include "ImportReaders.h"

#include "SetupReaders.h"

#include "platform/Error.h"
#include "platform/PathText.h"
#include "platform/Text.h"

namespace vantrel {

namespace {

class RegistryReader : public library::SetupFileReader {
public:
    RegistryReader(SetupTypeFolders folders, std::function<std::string()> fallback)
        : m_folders(std::move(folders)), m_fallback(std::move(fallback)) {}

    bool claims(const std::filesystem::path& file) const override {
        const std::string ext = platform::text::toLower(platform::paths::textOf(file.extension()));
        return ext == ".pdf" || ext == ".dat" || ext == ".ini" || ext == ".txt";
    }

    std::optional<library::SetupEntry> read(const std::filesystem::path& file) const override {
        return take(file, [&] { return readSetup(platform::paths::textOf(file), m_folders); });
    }

    std::optional<library::SetupEntry> readBytes(const std::filesystem::path& file, std::string bytes) const override {
        return take(file, [&] { return readSetupBytes(platform::paths::textOf(file), std::move(bytes), m_folders); });
    }

private:
    template <typename Read>
    std::optional<library::SetupEntry> take(const std::filesystem::path& file, Read&& readSetupOf) const {
        SetupRead read;
        try {
            read = readSetupOf();
        } catch (const platform::Error& e) {
            // A file that holds no setup is none; one that cannot be read says why.
            if (e.number() == platform::ErrInvalidArgument) return std::nullopt;
            throw;
        }
        library::SetupEntry entry;
        entry.values = read.values;
        entry.setupType = read.setupType.empty() ? m_fallback() : read.setupType;
        if (read.origin != SetupOrigin::RawDataFile) entry.sheet = platform::paths::textOf(file);
        return entry;
    }

    SetupTypeFolders m_folders;
    std::function<std::string()> m_fallback;
};

}  // namespace

std::unique_ptr<library::SetupFileReader> setupFileReader(SetupTypeFolders folders,
                                                          std::function<std::string()> rawDataSetupType) {
    return std::make_unique<RegistryReader>(std::move(folders), std::move(rawDataSetupType));
}

std::vector<std::unique_ptr<library::SetupFileReader>> importReaders(const SetupTypeFolders& folders,
                                                                     const std::string& rawDataSetupType) {
    std::vector<std::unique_ptr<library::SetupFileReader>> readers;
    readers.push_back(setupFileReader(folders, [rawDataSetupType] { return rawDataSetupType; }));
    return readers;
}

}  // namespace vantrel
