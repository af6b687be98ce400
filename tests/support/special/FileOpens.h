#pragma once
// How often a file is opened while it is watched, where the system tells
// (inotify on Linux). Windows tells no such thing to a test: a case that
// counts opens says so by the reason below, and runs on Linux.

#include <filesystem>

namespace testsupport {

inline constexpr const char* kNoOpenCounts =
    "the opens of a file cannot be counted here (Windows tells none): the case runs on Linux";

class FileOpens {
public:
    explicit FileOpens(const std::filesystem::path& file);
    ~FileOpens();
    FileOpens(const FileOpens&) = delete;
    FileOpens& operator=(const FileOpens&) = delete;

    // Whether the file is watched.
    bool counting() const { return m_watch >= 0; }
    // The opens since the watch began or the last call; -1 when not counting.
    int opens();

private:
    int m_watch = -1;
};

}  // namespace testsupport
