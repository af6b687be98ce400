// vantrel-batch --fields PDF: the form fields of a PDF, one a line,
// tab-separated: the full name, the kind, the 1-based page, and for check
// boxes and radio buttons their "on" states joined by "|". Reads only the PDF.
#include <ostream>

#include "BatchCommand.h"
#include "pdfauto/Document.h"
#include "platform/Text.h"

namespace vantrel::batch {

namespace {

int listFields(const Arguments& args, Context& context) {
    const std::string& pdf = args.operands.front();
    return reportingErrors(
        context.err,
        [&] {
            std::string listing;
            for (const auto& field : pdfauto::Document(pdf).fields()) {
                // A line break, tab or escape code inside a name would break the lines or the terminal.
                listing +=
                    platform::text::printable(field.name) + '\t' + field.kind + '\t' + std::to_string(field.page);
                if (field.kind == "checkbox" || field.kind == "radiobutton") {
                    listing += '\t';
                    for (std::size_t k = 0; k < field.onStates.size(); ++k)
                        listing += (k ? "|" : "") + platform::text::printable(field.onStates[k]);
                }
                listing += '\n';
            }
            context.out << listing << std::flush;
            return ExitSuccess;
        },
        pdf);
}

}  // namespace

const Command& fieldsCommand() {
    static const Command command{
        .name = "--fields",
        .usage = {"--fields PDF"},
        .help = {{"--fields PDF", "list the PDF's form fields, tab-separated, one a line"}},
        .manual = R"roff(
.TP
.BI \-\-fields " PDF"
List the form fields of a fillable PDF, one a line, tab-separated: the
field's full name, its kind (text, checkbox, radiobutton, combobox, listbox,
button or signature), the page it is on, and for check boxes and radio
buttons the states that mark them, joined by \(lq|\(rq.
)roff",
        .options = {},
        .minOperands = 1,
        .maxOperands = 1,
        .operandsError = "--fields takes one PDF",
        .usageProblem = {},
        .run = listFields,
    };
    return command;
}

}  // namespace vantrel::batch
