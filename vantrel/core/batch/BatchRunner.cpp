#include "BatchRunner.h"

#include <chrono>
#include <ostream>
#include <thread>

#include "CSetupBase.h"
#include "FileNames.h"
#include "VersionText.h"
#include "platform/Paths.h"

namespace vantrel {

std::string BatchRunner::usage() { return batch::usageText(); }

int BatchRunner::run(const std::vector<std::string>& args) {
    batch::CommandLine line;
    std::string error;
    if (!batch::parseCommandLine(args, line, error)) {
        m_err << "vantrel-batch: " << error << "\n" << usage();
        return ExitUsage;
    }
    if (line.help) {
        m_out << usage();
        return ExitSuccess;
    }
    if (line.version) {
        m_out << versionText("vantrel-batch", {});
        return ExitSuccess;
    }
    batch::Context context{m_installation, m_out, m_err};
    return line.command->run(line.arguments, context);
}

void BatchRunner::waitForAnotherStamp(const std::string& lastSheet) {
    // Sheet names end in the time of day to the hundredth of a second: a build
    // within the hundredth of the last sheet's name would give it the same
    // name, and its copy would replace that sheet. So the next build waits
    // until the clock has left that stamp (mostly at once, as a build takes
    // longer), and a hundredth and a bit when the last name is not known.
    const std::optional<SheetName> name = parseSheetName(platform::paths::toNative(lastSheet));
    const std::string stamp = name ? name->time : std::string();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(11);
    while (std::chrono::steady_clock::now() < until) {
        if (!stamp.empty() && CSetupBase::TimeStampString(false, 2) != stamp) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace vantrel
