// A setup read back from the files it travels in: the raw data file, the
// sheet's attachment, the sheet's own fields; vantrel-batch --extract; and
// the files that are none of these.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "BatchRunner.h"
#include "CRulesEngine.h"
#include "PdfFields.h"
#include "Installation.h"
#include "ProgramFolderFiles.h"
#include "SetupFile.h"
#include "SetupReaders.h"
#include "ShellTestFolder.h"
#include "pdfauto/Document.h"
#include "platform/Error.h"

using namespace shelltest;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

// The setup the raw data load reads from a file.
vantrel::Setup loaded(const std::string& rawDataFile) {
    vantrel::CAppSettings settings;
    settings.setFileName(rawDataFile);
    settings.LoadRawData();
    vantrel::Setup values;
    for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i) values[i] = settings.field(vantrel::SetupField(i));
    return values;
}

// The sheet's 112 "fld" values, as qpdf reads them.
std::map<std::string, std::string> sheetValues(const fs::path& pdf) {
    std::map<std::string, std::string> values;
    for (const auto& [name, value] : testsupport::formFields(pdf))
        if (name.starts_with("fld")) values[name] = value;
    return values;
}

fs::path withoutAttachments(const fs::path& pdf, const fs::path& out) {
    QPDF document;
    document.processFile(pdf.string().c_str());
    QPDFEmbeddedFileDocumentHelper files(document);
    for (const auto& [name, file] : files.getEmbeddedFiles()) files.removeEmbeddedFile(name);
    const std::string outName = out.string();  // the writer keeps the name
    QPDFWriter writer(document, outName.c_str());
    writer.write();
    return out;
}

// The setup types of the folder's installation, as a program reads them where it starts.
vantrel::SetupTypeFolders setupTypesOf(const ShellTestFolder& folder) {
    return vantrel::setupTypeFolders(vantrel::Installation::read(folder.str()));
}

std::string buildSheet(ShellTestFolder& folder, const std::string& rawDataFile) {
    const BatchRun run = batch({"--target", folder.sheetsFolder(), rawDataFile});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out.substr(0, run.out.find('\n'));
}

}  // namespace

TEST(SetupFile, ASheetCarriesItsSetupAndGivesItBackAttachedOrFromItsFields) {
    ShellTestFolder folder;
    testsupport::copyFromStage(folder, "Data/Sample_RDX.dat");
    const std::string sample = (folder.path() / "Data" / "Sample_RDX.dat").string();
    const vantrel::Setup setup = loaded(sample);
    ASSERT_EQ(setup[0], "Alex Brennan");
    EXPECT_EQ(vantrel::readSetupFile(sample), setup);

    // The attachment: the setup as loaded, named after the sheet.
    const fs::path sheet = buildSheet(folder, sample);
    const std::string attachmentName = sheet.stem().string() + ".dat";
    {
        pdfauto::Document document(sheet.string());
        EXPECT_EQ(document.attachmentNames(), std::vector<std::string>{attachmentName});
        EXPECT_EQ(document.attachment(attachmentName), setup.rawDataText());
    }
    EXPECT_EQ(vantrel::readSetupFile(sheet.string()), setup);
    // Under another name the sheet still gives the setup attached to it.
    const fs::path renamed = folder.path() / "Renamed.pdf";
    fs::copy_file(sheet, renamed);
    EXPECT_EQ(vantrel::readSetupFile(renamed.string()), setup);

    // Without the attachment: the setup the fields give makes the same sheet,
    // and so does its raw data file written by --extract.
    const fs::path bare = withoutAttachments(sheet, folder.path() / "Bare.pdf");
    const vantrel::Setup derived = vantrel::readSetupFile(bare.string());
    vantrel::CAppSettings original, fromSheet;
    for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i) {
        original.setField(vantrel::SetupField(i), setup[i]);
        fromSheet.setField(vantrel::SetupField(i), derived[i]);
    }
    EXPECT_EQ(vantrel::CRulesEngine::SheetFrom(fromSheet), vantrel::CRulesEngine::SheetFrom(original));

    const std::string extracted = (folder.path() / "Data" / "Extracted.dat").string();
    const BatchRun run = batch({"--extract", bare.string(), extracted});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(loaded(extracted), derived);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    folder.host().setClock(nullptr);  // the real clock: a name of its own
    const fs::path rebuilt = buildSheet(folder, extracted);
    ASSERT_NE(rebuilt, sheet);
    EXPECT_EQ(sheetValues(rebuilt), sheetValues(sheet));
    EXPECT_EQ(sheetValues(sheet).size(), vantrel::SheetFieldCount);
}

