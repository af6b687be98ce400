// The engine: loading, the field list, values, new fields, fonts and the atomic save.
#include "FormPdfBuilder.h"
#include "FormReader.h"
#include "PdfForm.h"

#include "TempProgramFolder.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <qpdf/QPDFWriter.hh>

#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;
using namespace pdfautotest;
using pdfauto::FormField;
using pdfauto::PdfForm;

class PdfFormTest : public ::testing::Test {
protected:
    std::string make(const std::string& file, const FormSpec& layout) {
        const std::string path = (folder.path() / file).string();
        writeForm(path, layout);
        return path;
    }
    static std::vector<std::string> names(PdfForm& form) {
        std::vector<std::string> out;
        for (std::size_t k = 0; k < form.fieldCount(); ++k) out.push_back(form.fieldAt(k).name());
        return out;
    }
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(folder.path())) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    testsupport::TempProgramFolder folder;
};

TEST_F(PdfFormTest, OpenRefusesWhatIsNotAReadablePdfAndSaysWhy) {
    struct Case {
        const char* label;
        std::function<std::string()> makeFile;
        const char* reason;
    };
    const std::vector<Case> cases{
        {"missing file", [&] { return (folder.path() / "nowhere.pdf").string(); }, "No such file"},
        {"folder", [&] { return (folder.path() / "bin").string(); }, "it is a folder"},
        {"text file",
         [&] { return folder.write("notes.pdf", "These are not the pages you are looking for.\n").string(); },
         "not a readable PDF"},
        {"empty file", [&] { return folder.write("empty.pdf", "").string(); }, "not a readable PDF"},
        {"encrypted with a password",
         [&] {
             QPDF pdf;
             buildForm(pdf, FormSpec{.fields = {{.name = "fldA"}}});
             const std::string path = (folder.path() / "locked.pdf").string();
             QPDFWriter w(pdf, path.c_str());
             w.setR6EncryptionParameters("user", "owner", true, true, true, true, true, true, qpdf_r3p_full, true);
             w.write();
             return path;
         },
         "needs a password"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = c.makeFile();
        try {
            PdfForm form(path);
            ADD_FAILURE() << "opened";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), platform::ErrFileNotFound);
            EXPECT_EQ(e.description().rfind("Cannot open " + path + ": ", 0), 0u) << e.description();
            EXPECT_NE(e.description().find(c.reason), std::string::npos) << e.description();
        }
    }
}

TEST_F(PdfFormTest, EncryptedWithoutUserPasswordOpensAndFills) {
    QPDF pdf;
    buildForm(pdf, FormSpec{.fields = {{.name = "fldA"}}});
    const std::string path = (folder.path() / "owner-only.pdf").string();
    {
        QPDFWriter w(pdf, path.c_str());
        w.setR6EncryptionParameters("", "owner", true, true, true, true, true, true, qpdf_r3p_full, true);
        w.write();
    }
    PdfForm form(path);
    ASSERT_NE(form.find("fldA"), nullptr);
    form.find("fldA")->setValue("filled");
    form.save(path);
    EXPECT_EQ(FormReader(path).value("fldA"), "filled");
}

TEST_F(PdfFormTest, DocumentWithoutFormHasNoFieldsUntilOneIsAdded) {
    const std::string path = make("plain.pdf", FormSpec{.pages = 2, .withAcroForm = false});
    PdfForm form(path);
    EXPECT_EQ(form.pageCount(), 2);
    EXPECT_EQ(form.fieldCount(), 0u);
    EXPECT_EQ(form.find("fldA"), nullptr);

    form.addTextField("fldPageNumber2", 1, 400, 60, 550, 40).setValue("Page 2 of 2");
    form.save(path);

    FormReader reader(path);
    EXPECT_EQ(reader.value("fldPageNumber2"), "Page 2 of 2");
    auto pages = reader.pdf().getAllPages();
    EXPECT_FALSE(pages[0].getKey("/Annots").isArray());
    ASSERT_TRUE(pages[1].getKey("/Annots").isArray());
    EXPECT_EQ(pages[1].getKey("/Annots").getArrayNItems(), 1);
    EXPECT_TRUE(pages[1].getKey("/Annots").getArrayItem(0).isSameObjectAs(reader.widget("fldPageNumber2")));
    EXPECT_EQ(reader.widget("fldPageNumber2").getKey("/Rect").unparse(), "[ 400 40 550 60 ]");
    EXPECT_EQ(reader.widget("fldPageNumber2").getKey("/F").getIntValue() & 4, 4) << "printed";
}

