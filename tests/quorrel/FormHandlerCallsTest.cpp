// The calls Quorrel makes on the PDF automation objects, in order, seen
// through the recording stand-in.

#include <gtest/gtest.h>

#include "QuorrelTestFolder.h"
#include "RecordingAcrobat.h"
#include "pdfauto/Acrobat.h"
#include "platform/Paths.h"

using quorreltest::errorOf;
using Lines = std::vector<std::string>;

namespace {

class FormHandlerCalls : public ::testing::Test {
protected:
    quorreltest::QuorrelFolder q;
    testsupport::RecordingAcrobat acrobat{q.registry()};
    std::string pdf = q.write("Sheets/sheet.pdf", "%PDF-1.4 stand-in\n");
};

TEST_F(FormHandlerCalls, FillFormOpensWritesEveryMappedFieldInOrderSavesAndCloses) {
    acrobat.setFields({"fldSignature0", "fldA", "!fldRefuses", "fldC"});
    auto mapping = q.write("Mapping/m.map", "1=fldA\r\n2=fldMissing\r\n2=fldRefuses\r\n3=fldC\r\n");
    auto data = q.write("Data/d.txt", "x|y|z\r\n");
    {
        auto filler = q.filler(pdf, data, mapping);
        ASSERT_FALSE(errorOf(filler->FillForm()).raised);
    }
    EXPECT_EQ(acrobat.calls(), (Lines{
                                   "new AcroExch.AVDoc",
                                   "AVDoc.Open(" + pdf + ", AdobeFormHandler)",
                                   "new AFormAut.App",
                                   "FormApp.Fields",
                                   "Fields.Item(fldSignature0)",
                                   "Field[fldSignature0].Value=Signed",
                                   "Fields.Item(fldA)",
                                   "Field[fldA].Value=x",
                                   "Fields.Item(fldMissing)",
                                   "Fields.Item(fldRefuses)",
                                   "Field[fldRefuses].Value=y !refused",
                                   "Fields.Item(fldC)",
                                   "Field[fldC].Value=z",
                                   "AVDoc.GetPDDoc()",
                                   "PDDoc.Save(1, " + pdf + ")",
                                   "AVDoc.Close(0)",
                                   "AVDoc.IsValid()",
                                   // The handler is released at the end of the fill, and with it
                                   // the view (no longer valid) and the forms application.
                                   "delete AcroExch.AVDoc",
                                   "delete AFormAut.App",
                               }));
}

TEST_F(FormHandlerCalls, SetFieldWritesOneFieldAndSaves) {
    auto handler = q.handler();
    ASSERT_FALSE(errorOf(handler->SetField("fldDriverName", "Jo", pdf)).raised);
    EXPECT_EQ(acrobat.memberCalls(), (Lines{
                                         "AVDoc.Open(" + pdf + ", AdobeFormHandler)",
                                         "FormApp.Fields",
                                         "Fields.Item(fldDriverName)",
                                         "Field[fldDriverName].Value=Jo",
                                         "AVDoc.GetPDDoc()",
                                         "PDDoc.Save(1, " + pdf + ")",
                                         "AVDoc.Close(0)",
                                         "AVDoc.IsValid()",
                                     }));
}

TEST_F(FormHandlerCalls, GetFieldWalksTheFieldsComparingNamesWithLetterCase) {
    acrobat.setFields({"FldX=upper", "fldX=lower", "fldY=other"});
    auto handler = q.handler();
    std::string value;
    ASSERT_FALSE(errorOf(handler->GetField("fldX", pdf, &value)).raised);
    EXPECT_EQ(value, "lower");
    EXPECT_EQ(acrobat.memberCalls(), (Lines{
                                         "AVDoc.Open(" + pdf + ", AdobeFormHandler)",
                                         "FormApp.Fields",
                                         "Fields.NewEnum",
                                         "Field[FldX].Name",
                                         "Field[fldX].Name",
                                         "Field[fldX].Value",
                                         "AVDoc.Close(0)",
                                         "AVDoc.IsValid()",
                                     }));

    acrobat.clear();
    ASSERT_FALSE(errorOf(handler->GetField("fldNone", pdf, &value)).raised);
    EXPECT_EQ(value, "");
    EXPECT_EQ(acrobat.memberCalls().size(), 8u);  // every name looked at, no value read, no save
}

TEST_F(FormHandlerCalls, PageNumberCreatesOneFormattedFieldPerPage) {
    acrobat.setPageCount(2);
    auto handler = q.handler();
    bool numbered = false;
    ASSERT_FALSE(errorOf(handler->PageNumber("Helvetica", "9", 10, 20, 30, 40, pdf, true, "n/x", &numbered)).raised);
    EXPECT_TRUE(numbered);
    auto createField = [&](const std::string& n, const std::string& text) {
        return Lines{
            "AVDoc.Open(" + pdf + ", AdobeFormHandler)",
            "FormApp.Fields",
            "Fields.Add(fldPageNumber" + n + ", text, " + std::to_string(std::stoi(n) - 1) + ", 10, 20, 30, 40)",
            "Fields.Item(fldPageNumber" + n + ")",
            "Field[fldPageNumber" + n + "].Value=" + text,
            "Field[fldPageNumber" + n + "].TextFont=Helvetica",
            "Field[fldPageNumber" + n + "].TextSize=9",
            "AVDoc.GetPDDoc()",
            "PDDoc.Save(1, " + pdf + ")",
            "AVDoc.Close(0)",
        };
    };
    Lines expected{"AVDoc.Open(" + pdf + ", AdobePageNumberer)", "AVDoc.GetPDDoc()", "PDDoc.GetNumPages()",
                   "PDDoc.AcquirePage(0)"};
    for (auto& l : createField("1", "1/2")) expected.push_back(l);
    expected.push_back("PDDoc.AcquirePage(1)");
    for (auto& l : createField("2", "2/2")) expected.push_back(l);
    expected.push_back("AVDoc.Close(0)");
    expected.push_back("AVDoc.IsValid()");
    EXPECT_EQ(acrobat.memberCalls(), expected);
}

TEST_F(FormHandlerCalls, PageNumberWithoutAFileDoesNothing) {
    bool numbered = true;
    ASSERT_FALSE(
        errorOf(q.handler()->PageNumber("Helvetica", "9", 1, 2, 3, 4, "", true, "Page n of x", &numbered)).raised);
    EXPECT_FALSE(numbered);
    EXPECT_TRUE(acrobat.calls().empty());
}

TEST_F(FormHandlerCalls, PageNumberTakesItsOptionalArgumentsByDispatch) {
    acrobat.setPageCount(1);
    auto handler = q.handler();
    com::Variant numbered = com::invoke(handler.get(), "PageNumber", com::DISPATCH_METHOD,
                                        {"Helvetica", "9", int16_t{1}, int16_t{2}, int16_t{3}, int16_t{4}, pdf});
    EXPECT_TRUE(numbered.toBool());
    const auto calls = acrobat.memberCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Field[fldPageNumber1].Value=Page 1 of 1"), calls.end());
}

TEST_F(FormHandlerCalls, CreateFieldReportsNothingWhenTheDocumentDoesNotOpen) {
    acrobat.setOpenResult(false);
    auto handler = q.handler();
    EXPECT_FALSE(errorOf(handler->CreateField("Helvetica", "9", 1, 2, 3, 4, "fldNew", "v", 0, pdf)).raised);
    EXPECT_EQ(acrobat.memberCalls(), (Lines{"AVDoc.Open(" + pdf + ", AdobeFormHandler)"}));
}

// The failures of a fill: the error that reaches the caller, and what the
// automation objects saw by then.
TEST_F(FormHandlerCalls, FillFormFailures) {
    const std::string goodMapping = q.write("Mapping/good.map", "1=fldA\r\n");
    const std::string goodData = q.write("Data/good.txt", "x\r\n");
    const std::string missing = q.path("Data/none.txt");
    const std::string failing = q.write("Sheets/fail-open.pdf", "%PDF-1.4\n");
    struct Case {
        const char* what;
        std::string mapping, data, pdf;
        std::string source, description;
        Lines calls;
    };
    const std::vector<Case> cases{
        {"missing mapping", missing, goodData, pdf, "CMappingFileHandler", "Cannot open " + missing, {}},
        {"empty mapping line",
         q.write("Mapping/gap.map", "1=fldA\r\n\r\n2=fldB\r\n"),
         goodData,
         pdf,
         "CMappingFileHandler",
         "Cannot open " + q.path("Mapping/gap.map"),
         {}},
        {"mapping line without =",
         q.write("Mapping/bad.map", "1 fldA\r\n"),
         goodData,
         pdf,
         "CMappingFileHandler",
         "Cannot open " + q.path("Mapping/bad.map"),
         {}},
        {"index beyond 16 bits",
         q.write("Mapping/big.map", "40000=fldA\r\n"),
         goodData,
         pdf,
         "CMappingFileHandler",
         "Cannot open " + q.path("Mapping/big.map"),
         {}},
        {"missing data file", goodMapping, missing, pdf, "CDelimitedFileHandler", "Cannot open " + missing, {}},
        {"data file is a folder",
         goodMapping,
         q.path("Data"),
         pdf,
         "CDelimitedFileHandler",
         "Cannot open " + q.path("Data"),
         {}},
        {"missing pdf",
         goodMapping,
         goodData,
         q.path("Sheets/none.pdf"),
         "CAdobeFormHandler",
         "Cannot open " + q.path("Sheets/none.pdf"),
         {}},
        {"pdf that does not open",
         goodMapping,
         goodData,
         failing,
         "CAdobeFormHandler",
         "Cannot open " + failing,
         {"new AcroExch.AVDoc", "AVDoc.Open(" + failing + ", AdobeFormHandler)", "delete AcroExch.AVDoc"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        acrobat.clear();
        auto filler = q.filler(c.pdf, c.data, c.mapping);
        const auto seen = errorOf(filler->FillForm());
        filler.reset();
        EXPECT_TRUE(seen.raised);
        EXPECT_EQ(seen.number, 53);
        EXPECT_EQ(seen.source, c.source);
        // The message names the file, with the separators the system takes.
        EXPECT_EQ(platform::paths::toNative(seen.description), platform::paths::toNative(c.description));
        EXPECT_EQ(acrobat.calls(), c.calls);
    }
}

TEST_F(FormHandlerCalls, FillFormByNameRaisesTheSameErrorToALateBoundCaller) {
    auto filler = com::createObject("Quorrel.CPdfFormFiller");
    const std::string mapping = q.path("Mapping/none.map");
    com::invoke(filler.get(), "MappingFile", com::DISPATCH_PROPERTYPUT, {mapping});
    EXPECT_EQ(com::invoke(filler.get(), "MappingFile", com::DISPATCH_PROPERTYGET).toString(), mapping);
    try {
        com::invoke(filler.get(), "FillForm", com::DISPATCH_METHOD);
        FAIL() << "FillForm succeeded without a mapping file";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 53);
        EXPECT_EQ(e.source(), "CMappingFileHandler");
        EXPECT_EQ(e.description(), "Cannot open " + platform::paths::toNative(mapping));
    }
    EXPECT_TRUE(acrobat.calls().empty());
}

}  // namespace

namespace {

// The stand-in itself, as the program's own tests rely on it.
TEST(RecordingStandIn, RecordsApplicationCallsAndRefusesOtherArgumentTypes) {
    testsupport::TempProgramFolder folder;
    testsupport::ComponentRegistry registry(folder, {});
    testsupport::RecordingAcrobat acrobat(registry);
    const std::string pdf = folder.write("x.pdf", "%PDF").string();
    {
        auto app = com::createObject(pdfauto::ProgIdApp);
        auto view = com::createObject(pdfauto::ProgIdAVDoc);
        EXPECT_TRUE(com::invoke(view.get(), pdfauto::avdoc::Open, com::DISPATCH_METHOD, {pdf, ""}).toBool());
        EXPECT_FALSE(com::invoke(view.get(), "Open", com::DISPATCH_METHOD, {pdf + ".none", ""}).toBool());
        com::invoke(app.get(), 24, com::DISPATCH_METHOD, {int32_t{1}});
        EXPECT_THROW(com::invoke(app.get(), 21, com::DISPATCH_METHOD, {int16_t{1}}), platform::Error);
    }
    EXPECT_EQ(acrobat.calls(), (Lines{"new AcroExch.App", "new AcroExch.AVDoc", "AVDoc.Open(" + pdf + ", )",
                                      "AVDoc.Open(" + pdf + ".none, )", "App.Show24(1)", "App.Show21(1) !type",
                                      "delete AcroExch.AVDoc", "delete AcroExch.App"}));
}

}  // namespace
