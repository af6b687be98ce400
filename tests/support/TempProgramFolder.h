#pragma once
// A program folder of the test's own: a fresh temporary folder that the code
// under test takes as the folder of the executable, removed afterwards. Its
// host (StandInHost.h) stands in for the machine while the folder lives.

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/PathText.h"
#include "StandInHost.h"

namespace testsupport {

// A path of UTF-8 text and back, the same on both systems (a std::string
// given to std::filesystem is taken in the system's narrow encoding).
inline std::filesystem::path utf8Path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}
inline std::string utf8Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class TempProgramFolder {
public:
    TempProgramFolder() {
        std::random_device rd;
        for (;;) {
            m_path = std::filesystem::temp_directory_path() / ("vantrel-test-" + std::to_string(rd()));
            if (std::filesystem::create_directory(m_path)) break;
        }
        std::filesystem::create_directories(m_path / "bin");
        m_host.setProgramFolder(m_path.string());
    }
    ~TempProgramFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The clock and the date order the code under test sees.
    StandInHost& host() { return m_host; }
    std::string str() const { return m_path.string(); }

    // Writes a file below the folder (folders created as needed), bytes as
    // given; its path comes back native, as the programs give paths.
    std::filesystem::path write(const std::string& relative, const std::string& bytes) const {
        auto p = (m_path / platform::paths::pathOf(relative)).make_preferred();
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    std::string read(const std::string& relative) const { return readFile(m_path / platform::paths::pathOf(relative)); }

    static std::string readFile(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path m_path;
    StandInHost m_host;
};

}  // namespace testsupport
