// vantrel-batch: the sheet pipeline from the command line (see BatchRunner.h).

#include <iostream>
#include <string>
#include <vector>

#include "BatchRunner.h"

int main(int argc, char* argv[]) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = vantrel::BatchRunner(std::cout, std::cerr).run(args);
    return status;
}
