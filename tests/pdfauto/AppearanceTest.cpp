// What a saved sheet shows: appearance strings, text encoding, layout of the
// appearance streams, and when viewers are still asked to redraw.
#include "DefaultAppearance.h"
#include "FieldAppearance.h"
#include "FormFonts.h"
#include "FormPdfBuilder.h"
#include "FormReader.h"
#include "PdfForm.h"
#include "StandardFontMetrics.h"
#include "TextEncoding.h"

#include "TempProgramFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>

namespace {

using namespace pdfautotest;
using pdfauto::DefaultAppearance;
using pdfauto::PdfForm;

pdfauto::ResolvedFont standardFont(const char* name) {
    const auto* m = pdfauto::fonts::lookup(name);
    pdfauto::ResolvedFont f;
    for (std::size_t c = 0; c < 256; ++c) f.widths[c] = m->widths[c];
    f.ascent = m->ascent;
    f.descent = m->descent;
    f.symbolic = m->symbolic;
    return f;
}

// One drawn line of an appearance: where it starts and what it says.
struct DrawnLine {
    double x, y;
    std::string text;  // as written in the stream, escapes included
};

std::vector<DrawnLine> drawnLines(const std::string& content) {
    std::vector<DrawnLine> out;
    static const std::regex line(R"(1 0 0 1 (-?[0-9.]+) (-?[0-9.]+) Tm \(((?:[^\\)]|\\.)*)\) Tj)");
    for (std::sregex_iterator it(content.begin(), content.end(), line), end; it != end; ++it)
        out.push_back({std::stod((*it)[1]), std::stod((*it)[2]), (*it)[3]});
    return out;
}

double drawnSize(const std::string& content) {
    static const std::regex tf(R"(/\w+ ([0-9.]+) Tf)");
    std::smatch m;
    return std::regex_search(content, m, tf) ? std::stod(m[1]) : -1;
}

double widthOf(const std::string& text, const pdfauto::ResolvedFont& font, double size) {
    double w = 0;
    for (unsigned char c : text) w += font.widths[c];
    return w * size / 1000;
}

TEST(DefaultAppearanceTest, ReadsFontSizeAndColourAndKeepsTheRest) {
    struct Case {
        const char* da;
        const char* font;
        double size;
        const char* colour;
    };
    for (const auto& c : std::vector<Case>{{"/Helv 0 Tf 0 g", "Helv", 0, "0 g"},
                                           {"/ZaDb 12 Tf 1 0 0 rg", "ZaDb", 12, "1 0 0 rg"},
                                           {"0 0 0 1 k /Cour 9.5 Tf", "Cour", 9.5, "0 0 0 1 k"},
                                           {"", "", 0, "0 g"},
                                           {"/F1 Tf 0 g", "", 0, "0 g"},
                                           {"/Helv -3 Tf", "Helv", 0, "0 g"},
                                           {"((( /Helv 10 Tf", "", 0, "0 g"},
                                           {"/A#20B 8 Tf 0.5 g", "A B", 8, "0.5 g"}}) {
        SCOPED_TRACE(c.da);
        auto da = DefaultAppearance::parse(c.da);
        EXPECT_EQ(da.fontName(), c.font);
        EXPECT_DOUBLE_EQ(da.fontSize(), c.size);
        EXPECT_EQ(da.colourOperators(), c.colour);
    }

    auto da = DefaultAppearance::parse("/Helv 0 Tf 0 0 1 rg 2 Tz");
    da.setFont("A B");
    da.setFontSize(10.25);
    EXPECT_EQ(da.toString(), "/A#20B 10.25 Tf 0 0 1 rg 2 Tz");
    auto empty = DefaultAppearance::parse("0 g");
    empty.setFontSize(7);
    EXPECT_EQ(empty.toString(), "/Helv 7 Tf 0 g") << "a size needs a font";
}

TEST(TextEncodingTest, WinAnsiAndSymbolCodes) {
    using pdfauto::LineBreaks;
    struct Case {
        std::string utf8;
        bool symbolic;
        LineBreaks breaks;
        std::string bytes;
        bool complete;
    };
    for (const auto& c : std::vector<Case>{
             {"Abc 1.5 mm", false, LineBreaks::AsBlanks, "Abc 1.5 mm", true},
             {"é ö ß ° ± €", false, LineBreaks::AsBlanks, "\xE9 \xF6 \xDF \xB0 \xB1 \x80", true},
             {"“quoted” – Š…", false, LineBreaks::AsBlanks, "\x93quoted\x94 \x96 \x8A\x85", true},
             {"a日b", false, LineBreaks::AsBlanks, "ab", false},
             {"a\r\nb\rc\nd", false, LineBreaks::Keep, "a\nb\nc\nd", true},
             {"a\r\nb\tc", false, LineBreaks::AsBlanks, "a b c", true},
             {"bad \xFF byte", false, LineBreaks::AsBlanks, "bad  byte", false},
             {"cut \xE2\x82", false, LineBreaks::AsBlanks, "cut ", false},
             {"l", true, LineBreaks::AsBlanks, "l", true},
             {"lé", true, LineBreaks::AsBlanks, "l", false},
         }) {
        SCOPED_TRACE(c.utf8);
        auto e = c.symbolic ? pdfauto::encodeSymbolic(c.utf8, c.breaks) : pdfauto::encodeWinAnsi(c.utf8, c.breaks);
        EXPECT_EQ(e.bytes, c.bytes);
        EXPECT_EQ(e.complete, c.complete);
    }
}

TEST(FontMetricsTest, StandardNamesAliasesAndSubsets) {
    struct Case {
        const char* name;
        const char* metrics;  // nullptr: unknown
    };
    for (const auto& c : std::vector<Case>{{"Helvetica", "Helvetica"},
                                           {"Helv", "Helvetica"},
                                           {"ABCDEF+Arial,Bold", "Helvetica-Bold"},
                                           {"Times New Roman", "Times-Roman"},
                                           {"ZaDb", "ZapfDingbats"},
                                           {"Courier-BoldOblique", "Courier"},
                                           {"Wingdings", nullptr}}) {
        SCOPED_TRACE(c.name);
        const auto* m = pdfauto::fonts::lookup(c.name);
        if (!c.metrics) {
            EXPECT_EQ(m, nullptr);
        } else {
            ASSERT_NE(m, nullptr) << c.name;
            EXPECT_STREQ(m->baseFont, c.metrics);
        }
    }
    // Widths every layout here relies on: Helvetica "H" 722, "e" 556; Courier fixed 600; ZapfDingbats "l" 791.
    EXPECT_EQ(pdfauto::fonts::lookup("Helvetica")->widths['H'], 722);
    EXPECT_EQ(pdfauto::fonts::lookup("Helvetica")->widths[0x80], 556) << "euro";
    EXPECT_EQ(pdfauto::fonts::lookup("Courier")->widths[0xE9], 600);
    EXPECT_EQ(pdfauto::fonts::lookup("ZapfDingbats")->widths['l'], 791);
}

TEST(TextAppearanceTest, SingleLinePlacementFollowsAlignment) {
    const auto helv = standardFont("Helvetica");
    pdfauto::WidgetBox box;
    box.width = 200;
    box.height = 20;
    const double textWidth = widthOf("Hello", helv, 12);
    struct Case {
        int quadding;
        double x;
    };
    for (const auto& c : std::vector<Case>{{0, 2}, {1, (200 - textWidth) / 2}, {2, 200 - 2 - textWidth}}) {
        SCOPED_TRACE(c.quadding);
        pdfauto::TextLayout layout{
            .value = "Hello", .appearance = DefaultAppearance::parse("/Helv 12 Tf 0 g"), .quadding = c.quadding};
        auto out = pdfauto::buildTextAppearance(box, layout, helv);
        auto lines = drawnLines(out.content);
        ASSERT_EQ(lines.size(), 1u) << out.content;
        EXPECT_EQ(lines[0].text, "Hello");
        EXPECT_NEAR(lines[0].x, c.x, 0.01);
        // Vertically centred: the text body sits in the middle of the box.
        const double mid = lines[0].y + (helv.ascent + helv.descent) / 2000 * 12;
        EXPECT_NEAR(mid, 10, 0.01);
        EXPECT_NE(out.content.find("/Helv 12 Tf"), std::string::npos);
        EXPECT_TRUE(out.complete);
    }
}

TEST(TextAppearanceTest, AutoSizeFitsTheBoxOnOneLine) {
    const auto helv = standardFont("Helvetica");
    pdfauto::WidgetBox box;
    box.width = 100;
    box.height = 20;
    struct Case {
        const char* text;
        bool widthBound;
    };
    for (const auto& c : std::vector<Case>{{"Hi", false}, {"A long value that needs shrinking to fit", true}}) {
        SCOPED_TRACE(c.text);
        pdfauto::TextLayout layout{.value = c.text, .appearance = DefaultAppearance::parse("/Helv 0 Tf 0 g")};
        auto out = pdfauto::buildTextAppearance(box, layout, helv);
        const double size = drawnSize(out.content);
        EXPECT_DOUBLE_EQ(size, out.fontSize);
        EXPECT_LE(widthOf(c.text, helv, size), 100 - 4 + 0.01);
        EXPECT_LE((helv.ascent - helv.descent) / 1000 * size, 20 - 2 + 0.01);
        if (c.widthBound) {
            EXPECT_GT(widthOf(c.text, helv, size + 0.1), 96);
        } else {
            EXPECT_GT((helv.ascent - helv.descent) / 1000 * (size + 0.1), 18);
        }
    }
}

TEST(TextAppearanceTest, MultiLineWrapsInsideTheBoxTopDown) {
    const auto helv = standardFont("Helvetica");
    pdfauto::WidgetBox box;
    box.width = 150;
    box.height = 120;
    const std::string notes =
        "The car pushed in the slow corners, so try a softer front spring and more camber.\n"
        "Tyres: Pro-Line\nAnunbreakablewordwiderthananylineofthisbox";
    for (const char* da : {"/Helv 0 Tf 0 g", "/Helv 9 Tf 0 g"}) {
        SCOPED_TRACE(da);
        pdfauto::TextLayout layout{.value = notes, .appearance = DefaultAppearance::parse(da), .multiline = true};
        auto out = pdfauto::buildTextAppearance(box, layout, helv);
        const double size = drawnSize(out.content);
        EXPECT_LE(size, 12);
        auto lines = drawnLines(out.content);
        ASSERT_GE(lines.size(), 5u) << out.content;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            SCOPED_TRACE(lines[k].text);
            EXPECT_LE(widthOf(lines[k].text, helv, size), 150 - 4 + 0.01) << "inside the box";
            EXPECT_NEAR(lines[k].x, 2, 0.01);
            if (k > 0) {
                EXPECT_LT(lines[k].y, lines[k - 1].y) << "top down";
            }
        }
        EXPECT_LE(lines.front().y + helv.ascent / 1000 * size, 120);
        if (std::string(da).find(" 0 Tf") != std::string::npos) {
            EXPECT_GE(lines.back().y + helv.descent / 1000 * size, 0) << "auto size keeps every line in the box";
        }
        EXPECT_EQ(lines[0].text.rfind("The car pushed", 0), 0u);
        std::string joined;
        for (const auto& l : lines) joined += l.text;
        EXPECT_NE(joined.find("Anunbreakableword"), std::string::npos);
        // The explicit break starts a new line.
        bool tyresLine = false;
        for (const auto& l : lines) tyresLine = tyresLine || l.text == "Tyres: Pro-Line";
        EXPECT_TRUE(tyresLine);
    }
}

