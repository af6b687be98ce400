// vantrel-batch: the sheet pipeline from the command line (see BatchRunner.h).

#include <iostream>
#include <string>
#include <vector>

#include "BatchRunner.h"
#include "platform/Process.h"

int main(int argc, char* argv[]) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // The installation is read here, once, and handed to every command.
    const int status =
        vantrel::BatchRunner(std::cout, std::cerr, vantrel::Installation::read(platform::process::programFolder()))
            .run(args);
    return status;
}
