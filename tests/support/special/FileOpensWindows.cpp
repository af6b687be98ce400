#include "FileOpens.h"

namespace testsupport {

FileOpens::FileOpens(const std::filesystem::path&) {}

FileOpens::~FileOpens() = default;

int FileOpens::opens() { return -1; }

}  // namespace testsupport
