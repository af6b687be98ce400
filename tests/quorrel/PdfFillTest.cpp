// Real fills of PDFs the tests make, through Quorrel and the PDF automation
// library, read back with qpdf.

#include <gtest/gtest.h>

#include "QuorrelTestFolder.h"
#include "TestPdf.h"

using quorreltest::errorOf;
using quorreltest::readFieldValues;
using quorreltest::TextField;
using Values = std::map<std::string, std::string>;

namespace {

class PdfFill : public ::testing::Test {
protected:
    PdfFill() { q.registry().add(VANTREL_PDFAUTOMATION_LIBRARY); }

    std::string makePdf(const std::string& relative, int pages, const std::vector<TextField>& fields) {
        const std::string path = q.path(relative);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        quorreltest::writeFormPdf(path, pages, fields);
        return path;
    }
    quorreltest::ErrorSeen fill(const std::string& pdf, const std::string& data, const std::string& mapping,
                                const std::string& delimiter = "|") {
        return errorOf(q.filler(pdf, data, mapping, delimiter)->FillForm());
    }

    quorreltest::QuorrelFolder q;
};

TEST_F(PdfFill, TextMarkAndMultiLineFieldsOnTwoPages) {
    const auto pdf = makePdf("Sheets/two.pdf", 2,
                             {{"fldSignature0"},
                              {"fldDriverName"},
                              {"fldMark", 0, "/ZaDb 0 Tf 0 g"},
                              {"fldNotes", 1, "/Helv 10 Tf 0 g", true},
                              {"fldUnmapped", 1}});
    const auto mapping = q.write("Mapping/m.map", "1=fldDriverName\r\n2=fldMark\r\n3=fldNotes\r\n7=fldNotInPdf\r\n");
    const auto data = q.write("Data/d.txt", "Jo Smith|l|soft track\nwarm tyres|unused\r\nsecond|record\r\n");

    ASSERT_FALSE(fill(pdf, data, mapping).raised);
    EXPECT_EQ(readFieldValues(pdf), (Values{{"fldSignature0", "Signed"},
                                            {"fldDriverName", "Jo Smith"},
                                            {"fldMark", "l"},
                                            {"fldNotes", "soft track\nwarm tyres"},
                                            {"fldUnmapped", ""}}));
}

TEST_F(PdfFill, NonAsciiDelimiterAndValues) {
    const auto pdf = makePdf("s.pdf", 1, {{"fldA"}, {"fldB"}});
    const auto mapping = q.write("m.map", "2=fldA\r\n1=fldB\r\n");
    const auto data = q.write("d.txt", "Müller¦12 °\r\n");
    ASSERT_FALSE(fill(pdf, data, mapping, "¦").raised);
    EXPECT_EQ(readFieldValues(pdf), (Values{{"fldA", "12 °"}, {"fldB", "Müller"}}));
}

TEST_F(PdfFill, EmptyDataFileFillsEveryFieldWithEmptyTextAndStillSaves) {
    const auto pdf = makePdf("s.pdf", 1, {{"fldSignature0"}, {"fldA"}, {"fldB"}});
    const auto mapping = q.write("m.map", "1=fldA\r\n2=fldB\r\n");
    ASSERT_FALSE(fill(pdf, q.write("full.txt", "a|b\r\n"), mapping).raised);
    ASSERT_FALSE(fill(pdf, q.write("empty.txt", ""), mapping).raised);
    EXPECT_EQ(readFieldValues(pdf), (Values{{"fldSignature0", "Signed"}, {"fldA", ""}, {"fldB", ""}}));
}

TEST_F(PdfFill, LaterMappingLineForTheSameFieldWins) {
    const auto pdf = makePdf("s.pdf", 1, {{"fldA"}, {"fldSignature0"}});
    const auto mapping = q.write("m.map", "1=fldA\r\n2=fldA\r\n3=fldSignature0\r\n");
    ASSERT_FALSE(fill(pdf, q.write("d.txt", "first|second|mine\r\n"), mapping).raised);
    // A mapped fldSignature0 overwrites the "Signed" written before the mapping.
    EXPECT_EQ(readFieldValues(pdf), (Values{{"fldA", "second"}, {"fldSignature0", "mine"}}));
}

TEST_F(PdfFill, FillingTwiceGivesTheSameValues) {
    const auto pdf = makePdf("s.pdf", 1, {{"fldA"}, {"fldB"}});
    const auto mapping = q.write("m.map", "1=fldA\r\n2=fldB\r\n");
    const auto data = q.write("d.txt", "x|y\r\n");
    auto filler = q.filler(pdf, data, mapping);
    ASSERT_FALSE(errorOf(filler->FillForm()).raised);
    const auto once = readFieldValues(pdf);
    ASSERT_FALSE(errorOf(filler->FillForm()).raised);
    EXPECT_EQ(readFieldValues(pdf), once);
    EXPECT_EQ(once.at("fldB"), "y");
}

TEST_F(PdfFill, PdfIsUntouchedWhenATextFileFails) {
    const auto pdf = makePdf("s.pdf", 1, {{"fldA"}});
    const std::string before = testsupport::TempProgramFolder::readFile(pdf);
    const auto goodMapping = q.write("m.map", "1=fldA\r\n");
    const auto goodData = q.write("d.txt", "x\r\n");
    EXPECT_EQ(fill(pdf, goodData, q.write("bad.map", "1=fldA\r\nfldB\r\n")).source, "CMappingFileHandler");
    EXPECT_EQ(fill(pdf, q.path("none.txt"), goodMapping).source, "CDelimitedFileHandler");
    EXPECT_EQ(testsupport::TempProgramFolder::readFile(pdf), before);
}

TEST_F(PdfFill, FileThatIsNoPdfIsNotOpened) {
    const auto notPdf = q.write("text.pdf", "just text\r\n");
    const auto seen = fill(notPdf, q.write("d.txt", "x\r\n"), q.write("m.map", "1=fldA\r\n"));
    EXPECT_EQ(seen.number, 53);
    EXPECT_EQ(seen.source, "CAdobeFormHandler");
    EXPECT_EQ(seen.description, "Cannot open " + notPdf);
    EXPECT_EQ(testsupport::TempProgramFolder::readFile(notPdf), "just text\r\n");
}

TEST_F(PdfFill, SetAndGetSingleFields) {
    const auto pdf = makePdf("s.pdf", 1, {{"fldA"}, {"FldA"}});
    auto handler = q.handler();
    ASSERT_FALSE(errorOf(handler->SetField("fldA", "lower", pdf)).raised);
    ASSERT_FALSE(errorOf(handler->SetField("FldA", "upper", pdf)).raised);
    ASSERT_FALSE(errorOf(handler->SetField("fldMissing", "x", pdf)).raised);
    std::string value;
    ASSERT_FALSE(errorOf(handler->GetField("fldA", pdf, &value)).raised);
    EXPECT_EQ(value, "lower");
    ASSERT_FALSE(errorOf(handler->GetField("fldMissing", pdf, &value)).raised);
    EXPECT_EQ(value, "");
}

TEST_F(PdfFill, PageNumbersOnEveryPageOfAThreePageForm) {
    const auto pdf = makePdf("Sheets/three.pdf", 3, {{"fldA"}});
    bool numbered = false;
    ASSERT_FALSE(
        errorOf(q.handler()->PageNumber("Helvetica", "9", 500, 40, 590, 20, pdf, true, "Page n of x", &numbered))
            .raised);
    EXPECT_TRUE(numbered);
    EXPECT_EQ(readFieldValues(pdf), (Values{{"fldA", ""},
                                            {"fldPageNumber1", "Page 1 of 3"},
                                            {"fldPageNumber2", "Page 2 of 3"},
                                            {"fldPageNumber3", "Page 3 of 3"}}));

    // Each number sits on its own page.
    QPDF read;
    read.processFile(pdf.c_str());
    QPDFAcroFormDocumentHelper forms(read);
    QPDFPageDocumentHelper pages(read);
    auto all = pages.getAllPages();
    for (std::size_t i = 0; i < all.size(); ++i) {
        bool found = false;
        for (auto& widget : forms.getWidgetAnnotationsForPage(all[i]))
            found = found || forms.getFieldForAnnotation(widget).getFullyQualifiedName() ==
                                 "fldPageNumber" + std::to_string(i + 1);
        EXPECT_TRUE(found) << "page " << i + 1;
    }
}

TEST_F(PdfFill, PageNumberAloneWhenNotNOfX) {
    const auto pdf = makePdf("s.pdf", 2, {});
    bool numbered = false;
    ASSERT_FALSE(
        errorOf(q.handler()->PageNumber("Helvetica", "9", 500, 40, 590, 20, pdf, false, "Page n of x", &numbered))
            .raised);
    EXPECT_EQ(readFieldValues(pdf), (Values{{"fldPageNumber1", "1"}, {"fldPageNumber2", "2"}}));
}

// Without the PDF automation objects the creation error reaches the caller
// unchanged, and the fill is not reported as done.
TEST(PdfFillWithoutAutomation, CreationErrorReachesTheCaller) {
    quorreltest::QuorrelFolder q;
    const std::string pdf = q.write("s.pdf", "%PDF-1.4\n");
    const auto seen = errorOf(q.filler(pdf, q.write("d.txt", "x\r\n"), q.write("m.map", "1=fldA\r\n"))->FillForm());
    EXPECT_TRUE(seen.raised);
    EXPECT_EQ(seen.number, 429);
    EXPECT_EQ(testsupport::TempProgramFolder::readFile(pdf), "%PDF-1.4\n");
}

}  // namespace
