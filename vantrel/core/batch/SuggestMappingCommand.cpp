// vantrel-batch --suggest-mapping PDF: the mapping file New Setup Type would
// pre-choose for the PDF's form (SuggestMapping.h). Reads only the PDF.
#include "BatchCommand.h"
#include "SuggestMapping.h"

namespace vantrel::batch {

const Command& suggestMappingCommand() {
    static const Command command{
        .name = "--suggest-mapping",
        .usage = {"--suggest-mapping PDF"},
        .help = {{"--suggest-mapping PDF", "print the mapping file New Setup Type would pre-choose"}},
        .manual = R"roff(
.TP
.BI \-\-suggest\-mapping " PDF"
Print the mapping file that New Setup Type would pre-choose for the PDF's form.
)roff",
        .options = {},
        .minOperands = 1,
        .maxOperands = 1,
        .operandsError = "--suggest-mapping takes one PDF",
        .usageProblem = {},
        .run =
            [](const Arguments& args, Context& context) {
                const std::string& pdf = args.operands.front();
                return reportingErrors(
                    context.err, [&] { return printSuggestedMapping(pdf, context.out); }, pdf);
            },
    };
    return command;
}

}  // namespace vantrel::batch
