#include <array>
#include <filesystem>
#include <fstream>

#include "Harness.h"
#include "ScratchFolder.h"
#include "SetupReaders.h"
#include "platform/Error.h"

namespace fuzzharness {

namespace {

// The file names a setup arrives under: a sheet as an RDX run names it, one
// of the racer's own setup type, a PDF of any name, a raw data file.
constexpr std::array<const char*, 4> kNames = {"Jo_SetupSheet_RDX_2026-04-11_101010.00.pdf",
                                               "Jo_SetupSheet_Club_2026-04-11_101010.00.pdf", "Other.pdf", "Setup.dat"};

// An own setup type "Club" whose mapping names fields of the club's form.
const vantrel::SetupTypeFolders& folders() {
    static const vantrel::SetupTypeFolders made = [] {
        namespace fs = std::filesystem;
        const fs::path root = scratchPath("program");
        fs::create_directories(root / "Config");
        fs::create_directories(root / "Mapping");
        std::ofstream(root / "Config" / "Setup_Club.ini")
            << "[Setup]\r\nSetupName=Club\r\nMappingFile=Club.map\r\nPDFTemplateSetupSheet=SetupSheet_Club.pdf\r\n";
        std::ofstream(root / "Mapping" / "Club.map")
            << "1=Driver Name\r\n4=Race Date\r\n17=front_shock_spring\r\n93=Setup comments\r\n112=Finish\r\n";
        return vantrel::SetupTypeFolders{(root / "Config").string() + "/", (root / "Mapping").string() + "/",
                                         (root / "Templates").string() + "/"};
    }();
    return made;
}

}  // namespace

void setupFile(std::string_view input) {
    if (input.empty()) return;
    const std::string file = scratchFile(kNames[static_cast<unsigned char>(input[0]) % kNames.size()], input.substr(1));
    vantrel::SetupRead read;
    try {
        read = vantrel::readSetup(file, folders());
    } catch (const platform::Error& e) {
        FUZZ_CHECK(e.description().find(file) != std::string::npos, "an error that does not name the file");
        return;
    }
    FUZZ_CHECK(read.origin == vantrel::SetupOrigin::Attachment || read.fromEdits.empty(),
               "edits taken from a sheet without an attachment");
    // What is read is a setup: written as a raw data file it reads back the same.
    if (read.origin != vantrel::SetupOrigin::RawDataFile) return;
    const std::string copy = scratchPath("Copy.dat");
    vantrel::writeSetupFile(copy, read.values);
    FUZZ_CHECK(vantrel::readSetup(copy, folders()).values == read.values, "a raw data file that reads back otherwise");
}

}  // namespace fuzzharness
