// A saved sheet as Linux tools see it: its permissions kept, its text read by
// pdftotext from the appearances alone.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

#include "FormPdfBuilder.h"
#include "PdfForm.h"
#include "TempProgramFolder.h"

namespace {

using namespace pdfauto;
using namespace pdfautotest;

TEST(SavedFileTest, SaveKeepsThePermissionsOfTheFileItReplaces) {
    testsupport::TempProgramFolder folder;
    const std::string path = (folder.path() / "sheet.pdf").string();
    writeForm(path, FormSpec{.fields = {{.name = "fldA"}}});
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    PdfForm form(path);
    form.find("fldA")->setValue("x");
    form.save(path);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(SavedFileTest, AViewerThatNeverRedrawsShowsTheLatinText) {
    testsupport::TempProgramFolder folder;
    // pdftotext reads the appearance streams when no redraw is asked for.
    ASSERT_EQ(std::system("command -v pdftotext >/dev/null 2>&1"), 0)
        << "pdftotext is not installed (package poppler-utils, in scripts/packages.txt)";
    const std::string path = (folder.path() / "sheet.pdf").string();
    writeForm(path, FormSpec{.fields = {{.name = "fldLatin", .da = "/Helv 12 Tf 0 g"}}});
    {
        PdfForm form(path);
        form.find("fldLatin")->setValue("Grüße é ö ß ° ± €");
        form.save(path);
    }
    const std::string text = (folder.path() / "sheet.txt").string();
    ASSERT_EQ(std::system(("pdftotext -q '" + path + "' '" + text + "'").c_str()), 0);
    EXPECT_NE(testsupport::TempProgramFolder::readFile(text).find("Grüße é ö ß ° ± €"), std::string::npos);
}

}  // namespace