TEST(TextAppearanceTest, DecorationRotationPasswordAndEmptyValue) {
    const auto helv = standardFont("Helvetica");
    pdfauto::WidgetBox box;
    box.width = 80;
    box.height = 20;
    box.border = {1, 0, 0};
    box.background = {0.9};
    box.borderWidth = 1;
    pdfauto::TextLayout layout{
        .value = "secret", .appearance = DefaultAppearance::parse("/Helv 10 Tf 0 g"), .password = true};
    auto out = pdfauto::buildTextAppearance(box, layout, helv);
    EXPECT_EQ(out.content.rfind("q 0.9 g 0 0 80 20 re f Q", 0), 0u) << out.content;
    EXPECT_NE(out.content.find("1 0 0 RG 1 w 0.5 0.5 79 19 re S"), std::string::npos) << out.content;
    EXPECT_NE(out.content.find("(******) Tj"), std::string::npos);
    EXPECT_EQ(out.content.find("secret"), std::string::npos);

    layout = {.value = "", .appearance = DefaultAppearance::parse("/Helv 10 Tf 0 g")};
    out = pdfauto::buildTextAppearance(box, layout, helv);
    EXPECT_EQ(out.content.find("Tj"), std::string::npos) << "an empty value shows nothing";
    EXPECT_NE(out.content.find("/Tx BMC"), std::string::npos);

    testsupport::TempProgramFolder folder;
    const std::string path = (folder.path() / "rotated.pdf").string();
    writeForm(path, FormSpec{.fields = {{.name = "fldR", .rect = {100, 100, 120, 300}}}});
    {
        QPDF pdf;
        pdf.processFile(path.c_str());
        auto mk = QPDFObjectHandle::parse("<< /R 90 >>");
        pdf.getRoot().getKey("/AcroForm").getKey("/Fields").getArrayItem(0).replaceKey("/MK", mk);
        const std::string temp = path + ".tmp";  // the writer keeps the name until write()
        QPDFWriter w(pdf, temp.c_str());
        w.write();
    }
    std::filesystem::rename(path + ".tmp", path);
    PdfForm form(path);
    form.find("fldR")->setValue("Sideways");
    form.save(path);
    FormReader reader(path);
    auto n = reader.widget("fldR").getKey("/AP").getKey("/N");
    EXPECT_EQ(n.getDict().getKey("/BBox").unparse(), "[ 0 0 200 20 ]") << "text runs along the long side";
    EXPECT_EQ(n.getDict().getKey("/Matrix").unparse(), "[ 0 1 -1 0 0 0 ]");
}

