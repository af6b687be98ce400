#pragma once
// Sequential text input as the data and mapping files need it: a line ends at
// CR LF or at a lone CR; a lone LF is ordinary text. Lines come back decoded
// to UTF-8 (bytes that are not UTF-8 are read as Windows-1252).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mappingfile {

class TextFileReader {
public:
    // Opens the file for reading; false when it cannot be opened as a file.
    // Only a regular file of at most maxBytes bytes is opened: a folder, a
    // pipe, a device, a socket or a bigger file is refused without waiting.
    bool open(const std::string& nativePath, std::uint64_t maxBytes);
    // The next line without its end; false at end of file.
    // Throws std::runtime_error when reading fails part way.
    bool readLine(std::string& line);
    ~TextFileReader();

    TextFileReader() = default;
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

private:
    bool fill();
    void close();

    int m_fd = -1;
    std::vector<char> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
};

}  // namespace mappingfile
