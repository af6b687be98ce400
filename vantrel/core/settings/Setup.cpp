#include "Setup.h"

#include "platform/Profile.h"

namespace vantrel {

std::string Setup::rawDataText() const {
    std::string text = "[SetupData]\r\n";
    for (std::size_t i = 0; i < SetupFieldCount; ++i) {
        text += SetupFieldKeys[i];
        text += '=';
        text += m_values[i];
        text += "\r\n";
    }
    return text;
}

std::optional<Setup> Setup::fromRawData(const std::string& bytes) {
    const auto section = platform::profile::parseSection(bytes, "SetupData", MaxValueBytes + 1);
    if (!section.found()) return std::nullopt;
    Setup setup;
    for (std::size_t i = 0; i < SetupFieldCount; ++i) setup.m_values[i] = section.value(SetupFieldKeys[i]);
    return setup;
}

}  // namespace vantrel
