#include "TextFileReader.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/FileFacts.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace mappingfile {

namespace {
constexpr std::size_t BufferSize = 64 * 1024;
}

TextFileReader::~TextFileReader() { close(); }

void TextFileReader::close() {
    if (m_fd >= 0) platform::files::closeFile(m_fd);
    m_fd = -1;
}

bool TextFileReader::open(const std::string& nativePath, std::uint64_t maxBytes) {
    close();
    if (nativePath.empty()) return false;
    // A folder opens on Linux but is no text file, and a pipe would wait for
    // a writer: platform::files opens regular files only.
    const platform::files::UserFile file = platform::files::openUserFile(nativePath, maxBytes);
    if (file.status != platform::files::OpenStatus::Opened) return false;
    m_fd = file.fd;
    m_buffer.resize(BufferSize);
    m_pos = m_end = 0;
    m_eof = false;
    return true;
}

bool TextFileReader::fill() {
    if (m_eof || m_fd < 0) return false;
    for (;;) {
        const long long n = platform::files::readSome(m_fd, m_buffer.data(), m_buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw std::runtime_error(std::string("read failed: ") + std::strerror(errno));
        m_pos = 0;
        m_end = static_cast<std::size_t>(n);
        if (n == 0) m_eof = true;
        return n > 0;
    }
}

bool TextFileReader::readLine(std::string& line) {
    line.clear();
    std::string raw;
    bool any = false;
    for (;;) {
        if (m_pos == m_end && !fill()) break;
        any = true;
        const char* begin = m_buffer.data() + m_pos;
        const void* cr = std::memchr(begin, '\r', m_end - m_pos);
        if (!cr) {
            raw.append(begin, m_end - m_pos);
            m_pos = m_end;
            continue;
        }
        auto len = static_cast<std::size_t>(static_cast<const char*>(cr) - begin);
        raw.append(begin, len);
        m_pos += len + 1;
        // CR LF ends the line as one; the LF may sit in the next buffer.
        if (m_pos == m_end) fill();
        if (m_pos < m_end && m_buffer[m_pos] == '\n') ++m_pos;
        line = platform::text::decode8Bit(raw);
        return true;
    }
    if (!any) return false;
    line = platform::text::decode8Bit(raw);
    return true;
}

}  // namespace mappingfile