class SavedAppearanceTest : public ::testing::Test {
protected:
    std::string make(const FormSpec& layout) {
        const std::string path = (folder.path() / "sheet.pdf").string();
        writeForm(path, layout);
        return path;
    }
    testsupport::TempProgramFolder folder;
};

TEST_F(SavedAppearanceTest, EveryWrittenFieldCarriesItsPicture) {
    struct Case {
        FieldSpec field;
        std::string value;
        std::vector<std::string> expected;  // in the normal appearance stream
    };
    const std::vector<Case> cases{
        {{.name = "fldLatin", .da = "/Helv 12 Tf 0 g"},
         "é ö ß ° ± €",
         {"/Helv 12 Tf", "(\\351 \\366 \\337 \\260 \\261 \\200) Tj"}},
        {{.name = "fldMark", .da = "/ZaDb 0 Tf 0 g", .rect = {400, 700, 412, 712}}, "l", {"/ZaDb ", "(l) Tj"}},
        {{.name = "fldUnits", .da = "/Helv 9 Tf 0 0 1 rg", .quadding = 2}, "12.5 mm", {"0 0 1 rg", "(12.5 mm) Tj"}},
        {{.name = "fldParens", .da = "/Helv 9 Tf 0 g"}, "a(b)\\c", {"(a\\(b\\)\\\\c) Tj"}},
        {{.name = "fldKid", .da = "/Helv 9 Tf 0 g", .separateWidget = true}, "kid widget", {"(kid widget) Tj"}},
        {{.name = "fldNotes", .da = "/Helv 0 Tf 0 g", .flags = 1 << 12, .rect = {50, 450, 250, 580}},
         "first line\nsecond line",
         {"(first line) Tj", "(second line) Tj"}},
    };
    FormSpec layout;
    for (const auto& c : cases) layout.fields.push_back(c.field);
    const std::string path = make(layout);
    {
        PdfForm form(path);
        for (const auto& c : cases) form.find(c.field.name)->setValue(c.value);
        form.save(path);
        EXPECT_FALSE(form.needsAppearances());
    }
    FormReader reader(path);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field.name);
        const std::string ap = reader.appearance(c.field.name);
        for (const auto& e : c.expected) EXPECT_NE(ap.find(e), std::string::npos) << e << " in\n" << ap;
        auto n = reader.widget(c.field.name).getKey("/AP").getKey("/N");
        EXPECT_EQ(n.getDict().getKey("/Subtype").getName(), "/Form");
        auto font = n.getDict().getKey("/Resources").getKey("/Font");
        EXPECT_EQ(font.getKeys().size(), 1u);
    }
    // The mark is centred in its 12 x 12 box.
    auto mark = drawnLines(reader.appearance("fldMark"));
    ASSERT_EQ(mark.size(), 1u);
    const double size = drawnSize(reader.appearance("fldMark"));
    EXPECT_NEAR(mark[0].x + 0.791 * size / 2, 6, 0.01);
    EXPECT_FALSE(reader.hasNeedAppearancesKey());
}

