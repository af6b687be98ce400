// vantrel-batch's manual page made from its commands: reads the page's frame
// (docs/man/vantrel-batch.1.in, configured) and writes the page whole.
//
//   manpage FRAME PAGE
#include <fstream>
#include <iostream>
#include <sstream>

#include "BatchCommand.h"
#include "platform/Files.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: manpage FRAME PAGE\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ostringstream frame;
    frame << in.rdbuf();
    if (!in || frame.str().empty()) {
        std::cerr << "manpage: cannot read " << argv[1] << "\n";
        return 1;
    }
    const std::string page = vantrel::batch::manualPage(frame.str());
    const auto failed = platform::files::replaceAtomically(argv[2], [&](int fd) {
        return platform::files::writeAll(fd, page) ? std::string() : platform::files::systemMessage(errno);
    });
    if (failed) {
        std::cerr << "manpage: " << failed->description() << "\n";
        return 1;
    }
    return 0;
}