TEST_F(PdfFormTest, FieldsComeInDocumentOrderUnderFullyQualifiedNames) {
    const std::string path = make("tree.pdf", FormSpec{.fields = {
                                                           {.name = "fldB"},
                                                           {.name = "grp.one", .separateWidget = true},
                                                           {.name = "fldA"},
                                                           {.name = "grp.two"},
                                                       }});
    PdfForm form(path);
    EXPECT_EQ(names(form), (std::vector<std::string>{"fldB", "grp.one", "grp.two", "fldA"}));

    struct Lookup {
        const char* name;
        bool found;
    };
    for (const auto& l : std::vector<Lookup>{{"grp.one", true},
                                             {"fldA", true},
                                             {"one", false},
                                             {"grp", false},
                                             {"FLDA", false},
                                             {"fldA ", false},
                                             {"", false}}) {
        SCOPED_TRACE(l.name);
        FormField* f = form.find(l.name);
        EXPECT_EQ(f != nullptr, l.found);
        if (f) {
            EXPECT_EQ(f->name(), l.name);
        }
    }
    EXPECT_EQ(form.find("grp.one")->widgets().size(), 1u) << "the kid widget, not the field";
}

TEST_F(PdfFormTest, ValuesSurviveSaveAndReopen) {
    const std::vector<std::string> values{"Hello",    "é ö ß ° ± €",        "日本語", "",
                                          "a(b)\\c)", "line one\nline two", "12.5 mm"};
    FormSpec layout;
    for (std::size_t k = 0; k < values.size(); ++k)
        layout.fields.push_back({.name = "fld" + std::to_string(k),
                                 .rect = {10, 700.0 - 30 * k, 300, 720.0 - 30 * k},
                                 .value = std::string("old")});
    const std::string path = make("values.pdf", layout);
    {
        PdfForm form(path);
        form.find("fld0")->object().replaceKey("/RV", QPDFObjectHandle::newString("<body>old</body>"));
        for (std::size_t k = 0; k < values.size(); ++k) form.find("fld" + std::to_string(k))->setValue(values[k]);
        for (std::size_t k = 0; k < values.size(); ++k)
            EXPECT_EQ(form.find("fld" + std::to_string(k))->value(), values[k]) << "before saving";
        form.save(path);
    }
    FormReader reader(path);
    for (std::size_t k = 0; k < values.size(); ++k) EXPECT_EQ(reader.value("fld" + std::to_string(k)), values[k]);
    EXPECT_FALSE(reader.field("fld0").getObjectHandle().hasKey("/RV")) << "rich text of the old value dropped";
}

TEST_F(PdfFormTest, WindowsLatinBytesInAValueAreReadAsSuch) {
    const std::string path = make("cp1252.pdf", FormSpec{.fields = {{.name = "fldA"}}});
    PdfForm form(path);
    form.find("fldA")->setValue("Gr\xFC\xDF\x65 \x80");  // "Grüße €" written by a Western Windows system
    EXPECT_EQ(form.find("fldA")->value(), "Grüße €");
}

TEST_F(PdfFormTest, SavingOverTheOpenFileTwiceKeepsEveryValue) {
    const std::string path = make("sheet.pdf", FormSpec{.fields = {{.name = "fldA"}, {.name = "fldB"}}});
    PdfForm form(path);
    form.find("fldA")->setValue("first");
    form.save(path);
    form.find("fldB")->setValue("second");
    form.save(path);
    FormReader reader(path);
    EXPECT_EQ(reader.value("fldA"), "first");
    EXPECT_EQ(reader.value("fldB"), "second");
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"bin", "sheet.pdf"})) << "no temporary file left";
}

