#include "VersionText.h"

#include "VantrelVersion.h"
#include "library/SetupLibrary.h"
#include "pdfauto/Document.h"

namespace vantrel {

std::string versionText(std::string_view program, std::string_view qtVersion) {
    std::string text = std::string(program) + " " VANTREL_VERSION "\n";
    if (qtVersion.empty()) text += "Qt: not used by " + std::string(program) + "\n";
    else text += "Qt " + std::string(qtVersion) + "\n";
    text += "qpdf " + pdfauto::qpdfVersion() + "\n";
    text += "SQLite " + library::SetupLibrary::sqliteVersion() + "\n";
    return text;
}

}  // namespace vantrel
