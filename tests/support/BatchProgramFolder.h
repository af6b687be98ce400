#pragma once
// A program folder of a test's own holding the shipped vantrel-batch, run as
// a racer runs it: from the folder, its output and exit status kept. The
// program is started with an argument vector (ChildProcess.h), so the same
// cases run on both systems.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "EnvOverride.h"
#include "TempProgramFolder.h"

namespace batchtest {

using BatchRun = testsupport::ChildResult;

// A command line as the tests write it, split into its arguments as a POSIX
// shell splits it: blanks separate, '...' holds anything but a quote
// literally, a backslash outside quotes takes the next character as it is.
inline std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    bool inWord = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t') {
            inWord = false;
            continue;
        }
        if (!inWord) out.emplace_back();
        inWord = true;
        if (c == '\'') {
            const std::size_t end = line.find('\'', i + 1);
            if (end == std::string::npos) {
                ADD_FAILURE() << "unclosed quote in: " << line;
                return out;
            }
            out.back() += line.substr(i + 1, end - i - 1);
            i = end;
        } else if (c == '\\' && i + 1 < line.size()) {
            out.back() += line[++i];
        } else {
            out.back() += c;
        }
    }
    return out;
}

class BatchProgramFolder : public testsupport::TempProgramFolder {
public:
    BatchProgramFolder() {
        namespace fs = std::filesystem;
        const fs::path program = VANTREL_BATCH_PROGRAM;
        m_program = path() / program.filename();
        fs::copy_file(program, m_program);
        for (const std::string& file : besideTheProgram()) fs::copy_file(program.parent_path() / file, path() / file);
        fs::copy_file(fs::path(VANTREL_STAGE_DIR) / "bin" / "Vantrel.ini", path() / "bin" / "Vantrel.ini");
        fs::create_directories(path() / "Data");
    }
    // Runs the folder's vantrel-batch in the folder, in a UTF-8 locale.
    BatchRun run(const std::vector<std::string>& arguments) const {
        testsupport::EnvOverride locale("LC_ALL", "C.UTF-8");
        return testsupport::runChild(m_program, arguments, path(), path() / "stdout.txt", path() / "stderr.txt");
    }
    // The same on a command line written as words() reads it.
    BatchRun run(const std::string& commandLine) const { return run(words(commandLine)); }

private:
    // The shared libraries the program needs beside it, as the build names
    // them (separated by ",").
    static std::vector<std::string> besideTheProgram() {
        std::vector<std::string> out;
        const std::string list = VANTREL_BATCH_BESIDE;
        for (std::size_t at = 0; at < list.size();) {
            const std::size_t end = std::min(list.find(',', at), list.size());
            if (end > at) out.push_back(list.substr(at, end - at));
            at = end + 1;
        }
        return out;
    }
    std::filesystem::path m_program;
};

}  // namespace batchtest
