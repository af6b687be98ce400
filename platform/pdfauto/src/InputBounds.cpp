#include "InputBounds.h"

#include <qpdf/Pl_Flate.hh>

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <vector>

namespace pdfauto {

namespace {

struct Overflow : std::runtime_error {
    Overflow() : std::runtime_error("the data is larger than its bound") {}
};

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) || c == '\0'; }

// The filter names of a stream dictionary's /Filter entry ("/FlateDecode"),
// as they stand in the text; an indirect filter reads as "?".
std::vector<std::string> filtersOf(std::string_view dict) {
    std::vector<std::string> names;
    const std::size_t key = dict.find("/Filter");
    if (key == std::string_view::npos) return names;
    std::size_t p = key + 7;
    while (p < dict.size() && isSpace(dict[p])) ++p;
    const bool array = p < dict.size() && dict[p] == '[';
    if (array) ++p;
    for (;;) {
        while (p < dict.size() && isSpace(dict[p])) ++p;
        if (p >= dict.size() || dict[p] != '/') {
            if (p < dict.size() && std::isdigit(static_cast<unsigned char>(dict[p]))) names.push_back("?");
            break;
        }
        std::size_t end = p + 1;
        while (end < dict.size() && !isSpace(dict[end]) &&
               std::string_view("/[]<>()").find(dict[end]) == std::string_view::npos)
            ++end;
        names.emplace_back(dict.substr(p, end - p));
        p = end;
        if (!array) break;
    }
    return names;
}

}  // namespace

std::string sizeText(std::uint64_t bytes) {
    constexpr std::uint64_t MiB = 1024 * 1024;
    if (bytes % MiB == 0) return std::to_string(bytes / MiB) + " MiB";
    return std::to_string(bytes) + " bytes";
}

void BoundedSink::write(unsigned char const* data, std::size_t len) {
    if (m_overflowed || len > m_max - m_count) {
        m_overflowed = true;
        throw Overflow();
    }
    m_count += len;
    if (m_keep) m_bytes.append(reinterpret_cast<const char*>(data), len);
}

std::string packedObjectsRefusal(std::string_view pdf) {
    constexpr auto npos = std::string_view::npos;
    std::uint64_t total = 0;
    std::size_t streams = 0;
    // Positions found once and moved forward only: whatever the file holds
    // (millions of "obj" or "stream" words), the scan stays linear.
    std::size_t nextObj = pdf.find("obj"), lastObj = npos, nextEnd = 0;
    bool lastObjTaken = true;
    for (std::size_t at = pdf.find("stream"); at != npos; at = pdf.find("stream", at + 6)) {
        if (at >= 3 && pdf.substr(at - 3, 3) == "end") continue;
        std::size_t data = at + 6;
        if (data < pdf.size() && pdf[data] == '\r') ++data;
        if (data < pdf.size() && pdf[data] == '\n') ++data;
        if (data == at + 6) continue;  // a word in some text, not a stream's start
        // Its dictionary: back to the "obj" that opens the object, the first
        // stream after it (a later "stream" is in the data or no stream at all).
        for (; nextObj != npos && nextObj < at; nextObj = pdf.find("obj", nextObj + 3))
            if (nextObj < 3 || pdf.substr(nextObj - 3, 3) != "end") lastObj = nextObj, lastObjTaken = false;
        if (lastObj == npos || lastObjTaken || at - lastObj > 65536) continue;
        lastObjTaken = true;
        const std::string_view dict = pdf.substr(lastObj, at - lastObj);
        if (dict.find("/ObjStm") == npos && dict.find("/XRef") == npos) continue;
        if (++streams > MaxPackedStreams)
            return "it has more than " + std::to_string(MaxPackedStreams) + " streams of packed objects";

        const std::vector<std::string> filters = filtersOf(dict);
        if (filters.empty()) continue;  // stored as they are: no larger than the file
        if (filters.size() != 1 || (filters[0] != "/FlateDecode" && filters[0] != "/Fl"))
            return "its objects are packed with a filter Vantrel does not read (" + filters[0] +
                   (filters.size() > 1 ? ", and more" : "") + ")";

        if (nextEnd != npos && nextEnd < data) nextEnd = pdf.find("endstream", data);
        const std::size_t end = std::min(nextEnd, pdf.size());
        const std::uint64_t bound = std::min(MaxInflatedBytes, MaxPackedObjectBytes - total);
        BoundedSink sink(bound, false);
        try {
            Pl_Flate inflate("packed objects", &sink, Pl_Flate::a_inflate);
            // In pieces, so that the bound stops the inflating within one of them.
            for (std::size_t p = data; p < end; p += 4096)
                inflate.write(reinterpret_cast<const unsigned char*>(pdf.data() + p),
                              std::min<std::size_t>(4096, end - p));
            inflate.finish();
        } catch (const std::exception&) {
            // Damaged data is qpdf's to report (or repair); only the size is ours.
        }
        if (sink.overflowed()) {
            if (bound < MaxInflatedBytes)
                return "its packed objects inflate to more than " + sizeText(MaxPackedObjectBytes);
            return "a stream of its packed objects inflates to more than " + sizeText(MaxInflatedBytes);
        }
        total += sink.count();
    }
    return {};
}

std::string largeObjectRefusal(std::string_view pdf) {
    constexpr auto npos = std::string_view::npos;
    // As above: each position found once, moved forward only.
    std::size_t nextStream = 0, nextEndObj = 0;
    auto forward = [&pdf](std::size_t& next, std::string_view word, std::size_t from) {
        if (next != npos && next < from) next = pdf.find(word, from);
    };
    for (std::size_t at = pdf.find("obj"); at != npos; at = pdf.find("obj", at + 3)) {
        // "N G obj" opens an object; "endobj" and names like /Subj do not.
        if (at == 0 || !isSpace(pdf[at - 1])) continue;
        forward(nextStream, "stream", at);
        while (nextStream != npos && nextStream >= 3 && pdf.substr(nextStream - 3, 3) == "end")
            nextStream = pdf.find("stream", nextStream + 6);
        forward(nextEndObj, "endobj", at);
        const std::size_t bodyEnd = std::min({nextEndObj, nextStream, pdf.size()});
        if (bodyEnd - at > MaxObjectTextBytes)
            return "an object of it is larger than " + sizeText(MaxObjectTextBytes) + ", more than any form holds";
        // Past the stream's data, where "obj" may stand by chance.
        if (bodyEnd == nextStream) {
            std::size_t end = pdf.find("endstream", nextStream);
            if (end == npos) break;
            at = end;
        } else if (bodyEnd == nextEndObj) {
            at = nextEndObj + 3;
        }
    }
    return {};
}

}  // namespace pdfauto
