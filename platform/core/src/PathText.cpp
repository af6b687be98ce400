#include "platform/PathText.h"

#include "platform/Text.h"

namespace platform::paths {

std::filesystem::path pathOf(std::string_view text) {
    if (!text::isValidUtf8(text)) return std::filesystem::path(std::string(text));
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::string textOf(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

std::string fileNameOf(std::string_view nativePath) { return textOf(pathOf(nativePath).filename()); }

std::string folderOf(std::string_view nativePath) { return textOf(pathOf(nativePath).parent_path()); }

std::string stemOf(std::string_view nativePath) { return textOf(pathOf(nativePath).stem()); }

std::string extensionOf(std::string_view nativePath) { return textOf(pathOf(nativePath).extension()); }

std::string appended(std::string_view nativeFolder, std::string_view name) {
    return textOf(pathOf(nativeFolder) / pathOf(name));
}

}  // namespace platform::paths
