#pragma once
// What the machine answers of the process (Process.h), one half for each
// system: where the program is, the local time, how the user writes dates.

#include <string>

#include "platform/Process.h"

namespace platform::process {

// The folder of the running executable, native, without a trailing separator.
std::string executableFolder();
// The local time of the machine's clock.
LocalDateTime systemNow();
// Whether the day comes before the month in the user's short date format.
bool localeDayBeforeMonth();

}  // namespace platform::process