TEST(SetupFile, AFileThatHoldsNoSetupIsOneErrorNamingItAndWhy) {
    ShellTestFolder folder;
    auto writePdf = [&](const std::string& name, bool locked) {
        QPDF pdf;
        pdf.emptyPDF();
        pdf.addPage(pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] >>")),
                    false);
        const std::string path = (folder.path() / name).string();
        QPDFWriter writer(pdf, path.c_str());
        if (locked)
            writer.setR6EncryptionParameters("pw", "owner", true, true, true, true, true, true, qpdf_r3p_full, true);
        writer.write();
        return path;
    };
    std::string random(4096, '\0');
    std::mt19937 rng(3);
    for (char& c : random) c = char(rng());
    const std::string oversize = (folder.path() / "Big.dat").string();
    { std::ofstream(oversize) << "[SetupData]\r\nDriverName=Big\r\n"; }
    fs::resize_file(oversize, 17 * 1024 * 1024);

    struct Case {
        std::string file;
        std::string reason;
    };
    const Case cases[] = {
        {(folder.path() / "Missing.dat").string(), "there is no such file"},
        {(folder.path() / "Data").string(), "it is a folder"},
        {oversize, "it is larger than 16 MiB"},
        {folder.write("Random.dat", random).string(), "it is not a setup"},
        {folder.write("Settings.ini", "[Vantrel]\r\nDataFile=x\r\n").string(), "it is not a setup"},
        {folder.write("Broken.pdf", "%PDF-1.7\n1 0 obj\n<< /Type /Cat").string(), "not a readable PDF"},
        {writePdf("Locked.pdf", true), "encrypted"},
        {writePdf("Plain.pdf", false), "it is not a setup sheet"},
        {(fs::path(VANTREL_TEST_DATA_DIR) / "pdfauto" / "LatexForm.pdf").string(), "it is not a setup sheet"},
    };
    const std::string outFile = folder.write("Data/Out.dat", "kept\r\n").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        try {
            vantrel::readSetupFile(c.file);
            ADD_FAILURE() << "read as a setup";
        } catch (const platform::Error& e) {
            EXPECT_THAT(e.description(), HasSubstr(c.file));
            EXPECT_THAT(e.description(), HasSubstr(c.reason));
        }
        const BatchRun run = batch({"--extract", c.file, outFile});
        EXPECT_EQ(run.status, vantrel::BatchRunner::ExitSomeFailed);
        EXPECT_EQ(run.out, "");
        EXPECT_THAT(run.err, StartsWith("Error: "));
        EXPECT_THAT(run.err, HasSubstr(c.file));
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(folder.read("Data/Out.dat"), "kept\r\n");
    }
    EXPECT_EQ(batch({"--extract", "only-one.pdf"}).status, vantrel::BatchRunner::ExitUsage);
}