TEST_F(PdfFormTest, AFailedSaveRaisesAndLeavesNothingBehind) {
    const std::string path = make("sheet.pdf", FormSpec{.fields = {{.name = "fldA"}}});
    const std::string before = testsupport::TempProgramFolder::readFile(path);
    folder.write("blocker", "a file where a folder should be");
    PdfForm form(path);
    form.find("fldA")->setValue("x");

    struct Case {
        const char* label;
        std::string target;
    };
    for (const auto& c : std::vector<Case>{{"folder is a file", (folder.path() / "blocker" / "out.pdf").string()},
                                           {"target is a folder", (folder.path() / "bin").string()},
                                           {"missing folder", (folder.path() / "no" / "such" / "out.pdf").string()},
                                           {"no name", ""}}) {
        SCOPED_TRACE(c.label);
        try {
            form.save(c.target);
            ADD_FAILURE() << "saved";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), platform::ErrPathAccess);
            EXPECT_EQ(e.description().rfind("Cannot save " + c.target + ": ", 0), 0u) << e.description();
        }
    }
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"bin", "blocker", "sheet.pdf"}));
    EXPECT_TRUE(fs::is_directory(folder.path() / "bin"));
    EXPECT_EQ(testsupport::TempProgramFolder::readFile(path), before);

    form.save(path);  // the form is still whole after the failures
    EXPECT_EQ(FormReader(path).value("fldA"), "x");
}

TEST_F(PdfFormTest, ADocumentThatCannotBeReadWholeIsNeverSavedHalf) {
    const std::string source =
        make("template.pdf", FormSpec{.pages = 3, .fields = {{.name = "fldA"}}, .pageContent = "0 0 m 10 10 l S"});
    {
        // Damage the last page's drawing where only a full read finds it.
        QPDF pdf;
        pdf.processFile(source.c_str());
        const int id = QPDFObjectHandle(pdf.getAllPages().back()).getKey("/Contents").getObjectID();
        std::string bytes = folder.read("template.pdf");
        const std::string header = "\n" + std::to_string(id) + " 0 obj";
        const auto at = bytes.find(header);
        ASSERT_NE(at, std::string::npos);
        bytes.replace(at, header.size(), std::string(header.size(), ' '));
        folder.write("template.pdf", bytes);
    }
    const auto target = folder.write("sheet.pdf", "the previous sheet");
    PdfForm form(source);
    form.find("fldA")->setValue("x");

    for (int attempt = 1; attempt <= 2; ++attempt) {
        SCOPED_TRACE(attempt);
        try {
            form.save(target.string());
            ADD_FAILURE() << "saved";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), platform::ErrPathAccess);
            EXPECT_NE(e.description().find("could not be read whole"), std::string::npos) << e.description();
        }
        EXPECT_EQ(folder.read("sheet.pdf"), "the previous sheet");
        EXPECT_EQ(folderEntries(), (std::vector<std::string>{"bin", "sheet.pdf", "template.pdf"}));
    }
}

