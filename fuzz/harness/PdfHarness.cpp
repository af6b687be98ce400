#include <algorithm>

#include "Harness.h"
#include "PdfForm.h"
#include "ScratchFolder.h"
#include "platform/Error.h"

namespace fuzzharness {

namespace {

constexpr std::size_t kMaxFieldsVisited = 64;
constexpr std::size_t kMaxFieldsWritten = 8;

}  // namespace

void pdfDocument(std::string_view input) {
    const std::string file = scratchFile("Sheet.pdf", input);
    const std::string saved = scratchPath("Saved.pdf");
    try {
        pdfauto::PdfForm form(file);
        const int pages = form.pageCount();
        FUZZ_CHECK(pages >= 0, "a negative page count");
        const std::size_t count = std::min(form.fieldCount(), kMaxFieldsVisited);
        for (std::size_t i = 0; i < count; ++i) {
            pdfauto::FormField& field = form.fieldAt(i);
            (void)field.type();
            (void)field.value();
            (void)field.textFont();
            (void)field.textSize();
            if (!field.name().empty()) FUZZ_CHECK(form.find(field.name()) != nullptr, "a field its name does not find");
            if (i < kMaxFieldsWritten) {
                try {
                    field.setValue(i % 2 ? "l" : "Fuzz \xC3\xA9\xE2\x82\xAC 1");
                } catch (const platform::Error&) {
                    // a field that takes no value, or a form that may not be filled
                }
            }
        }
        if (pages > 0) {
            try {
                form.addTextField("fuzzAdded", 0, 10, 700, 200, 680).setValue("added");
            } catch (const platform::Error&) {
                // a name taken already, or a form that may not be filled
            }
        }
        form.save(saved);
    } catch (const platform::Error&) {
        // not a PDF, damaged, encrypted: the engine says so
    } catch (const std::exception&) {
        // qpdf's own complaints about a damaged document; the component
        // boundary turns them into an error object
    }
}

}  // namespace fuzzharness
