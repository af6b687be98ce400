// The sample setup shipped in the Data folder, built into a sheet through the
// whole pipeline with the real form filler: every value lands in its field
// and is drawn.

#include <gtest/gtest.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "CSetupManager.h"
#include "Components.h"
#include "PdfFields.h"
#include "TempProgramFolder.h"
#include "platform/Error.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace {

const fs::path kStage = VANTREL_STAGE_DIR;

std::vector<std::pair<std::string, std::string>> sampleEntries() {
    std::istringstream in(testsupport::TempProgramFolder::readFile(kStage / "Data" / "Sample_RDX.dat"));
    std::vector<std::pair<std::string, std::string>> out;
    std::string line;
    while (std::getline(in, line)) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r') << "line without CR LF: " << line;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (eq != std::string::npos) out.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return out;
}

using testsupport::widgetsOf;

struct FilledField {
    std::string value;
    std::string appearance;  // content of the normal appearance stream
};

std::map<std::string, FilledField> readSheet(const fs::path& path) {
    QPDF pdf;
    pdf.processFile(path.string().c_str());
    QPDFAcroFormDocumentHelper form(pdf);
    std::map<std::string, FilledField> out;
    for (QPDFFormFieldObjectHelper& field : form.getFormFields()) {
        FilledField f{field.getValueAsString(), {}};
        for (QPDFAnnotationObjectHelper& widget : widgetsOf(field)) {
            QPDFObjectHandle ap = widget.getAppearanceStream("/N");
            if (!ap.isStream()) continue;
            auto data = ap.getStreamData(qpdf_dl_generalized);
            f.appearance.assign(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
        }
        out[field.getFullyQualifiedName()] = f;
    }
    return out;
}

}  // namespace

TEST(SampleSetup, IsCompleteWithOneToeDirection) {
    std::vector<std::string> keys = {
#define VANTREL_SETUP_FIELD(name) #name,
#include "SetupFields.def"
#undef VANTREL_SETUP_FIELD
    };
    const auto entries = sampleEntries();
    ASSERT_EQ(entries.size(), keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(entries[i].first, keys[i]);
        // Toe-out is chosen, so the toe-in entry stays empty like a capture leaves it.
        EXPECT_EQ(entries[i].second.empty(), keys[i] == "FrontToeIn") << keys[i];
        EXPECT_LE(entries[i].second.size(), 254u) << keys[i];
        EXPECT_EQ(entries[i].second.find('|'), std::string::npos) << keys[i] << " holds the data delimiter";
    }
}

TEST(SampleSetup, FillsTheTemplateWithEveryValueAndMarkDrawn) {
    testsupport::TempProgramFolder folder;
    for (const char* file :
         {"bin/Vantrel.ini", "Config/Setup_RDX.ini", "Templates/SetupSheet_RDX.pdf", "Data/Sample_RDX.dat"}) {
        fs::create_directories((folder.path() / file).parent_path());
        fs::copy_file(kStage / file, folder.path() / file);
    }
    for (const char* sub : {"Mapping", "Logs", "Sheets"}) fs::create_directories(folder.path() / sub);
    testsupport::ComponentRegistry registry(
        folder, {VANTREL_LOGGING_LIBRARY, VANTREL_QUORREL_LIBRARY, VANTREL_PDFAUTOMATION_LIBRARY});

    std::string sheet;
    {
        vantrel::CSetupManager manager;
        manager.setOpenInViewer(false);
        manager.setRawDataFile(folder.str() + "\\Data\\Sample_RDX.dat");
        manager.setSetupName("RDX");
        manager.setTargetPDFDirectory(folder.str() + "\\Sheets\\");
        try {
            manager.BuildSetupSheet();
        } catch (const platform::Error& e) {
            FAIL() << e.source() << ": " << e.description();
        }
        sheet = manager.TargetPDFFile();
    }
    const std::map<std::string, FilledField> fields = readSheet(platform::paths::toNative(sheet));
    ASSERT_EQ(fields.size(), 112u);

    const std::map<std::string, std::string> expected = {
        {"fldDriverName", "Alex Brennan"},
        {"fldRaceEvent", "Winter Series Round 3"},
        {"fldFrontCastor", "4 deg"},
        {"fldFrontToeIn", ""},
        {"fldFrontToeOut", "1 deg"},
        {"fldFrontCamber", "-1"},
        {"fldRearCamber", "-1.5 deg"},
        {"fldFrontAntiRollBar", "1.3mm"},
        {"fldRearAntiRollBar", "No"},
        {"fldFrontShockOil", "35 WT"},
        {"fldRearShockSpring", "4.8 lbs"},
        {"fldRearUprightToeIn", "2 deg"},
        {"fldFrontKickupF", "2"},
        {"fldRearAntisquatR", "3"},
        {"fldAckermanBellcrank2", "l"},
        {"fldAckermanHub1", "l"},
        {"fldFrontShockTowerShock2", "l"},
        {"fldFrontShockCamber3", "l"},
        {"fldFrontArmLong", "_"},
        {"fldFrontArmLong3", "l"},
        {"fldRearShockTowerShock3", "l"},
        {"fldRearShockCamber6", "l"},
        {"fldRearHubCamber2", "l"},
        {"fldRearArmShort", "_"},
        {"fldRearArmShort2", "l"},
        {"fldServo", "Sav\xC3\xB6x SC-1251MG"},
        {"fldTrackTemperature",
         "24 \xC2\xB0"
         "C"},
        {"fldResultsFinishPos", "3rd"},
    };
    for (const auto& [name, value] : expected) {
        ASSERT_TRUE(fields.count(name)) << name;
        EXPECT_EQ(fields.at(name).value, value) << name;
    }

    int marks = 0, bars = 0;
    for (const auto& [name, f] : fields) {
        if (f.value.empty()) continue;
        // Every value is drawn into the sheet, not left for a viewer to draw.
        EXPECT_NE(f.appearance.find(" Tj"), std::string::npos) << name << " has no appearance";
        if (f.value == "l") {
            ++marks;
            EXPECT_NE(f.appearance.find("(l) Tj"), std::string::npos) << name;
        }
        if (f.value == "_") {
            ++bars;
            EXPECT_NE(f.appearance.find("(_) Tj"), std::string::npos) << name;
        }
    }
    EXPECT_EQ(marks, 9);  // one hole in each of the nine marked option groups
    EXPECT_EQ(bars, 2);
}
