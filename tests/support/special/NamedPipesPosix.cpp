#include "NamedPipes.h"

#include <sys/stat.h>

namespace testsupport {

bool madeNamedPipe(const std::filesystem::path& at) { return ::mkfifo(at.c_str(), 0644) == 0; }

}  // namespace testsupport
