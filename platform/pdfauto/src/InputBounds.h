#pragma once
// What the engine takes from a PDF, bounded: a PDF may come from anyone (a
// team mate's folder, a download), and a few megabytes of it can otherwise
// inflate to gigabytes or name hundreds of thousands of fields. Each bound
// is far above anything a setup sheet or a club's form holds.

#include <qpdf/Pipeline.hh>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pdfauto {

// The file itself (a template with its pictures is at most a few megabytes).
inline constexpr std::uint64_t MaxPdfBytes = 256ull * 1024 * 1024;
// What one stream may inflate to: an attachment, a stream of packed objects.
inline constexpr std::uint64_t MaxInflatedBytes = 16ull * 1024 * 1024;
// Streams of packed objects of one document (one holds a hundred objects or so).
inline constexpr std::size_t MaxPackedStreams = 10000;
// What the streams of packed objects of one document may inflate to together.
inline constexpr std::uint64_t MaxPackedObjectBytes = 64ull * 1024 * 1024;
// The text of one object other than a stream's data (a form's field list of
// MaxFormFields references is some 70 kB): qpdf holds a parsed object at
// fifty times its text, so a megabyte-long array is memory, not a form.
inline constexpr std::size_t MaxObjectTextBytes = 1024 * 1024;
// Fields of one form (a setup sheet has 112), and nodes of its field tree.
inline constexpr std::size_t MaxFormFields = 10000;
inline constexpr std::size_t MaxFieldNodes = 4 * MaxFormFields;
// Pages and page groups of one document (a sheet has one page, a club's form
// a few): qpdf lists them all at once, at some kilobytes each.
inline constexpr std::size_t MaxPageNodes = 10000;

// "16 MiB"
std::string sizeText(std::uint64_t bytes);

// Collects what a stream decodes to, up to a bound: past it, the write throws
// and overflowed() answers true, so the decoding stops there instead of after
// the rest is inflated.
class BoundedSink final : public Pipeline {
public:
    explicit BoundedSink(std::uint64_t maxBytes, bool keep = true)
        : Pipeline("bounded sink", nullptr), m_max(maxBytes), m_keep(keep) {}
    void write(unsigned char const* data, std::size_t len) override;
    void finish() override {}

    bool overflowed() const { return m_overflowed; }
    std::uint64_t count() const { return m_count; }
    std::string& bytes() { return m_bytes; }

private:
    std::uint64_t m_max;
    bool m_keep;
    bool m_overflowed = false;
    std::uint64_t m_count = 0;
    std::string m_bytes;
};

// Why the streams of packed objects (object and cross-reference streams) in
// a PDF's bytes are not to be handed to qpdf, which inflates each of them
// whole when it loads the document or looks up an object in one: one that
// inflates past MaxInflatedBytes, all of them together past
// MaxPackedObjectBytes, or one packed with a filter other than Flate (whose
// amplification nothing bounds). Empty when they are fine. Each is inflated
// here once, to the bound and no further, and thrown away.
std::string packedObjectsRefusal(std::string_view pdf);

// Why the objects of a PDF's bytes are not to be parsed: one whose text
// (without its stream's data) is longer than MaxObjectTextBytes. Empty when
// none is.
std::string largeObjectRefusal(std::string_view pdf);

}  // namespace pdfauto