TEST_F(PdfFormTest, AddedFieldsJoinTheFormTheirPageAndTheirParents) {
    const std::string path = make("two.pdf", FormSpec{.pages = 2, .fields = {{.name = "fldA"}}});
    {
        PdfForm form(path);
        FormField& mark = form.addTextField("fldMark", 1, 100, 220, 120, 200);
        mark.setTextFont("ZapfDingbats");
        mark.setTextSize(14);
        mark.setValue("l");
        form.addTextField("sheet.footer.page", 0, 10, 30, 200, 10).setValue("1");
        form.addTextField("sheet.footer.total", 0, 210, 30, 300, 10).setValue("2");
        EXPECT_EQ(names(form),
                  (std::vector<std::string>{"fldA", "fldMark", "sheet.footer.page", "sheet.footer.total"}));
        EXPECT_EQ(form.find("sheet.footer.total")->value(), "2");
        form.save(path);
    }
    FormReader reader(path);
    EXPECT_EQ(reader.value("fldMark"), "l");
    EXPECT_EQ(reader.value("sheet.footer.page"), "1");
    EXPECT_EQ(reader.value("sheet.footer.total"), "2");
    EXPECT_EQ(reader.field("fldMark").getDefaultAppearance(), "/ZaDb 14 Tf 0 g");
    EXPECT_EQ(reader.field("sheet.footer.page").getParent().getParent().getPartialName(), "sheet");
    EXPECT_TRUE(reader.field("sheet.footer.page")
                    .getParent()
                    .getObjectHandle()
                    .isSameObjectAs(reader.field("sheet.footer.total").getParent().getObjectHandle()))
        << "one parent for both";
    EXPECT_EQ(QPDFObjectHandle(reader.pdf().getAllPages()[1]).getKey("/Annots").getArrayNItems(), 1);
    EXPECT_EQ(QPDFObjectHandle(reader.pdf().getAllPages()[0]).getKey("/Annots").getArrayNItems(), 3);
}

TEST_F(PdfFormTest, AddRefusesBadNamesPagesAndDuplicates) {
    const std::string path = make("two.pdf", FormSpec{.pages = 2, .fields = {{.name = "fldA"}, {.name = "grp.x"}}});
    PdfForm form(path);
    struct Case {
        const char* name;
        int page;
        int number;
    };
    for (const auto& c : std::vector<Case>{{"fldA", 0, platform::ErrInvalidArgument},
                                           {"grp.x", 0, platform::ErrInvalidArgument},
                                           {"fldA.kid", 0, platform::ErrInvalidArgument},
                                           {"", 0, platform::ErrInvalidArgument},
                                           {"a..b", 0, platform::ErrInvalidArgument},
                                           {".a", 0, platform::ErrInvalidArgument},
                                           {"fldNew", -1, platform::ErrSubscript},
                                           {"fldNew", 2, platform::ErrSubscript}}) {
        SCOPED_TRACE(std::string(c.name) + " on page " + std::to_string(c.page));
        try {
            form.addTextField(c.name, c.page, 0, 10, 10, 0);
            ADD_FAILURE() << "added";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), c.number);
            EXPECT_FALSE(e.description().empty());
        }
    }
    EXPECT_EQ(form.fieldCount(), 2u);
    form.addTextField("grp.y", 1, 0, 10, 10, 0);  // a new kid of an existing parent is fine
    EXPECT_EQ(names(form), (std::vector<std::string>{"fldA", "grp.x", "grp.y"}));
}

TEST_F(PdfFormTest, TextFontAndSizeLiveInTheDefaultAppearance) {
    const std::string path = make(
        "fonts.pdf", FormSpec{.fields = {{.name = "fldA", .da = "/Helv 9 Tf 0 0 1 rg"}, {.name = "fldB", .da = ""}}});
    PdfForm form(path);
    FormField& a = *form.find("fldA");
    EXPECT_EQ(a.textFont(), "Helvetica");
    EXPECT_EQ(a.textSize(), 9);

    a.setTextFont("Courier");
    EXPECT_EQ(a.textFont(), "Courier");
    EXPECT_EQ(a.textSize(), 9) << "size kept";
    a.setTextSize(0);
    a.setTextFont("Helvetica");  // the resource the form has already
    FormField& b = *form.find("fldB");
    EXPECT_EQ(b.textFont(), "Helvetica") << "the form's default appearance";
    b.setTextSize(11);

    struct Bad {
        std::function<void()> call;
        const char* label;
    };
    for (const auto& bad : std::vector<Bad>{{[&] { a.setTextFont(""); }, "empty font"},
                                            {[&] { a.setTextFont("Comic Sans"); }, "blank in font name"},
                                            {[&] { a.setTextSize(-1); }, "negative size"},
                                            {[&] { a.setTextSize(5000); }, "huge size"}}) {
        SCOPED_TRACE(bad.label);
        EXPECT_THROW(bad.call(), platform::Error);
    }
    form.save(path);

    FormReader reader(path);
    EXPECT_EQ(reader.field("fldA").getDefaultAppearance(), "/Helv 0 Tf 0 0 1 rg");
    EXPECT_EQ(reader.field("fldB").getDefaultAppearance(), "/Helv 11 Tf 0 g");
    auto fonts = reader.pdf().getRoot().getKey("/AcroForm").getKey("/DR").getKey("/Font");
    EXPECT_EQ(fonts.getKey("/Cour").getKey("/BaseFont").getName(), "/Courier");
    EXPECT_EQ(fonts.getKey("/Cour").getKey("/Encoding").getName(), "/WinAnsiEncoding");
    EXPECT_EQ(fonts.getKeys().size(), 3u) << "Helv and ZaDb reused, only Courier added";
}

