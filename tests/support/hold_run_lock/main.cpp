// Holds a program folder's run lock as another run of it holds it, for the
// tests (OtherRunLock.h), through the platform's own RunLock:
//
//   hold-run-lock LOCKFILE           takes the lock, waiting as a run waits;
//                                    writes "held" on a line, holds it until
//                                    its standard input gives a line or ends
//   hold-run-lock --for MS LOCKFILE  the same, holding it MS milliseconds
//   hold-run-lock --probe LOCKFILE   exits 1 while another holds the lock,
//                                    0 when it is free (taken for no time)
//
// A failure to take the lock is said on standard error, status 2.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

#include "StandInHost.h"
#include "platform/Error.h"
#include "platform/RunLock.h"

int main(int argc, char* argv[]) {
    const bool probe = argc == 3 && std::string(argv[1]) == "--probe";
    const bool timed = argc == 4 && std::string(argv[1]) == "--for";
    if (argc != 2 && !probe && !timed) {
        std::fprintf(stderr, "usage: hold-run-lock [--for MS | --probe] LOCKFILE\n");
        return 2;
    }
    const std::string lockFile = argv[argc - 1];
    if (probe) {
        // A lock file that is not there is held by no one.
        std::error_code error;
        if (!std::filesystem::exists(lockFile, error)) return 0;
        // The run's wait passes after one look.
        testsupport::StandInHost host;
        host.setWaitSpeed(1000000);
        try {
            platform::process::RunLock lock(lockFile);
            return 0;
        } catch (const platform::Error&) {
            return 1;
        }
    }
    try {
        platform::process::RunLock lock(lockFile);
        std::cout << "held" << std::endl;
        if (timed) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(argv[2])));
        } else {
            std::string line;
            std::getline(std::cin, line);
        }
        return 0;
    } catch (const platform::Error& e) {
        std::fprintf(stderr, "hold-run-lock: %s\n", e.what());
        return 2;
    }
}
