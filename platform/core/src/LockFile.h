#pragma once
// The system's half of the run lock (RunLock.h): an exclusive lock on a file
// that only the open handle holds, dropped when it closes or the process ends.

#include <cstdint>
#include <string>

namespace platform::process {

// A descriptor on Linux, a HANDLE on Windows.
using LockHandle = std::intptr_t;
inline constexpr LockHandle NoLock = -1;

// The handle that holds the lock, or NoLock while another holds it. Raises
// ErrPathAccess when the lock file cannot be opened or locked.
LockHandle tryLock(const std::string& file);
void unlock(LockHandle handle);

}  // namespace platform::process