TEST_F(PdfFormTest, FieldKindsAndWhatValuesTheyTake) {
    const std::string path =
        make("kinds.pdf", FormSpec{.fields = {
                                       {.name = "text"},
                                       {.name = "check", .type = "/Btn", .states = {"Yes"}},
                                       {.name = "radio", .type = "/Btn", .flags = 1 << 15, .states = {"Left"}},
                                       {.name = "push", .type = "/Btn", .flags = 1 << 16},
                                       {.name = "combo", .type = "/Ch", .flags = 1 << 17},
                                       {.name = "list", .type = "/Ch"},
                                       {.name = "sig", .type = "/Sig"},
                                       {.name = "marked", .type = "/Btn", .states = {"On"}},
                                       {.name = "twoWays", .type = "/Btn", .states = {"Left", "Right"}},
                                   }});
    PdfForm form(path);
    struct Kind {
        const char* name;
        const char* type;
    };
    for (const auto& k : std::vector<Kind>{{"text", "text"},
                                           {"check", "checkbox"},
                                           {"radio", "radiobutton"},
                                           {"push", "button"},
                                           {"combo", "combobox"},
                                           {"list", "listbox"},
                                           {"sig", "signature"}})
        EXPECT_EQ(form.find(k.name)->type(), k.type) << k.name;

    form.find("check")->setValue("Yes");
    form.find("radio")->setValue("Left");
    form.find("combo")->setValue("Medium");
    for (const char* refusing : {"push", "sig"}) EXPECT_THROW(form.find(refusing)->setValue("x"), platform::Error);
    EXPECT_THROW(form.find("check")->setValue("Maybe"), platform::Error);
    // A mark of the setup sheet ticks a check box of one on state, and no other.
    form.find("marked")->setValue("l");
    EXPECT_THROW(form.find("twoWays")->setValue("l"), platform::Error);
    EXPECT_THROW(form.find("radio")->setValue("_"), platform::Error);
    form.save(path);

    FormReader reader(path);
    EXPECT_EQ(reader.field("check").getValue().getName(), "/Yes");
    EXPECT_EQ(reader.widget("check").getKey("/AS").getName(), "/Yes");
    EXPECT_EQ(reader.widget("radio").getKey("/AS").getName(), "/Left");
    EXPECT_EQ(reader.field("marked").getValue().getName(), "/On");
    EXPECT_EQ(reader.widget("marked").getKey("/AS").getName(), "/On");
    EXPECT_EQ(reader.value("combo"), "Medium");
    EXPECT_NE(reader.appearance("combo").find("(Medium) Tj"), std::string::npos);

    PdfForm again(path);
    EXPECT_EQ(again.find("check")->value(), "Yes");
    again.find("check")->setValue("");
    again.save(path);
    EXPECT_EQ(FormReader(path).widget("check").getKey("/AS").getName(), "/Off");
}

}  // namespace