// A template whose owner locked it: one that forbids filling in fails the
// run (never an unfilled sheet reported as filled) and keeps the copy; one
// that allows filling in but no other change gives the filled sheet without
// its setup, with a warning, and the setup still goes into the library.
TEST(SetupFile, ALockedTemplateFailsOnlyWhereItForbidsTheFillAndWarnsOfAMissingAttachment) {
    struct Case {
        bool allowFormFilling;
        const char* message;  // after the sheet's path
    };
    const Case cases[] = {
        {false, "does not allow its form to be filled in"},
        {true, "does not carry its setup: The document "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ShellTestFolder folder;
        const std::string templateFile = (folder.path() / "Templates" / "SetupSheet_RDX.pdf").string();
        const std::string locked = templateFile + ".locked";
        {
            QPDF pdf;
            pdf.processFile(templateFile.c_str());
            QPDFWriter writer(pdf, locked.c_str());
            writer.setR6EncryptionParameters("", "owner", true, true, false, c.allowFormFilling, c.allowFormFilling,
                                             false, qpdf_r3p_full, true);
            writer.write();
        }
        // Once qpdf has let go of both: Windows renames no file that is open.
        fs::rename(locked, templateFile);
        const BatchRun run = batch({"--target", folder.sheetsFolder(), folder.rawDataFile()});
        const fs::path sheet = fs::path(folder.sheetsFolder()) / ShellTestFolder::sheetName("Driver A", "RDX");
        if (!c.allowFormFilling) {
            // A fill that fails leaves no sheet: nothing at its name, nothing in the work folder.
            EXPECT_EQ(run.status, vantrel::BatchRunner::ExitSomeFailed);
            EXPECT_EQ(run.out, "");
            EXPECT_THAT(run.err, StartsWith("Error: CSetupManager::BuildSetupSheet-"));
            EXPECT_THAT(run.err, HasSubstr("The document " + sheet.string() + " " + c.message + "\n"));
            EXPECT_FALSE(fs::exists(sheet));
            EXPECT_TRUE(fs::is_empty(folder.path() / "Data" / ".unfinished"));
            continue;
        }
        ASSERT_TRUE(fs::exists(sheet));
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, sheet.string() + "\n");
        EXPECT_EQ(run.err, "Warning: The sheet " + sheet.string() + " " + c.message + sheet.string() +
                               " does not allow changes\n");
        EXPECT_EQ(ShellTestFolder::formFields(sheet).at("fldDriverName"), "Driver A");
        EXPECT_TRUE(pdfauto::Document(sheet.string()).attachmentNames().empty());
        const BatchRun exported = batch({"--export-csv", (folder.path() / "All.csv").string()});
        ASSERT_EQ(exported.status, 0) << exported.err;
        EXPECT_THAT(folder.read("All.csv"), HasSubstr("\"Driver A\""));
    }
}

namespace {

// The sheet with some of its form fields given new values, as a PDF reader saves them.
fs::path edited(const fs::path& sheet, const std::map<std::string, std::string>& values, const fs::path& out) {
    QPDF pdf;
    pdf.processFile(sheet.string().c_str());
    QPDFAcroFormDocumentHelper form(pdf);
    for (auto& field : form.getFormFields())
        if (auto it = values.find(field.getFullyQualifiedName()); it != values.end())
            field.setV(QPDFObjectHandle::newUnicodeString(it->second), false);
    const std::string outName = out.string();  // the writer keeps the name
    QPDFWriter writer(pdf, outName.c_str());
    writer.write();
    return out;
}

}  // namespace

// Edits made in a PDF reader after the run: the sheet's value wins for the
// setup fields it comes from, and the rest is the attachment's exactly.
TEST(SetupFile, TheSheetsEditsWinOverItsAttachmentForTheFieldsTheyComeFrom) {
    ShellTestFolder folder;
    testsupport::copyFromStage(folder, "Data/Sample_RDX.dat");
    const std::string sample = (folder.path() / "Data" / "Sample_RDX.dat").string();
    const vantrel::Setup setup = loaded(sample);
    const fs::path sheet = buildSheet(folder, sample);
    const auto shown = sheetValues(sheet);
    const vantrel::CRulesEngine::SheetValues made = vantrel::CRulesEngine::SheetFrom([&] {
        vantrel::CAppSettings s;
        for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i) s.setField(vantrel::SetupField(i), setup[i]);
        return s;
    }());

    std::mt19937 rng(5);
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        // A few value fields given new text (the anti-roll bars' "No" aside).
        std::map<std::string, std::string> edits;
        std::set<vantrel::SetupField> sources;
        while (edits.size() < 1 + std::size_t(round)) {
            const std::size_t i = rng() % vantrel::SheetFieldCount;
            const auto origin = vantrel::CRulesEngine::SourceOf(vantrel::SheetField(i));
            const std::string name(vantrel::SheetFieldNames[i]);
            if (origin.mark || made[i].empty() || name.find("AntiRollBar") != std::string::npos) continue;
            edits["fld" + name] = "1" + made[i];
            sources.insert(origin.fields[0]);
        }
        const fs::path changed = edited(sheet, edits, folder.path() / "Edited.pdf");
        const vantrel::SetupRead read = vantrel::readSetup(changed.string(), setupTypesOf(folder));
        EXPECT_EQ(read.origin, vantrel::SetupOrigin::Attachment);
        EXPECT_EQ(std::set<vantrel::SetupField>(read.fromEdits.begin(), read.fromEdits.end()), sources);
        for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i)
            if (!sources.count(vantrel::SetupField(i))) {
                EXPECT_EQ(read.values[i], setup[i]) << vantrel::SetupFieldKeys[i];
            }
        // A sheet built again from what was read shows the edits and nothing else changed.
        vantrel::CAppSettings again;
        for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i)
            again.setField(vantrel::SetupField(i), read.values[i]);
        const auto rebuilt = vantrel::CRulesEngine::SheetFrom(again);
        for (std::size_t i = 0; i < vantrel::SheetFieldCount; ++i) {
            const std::string name = "fld" + std::string(vantrel::SheetFieldNames[i]);
            EXPECT_EQ(rebuilt[i], edits.count(name) ? edits[name] : shown.at(name)) << name;
        }
    }
    // --extract takes the edits and says which.
    const fs::path changed =
        edited(sheet, {{"fldNotes", "Loose at the rear"}, {"fldResultsFinishPos", "2nd"}, {"fldRearShockOil", "35 WT"}},
               folder.path() / "Notes.pdf");
    const std::string out = (folder.path() / "Data" / "Out.dat").string();
    const BatchRun run = batch({"--extract", changed.string(), out});
    ASSERT_EQ(run.status, 0) << run.err;
    // In the window's words, with tab and frame where a caption alone would not tell.
    EXPECT_EQ(run.out, changed.string() + ": from the sheet's edits: Rear Shocks Oil, Finishing Position, Notes\n");
    EXPECT_EQ(loaded(out)[std::size_t(vantrel::SetupField::Notes)], "Loose at the rear");
}

