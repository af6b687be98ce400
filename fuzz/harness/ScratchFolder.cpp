#include "ScratchFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fuzzharness {

namespace {

namespace fs = std::filesystem;

class Scratch {
public:
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "vantrel-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder in " + pattern);
        m_folder = pattern;
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(m_folder, ec);
    }
    const fs::path& folder() const { return m_folder; }

private:
    fs::path m_folder;
};

const fs::path& folder() {
    static Scratch scratch;
    return scratch.folder();
}

}  // namespace

std::string scratchPath(const std::string& name) { return (folder() / name).string(); }

std::string scratchFile(const std::string& name, std::string_view bytes) {
    const std::string path = scratchPath(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
    return path;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace fuzzharness
