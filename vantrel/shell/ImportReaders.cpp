#include "ImportReaders.h"

namespace vantrel {

std::vector<std::unique_ptr<library::SetupFileReader>> importReaders(const std::string& rawDataSetupType) {
    std::vector<std::unique_ptr<library::SetupFileReader>> readers;
    readers.push_back(std::make_unique<library::RawDataFileReader>(rawDataSetupType));
    return readers;
}

}  // namespace vantrel