// A sheet of one's own setup type without its attachment reads back through
// the type's mapping file; fields the mapping does not name stay empty.
TEST(SetupFile, ASheetOfOnesOwnSetupTypeReadsBackThroughItsMapping) {
    ShellTestFolder folder;
    testsupport::copyFromStage(folder, "Data/Sample_RDX.dat");
    fs::copy_file(fs::path(VANTREL_TEST_DATA_DIR) / "setuptype" / "ClubSetupSheet.pdf",
                  folder.path() / "Templates" / "SetupSheet_Riverside.pdf");
    folder.write("Config/Setup_Riverside.ini",
                 "[Setup]\r\nSetupName=Riverside\r\nMappingFile=Riverside.map\r\n"
                 "PDFTemplateSetupSheet=SetupSheet_Riverside.pdf\r\n");
    folder.write("Mapping/Riverside.map",
                 "1=Driver Name\r\n4=Race Date\r\n17=front_shock_spring\r\n93=Setup comments\r\n");
    const BatchRun run = batch({"--setup", "Riverside", "--target", folder.sheetsFolder(),
                                (folder.path() / "Data" / "Sample_RDX.dat").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path sheet = run.out.substr(0, run.out.find('\n'));
    // The date box keeps 10 characters: the run said what it cut.
    EXPECT_THAT(run.err, HasSubstr("Warning: The sheet field \"Race Date\" keeps at most 10 characters"));
    const fs::path bare = withoutAttachments(sheet, folder.path() / "Sheets" / ("Bare_" + sheet.filename().string()));
    for (const fs::path& file : {bare, withoutAttachments(sheet, folder.path() / "Club.pdf")}) {
        SCOPED_TRACE(file.string());
        const vantrel::SetupRead read = vantrel::readSetup(file.string(), setupTypesOf(folder));
        EXPECT_EQ(read.origin, vantrel::SetupOrigin::OwnSetupType);
        EXPECT_EQ(read.setupType, "Riverside");
        const vantrel::Setup setup = loaded((folder.path() / "Data" / "Sample_RDX.dat").string());
        vantrel::Setup expected;
        for (auto field :
             {vantrel::SetupField::DriverName, vantrel::SetupField::FrontShockSpring, vantrel::SetupField::Comments})
            expected[std::size_t(field)] = setup[std::size_t(field)];
        expected[std::size_t(vantrel::SetupField::EventDate)] =
            setup[std::size_t(vantrel::SetupField::EventDate)].substr(0, 10);
        EXPECT_EQ(read.values, expected);
    }
}
