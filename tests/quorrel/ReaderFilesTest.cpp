// Quorrel's readers meet what is no file to read (a folder, a named pipe,
// devices under /dev) and files past their bound: Linux's kinds of files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <condition_variable>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

#include "CAdobeFields.h"
#include "CDelimitedFileHandler.h"
#include "CMappingFileHandler.h"
#include "TempProgramFolder.h"
#include "platform/Error.h"

namespace {

using quorrel::CAdobeFields;
using quorrel::CDelimitedFileHandler;
using quorrel::CMappingFileHandler;

std::optional<int32_t> errorNumberOf(const std::function<void()>& body) {
    try {
        body();
    } catch (const platform::Error& e) {
        return e.number();
    }
    return std::nullopt;
}

// Ends the whole test program when the guarded reads have not returned in
// time: a read that waits on a pipe would otherwise hang the suite.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit)
        : m_thread([this, limit] {
              std::unique_lock lock(m_mutex);
              if (!m_done.wait_for(lock, limit, [this] { return m_finished; })) {
                  std::fprintf(stderr, "a reader did not return: it waits on what it opened\n");
                  std::_Exit(3);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

TEST(ReaderFiles, OnlyRegularFilesAreReadAndTheDataFileIsBounded) {
    testsupport::TempProgramFolder folder;
    const std::string pipe = (folder.path() / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    // Sparse files above 16 MiB that begin with a sound line each.
    const auto sparse = [&](const char* name, const std::string& start) {
        const std::string path = folder.write(name, start).string();
        std::filesystem::resize_file(path, 17 * 1024 * 1024);
        return path;
    };
    const std::string bigData = sparse("big.txt", "x|y\r\n");
    // A mapping as big, but within its 16-bit positions: it is read.
    std::string mapping;
    for (int i = 1; i <= 30000; ++i)
        mapping += std::to_string(i) + "=fld" + std::string(600, 'a') + std::to_string(i) + "\r\n";
    const std::string bigMapping = folder.write("big.map", mapping).string();
    ASSERT_GT(mapping.size(), 16u * 1024 * 1024);

    Watchdog watchdog(std::chrono::seconds(60));
    for (const std::string& path : {folder.str(), pipe, std::string("/dev/zero"), std::string("/dev/null"), bigData}) {
        SCOPED_TRACE(path);
        const auto read = [&] { CDelimitedFileHandler().GetRecordFromFile(path, 1); };
        EXPECT_EQ(errorNumberOf(read), 53);
        if (path == bigData) continue;
        CAdobeFields fields;
        EXPECT_EQ(errorNumberOf([&] { CMappingFileHandler().LoadMapping(path, fields); }), 53);
        EXPECT_EQ(fields.count(), 0);
    }
    CAdobeFields fields;
    CMappingFileHandler().LoadMapping(bigMapping, fields);
    EXPECT_EQ(fields.count(), 30000);
}

}  // namespace
