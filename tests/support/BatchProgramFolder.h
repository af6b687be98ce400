#pragma once
// A program folder of a test's own holding the shipped vantrel-batch, run as
// a racer runs it: from the folder, its output and exit status kept.

#include <filesystem>
#include <string>
#include <sys/wait.h>

#include "TempProgramFolder.h"

namespace batchtest {

struct BatchRun {
    int status;
    std::string out, err;
};

class BatchProgramFolder : public testsupport::TempProgramFolder {
public:
    BatchProgramFolder() {
        namespace fs = std::filesystem;
        const fs::path stage = VANTREL_STAGE_DIR;
        for (const char* file : {"vantrel-batch", "libVantrelCom.so", "libVantrelPlatform.so", "bin/Vantrel.ini"})
            fs::copy_file(stage / file, path() / file);
        fs::create_directories(path() / "Data");
    }
    BatchRun run(const std::string& arguments) const {
        const std::filesystem::path out = path() / "stdout.txt", err = path() / "stderr.txt";
        const std::string command = "cd '" + str() + "' && LC_ALL=C.UTF-8 ./vantrel-batch " + arguments + " >'" +
                                    out.string() + "' 2>'" + err.string() + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(out), readFile(err)};
    }
};

}  // namespace batchtest