TEST_F(SavedAppearanceTest, ViewersAreAskedToRedrawOnlyWhatCouldNotBeDrawn) {
    const std::string path = make(FormSpec{.fields = {{.name = "fldA", .da = "/Helv 10 Tf 0 g"},
                                                      {.name = "fldOld", .value = std::string("Old value")},
                                                      {.name = "fldB", .da = "/Helv 10 Tf 0 g"}},
                                           .needAppearances = true});
    PdfForm form(path);
    form.find("fldA")->setValue("ab 日本 cd");
    form.find("fldB")->setValue("fine");
    form.save(path);
    EXPECT_TRUE(form.needsAppearances());
    {
        FormReader reader(path);
        EXPECT_TRUE(reader.needAppearances());
        EXPECT_NE(reader.appearance("fldA").find("(ab  cd) Tj"), std::string::npos) << "what can be drawn is";
        EXPECT_NE(reader.appearance("fldOld").find("(Old value) Tj"), std::string::npos)
            << "a field nobody wrote gets drawn before viewers stop redrawing";
    }
    form.find("fldA")->setValue("ab cd");
    form.save(path);
    EXPECT_FALSE(form.needsAppearances());
    FormReader reader(path);
    EXPECT_FALSE(reader.hasNeedAppearancesKey());
    EXPECT_NE(reader.appearance("fldA").find("(ab cd) Tj"), std::string::npos);
}

