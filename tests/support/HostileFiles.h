#pragma once
// Hostile files made on the spot, never kept in the tree: PDFs a few hundred
// kilobytes long that inflate to gigabytes, forms of more fields than any
// sheet, objects of megabytes. Shared by the tests, the benchmark of their
// cost and the team intake's fuzz target; links qpdf (its deflater).

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace hostile {

// Flate data of `bytes` zero bytes, deflated a mebibyte at a time.
inline std::string deflatedZeros(std::uint64_t bytes) {
    Pl_Buffer sink("deflated");
    Pl_Flate deflate("deflate", &sink, Pl_Flate::a_deflate);
    const std::string zeros(1 << 20, '\0');
    for (std::uint64_t left = bytes; left > 0;) {
        const std::size_t piece = std::size_t(std::min<std::uint64_t>(left, zeros.size()));
        deflate.write(reinterpret_cast<const unsigned char*>(zeros.data()), piece);
        left -= piece;
    }
    deflate.finish();
    auto buffer = sink.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

// A whole PDF of these objects (numbered from 1, the first the catalog),
// with a classic cross-reference table.
inline std::string pdfOf(const std::vector<std::string>& objects) {
    std::string out = "%PDF-1.7\n";
    std::vector<std::size_t> offsets;
    for (std::size_t k = 0; k < objects.size(); ++k) {
        offsets.push_back(out.size());
        out += std::to_string(k + 1) + " 0 obj\n" + objects[k] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        out += entry;
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return out;
}

inline const char* kPages = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
inline const char* kPage = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>";

// A sheet whose attached setup, named `name`, inflates to `inflated` zero bytes.
inline std::string attachmentBomb(std::uint64_t inflated, const std::string& name) {
    const std::string data = deflatedZeros(inflated);
    return pdfOf({"<< /Type /Catalog /Pages 2 0 R /Names << /EmbeddedFiles << /Names [(" + name + ") 4 0 R] >> >> >>",
                  kPages, kPage, "<< /Type /Filespec /F (" + name + ") /UF (" + name + ") /EF << /F 5 0 R >> >>",
                  "<< /Type /EmbeddedFile /Filter /FlateDecode /Length " + std::to_string(data.size()) +
                      " >>\nstream\n" + data + "\nendstream"});
}

// A stream of packed objects (which qpdf inflates whole to look one up) of
// `inflated` bytes, or packed with a filter that multiplies without bound.
inline std::string packedObjectBomb(std::uint64_t inflated, const std::string& filter = "/FlateDecode") {
    const std::string data = filter == "/FlateDecode" ? deflatedZeros(inflated) : std::string(4096, '\x81');
    return pdfOf({"<< /Type /Catalog /Pages 2 0 R >>", kPages, kPage,
                  "<< /Type /ObjStm /N 1 /First 4 /Filter " + filter + " /Length " + std::to_string(data.size()) +
                      " >>\nstream\n" + data + "\nendstream"});
}

// A form of `count` text fields, each an object of its own.
inline std::string manyFields(std::size_t count) {
    std::vector<std::string> objects{"", kPages, kPage};
    std::string refs;
    for (std::size_t k = 0; k < count; ++k) {
        refs += std::to_string(4 + k) + " 0 R ";
        objects.push_back("<< /T (f" + std::to_string(k) + ") /FT /Tx /Subtype /Widget /Rect [0 0 1 1] >>");
    }
    objects[0] = "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [" + refs + "] >> >>";
    return pdfOf(objects);
}

// A form of one field whose kids are `count` fields.
inline std::string manyKids(std::size_t count) {
    std::string kids;
    for (std::size_t k = 0; k < count; ++k) kids += "<< /T (k" + std::to_string(k) + ") /FT /Tx >> ";
    return pdfOf({"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [4 0 R] >> >>", kPages, kPage,
                  "<< /T (parent) /Kids [" + kids + "] >>"});
}

// A form whose field list is one array of `items` numbers: parsed whole, it
// costs fifty times its text.
inline std::string hugeArray(std::size_t items) {
    std::string numbers;
    numbers.reserve(items * 2);
    for (std::size_t k = 0; k < items; ++k) numbers += "0 ";
    return pdfOf(
        {"<< /Type /Catalog /Pages 2 0 R /AcroForm 4 0 R >>", kPages, kPage, "<< /Fields [" + numbers + "] >>"});
}

// A document of `count` pages in groups of a thousand: small objects, each
// of which qpdf holds at some kilobytes once it lists the pages.
inline std::string manyPages(std::size_t count) {
    const std::size_t groups = (count + 999) / 1000, first = 3 + groups;
    std::vector<std::string> objects{"<< /Type /Catalog /Pages 2 0 R >>", ""};
    std::string groupRefs;
    for (std::size_t g = 0; g < groups; ++g) {
        groupRefs += std::to_string(3 + g) + " 0 R ";
        std::string kids;
        for (std::size_t k = g * 1000; k < std::min(count, (g + 1) * 1000); ++k)
            kids += std::to_string(first + k) + " 0 R ";
        objects.push_back("<< /Type /Pages /Parent 2 0 R /Kids [" + kids + "] /Count 1000 >>");
    }
    objects[1] = "<< /Type /Pages /Kids [" + groupRefs + "] /Count " + std::to_string(count) + " >>";
    for (std::size_t k = 0; k < count; ++k)
        objects.push_back("<< /Type /Page /Parent " + std::to_string(3 + k / 1000) + " 0 R >>");
    return pdfOf(objects);
}

// A raw data file of `count` empty lines after its section line.
inline std::string manyLines(std::size_t count) { return "[SetupData]\r\n" + std::string(count, '\n'); }

}  // namespace hostile
