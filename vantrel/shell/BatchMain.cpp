// vantrel-batch: the sheet pipeline from the command line (see BatchRunner.h).

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "BatchRunner.h"

int main(int argc, char* argv[]) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = vantrel::BatchRunner(std::cout, std::cerr).run(args);
    std::cout.flush();
    std::cerr.flush();
    // Every sheet, data and log file is written and closed by now. A sheet
    // shown in the viewer stays open inside the PDF automation library, whose
    // teardown in the exit handlers can fail; the tool's result must not.
    std::_Exit(status);
}