TEST_F(SavedAppearanceTest, FontsWithoutUsableMetricsLeaveTheRedrawToViewers) {
    const std::string path = make(FormSpec{
        .fields = {{.name = "fldCid", .da = "/F0 10 Tf 0 g"}, {.name = "fldSymbolicEncoding", .da = "/Hx 10 Tf 0 g"}}});
    {
        QPDF pdf;
        pdf.processFile(path.c_str());
        auto fonts = pdf.getRoot().getKey("/AcroForm").getKey("/DR").getKey("/Font");
        fonts.replaceKey("/F0", pdf.makeIndirectObject(QPDFObjectHandle::parse(
                                    "<< /Type /Font /Subtype /Type0 /BaseFont /SomeCJK /Encoding /Identity-H >>")));
        // Standard face, but not in the encoding the bytes are written in: drawn with a WinAnsi twin.
        fonts.replaceKey("/Hx",
                         pdf.makeIndirectObject(QPDFObjectHandle::parse(
                             "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /MacRomanEncoding >>")));
        const std::string temp = path + ".tmp";  // the writer keeps the name until write()
        QPDFWriter w(pdf, temp.c_str());
        w.write();
    }
    std::filesystem::rename(path + ".tmp", path);
    PdfForm form(path);
    form.find("fldSymbolicEncoding")->setValue("é");
    form.save(path);
    EXPECT_FALSE(form.needsAppearances());
    {
        FormReader reader(path);
        auto font = reader.widget("fldSymbolicEncoding")
                        .getKey("/AP")
                        .getKey("/N")
                        .getDict()
                        .getKey("/Resources")
                        .getKey("/Font")
                        .getKey("/Hx");
        EXPECT_EQ(font.getKey("/Encoding").getName(), "/WinAnsiEncoding");
        EXPECT_EQ(font.getKey("/BaseFont").getName(), "/Helvetica");
    }
    form.find("fldCid")->setValue("text");
    form.save(path);
    EXPECT_TRUE(form.needsAppearances());
    EXPECT_TRUE(FormReader(path).needAppearances());
}

}  // namespace
