// The program's view of a PDF: its field list, attached files, and the limits
// (/MaxLen, comb) that forms made by other programs put on the fill. Forms
// from other producers come from tests/data/pdfauto (LatexForm.tex made
// LatexForm.pdf with pdfLaTeX and hyperref, WriterForm.fodt WriterForm.pdf
// with LibreOffice Writer).
#include "FormPdfBuilder.h"
#include "FormReader.h"
#include "PdfForm.h"
#include "pdfauto/Document.h"

#include "PdfFields.h"
#include "TempProgramFolder.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace pdfautotest;
using pdfauto::Document;

const fs::path LatexForm = fs::path(VANTREL_TEST_DATA_DIR) / "pdfauto" / "LatexForm.pdf";
const fs::path WriterForm = fs::path(VANTREL_TEST_DATA_DIR) / "pdfauto" / "WriterForm.pdf";

class DocumentTest : public ::testing::Test {
protected:
    std::string copyOf(const fs::path& source, const std::string& name) {
        const fs::path target = folder.path() / name;
        fs::copy_file(source, target, fs::copy_options::overwrite_existing);
        return target.string();
    }
    testsupport::TempProgramFolder folder;
};

// What an independent reader sees of every field: value and the bytes of each widget's pictures.
std::map<std::string, std::string> fieldSnapshot(const std::string& path) {
    FormReader reader(path);
    QPDFAcroFormDocumentHelper form(reader.pdf());
    std::map<std::string, std::string> out;
    for (auto& field : form.getFormFields()) {
        std::string& entry = out[field.getFullyQualifiedName()];
        entry += field.getValue().unparse();
        for (auto& widget : form.getAnnotationsForField(field)) {
            auto ap = widget.getObjectHandle().getKey("/AP");
            if (!ap.isDictionary()) continue;
            for (const auto& kind : ap.getKeys()) {
                auto entries = ap.getKey(kind);
                std::vector<std::pair<std::string, QPDFObjectHandle>> streams;
                if (entries.isStream()) streams.emplace_back("", entries);
                else if (entries.isDictionary())
                    for (const auto& state : entries.getKeys()) streams.emplace_back(state, entries.getKey(state));
                for (auto& [state, stream] : streams) {
                    if (!stream.isStream()) continue;
                    auto data = stream.getRawStreamData();
                    entry += "|" + kind + state + ":" +
                             std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
                }
            }
            entry += "|AS" + widget.getAppearanceState();
        }
    }
    auto acro = reader.pdf().getRoot().getKey("/AcroForm");
    out["(NeedAppearances)"] = acro.isDictionary() ? acro.getKey("/NeedAppearances").unparse() : "";
    return out;
}

// The attachment as qpdf alone reads it back.
std::string attachedBytes(const std::string& path, const std::string& name) {
    QPDF pdf;
    pdf.processFile(path.c_str());
    auto fileSpec = QPDFEmbeddedFileDocumentHelper(pdf).getEmbeddedFile(name);
    if (!fileSpec) return "<none>";
    auto data = fileSpec->getEmbeddedFileStream().getStreamData(qpdf_dl_all);
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

// Files that are no PDF at all are PdfForm's to refuse (and vantrel-batch's
// end-to-end test); here the ones that open but hold no form.
TEST_F(DocumentTest, ListingAFormlessDocumentNamesTheFileAndWhy) {
    for (const FormSpec& layout : {FormSpec{.pages = 2, .withAcroForm = false}, FormSpec{}}) {
        const std::string path = (folder.path() / "plain.pdf").string();
        writeForm(path, layout);
        Document document(path);
        try {
            document.fields();
            ADD_FAILURE() << "listed";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), platform::ErrFileNotFound);
            EXPECT_EQ(e.description(), "Cannot read " + path + ": the document has no form fields");
        }
    }
}

TEST_F(DocumentTest, ListsWhatQpdfSeesWithKindPageStatesAndLimits) {
    // A form of our own making with the shapes another producer rarely gives:
    // a field tree, a separate widget, a second page, inherited limits.
    FormSpec layout{.pages = 2};
    layout.fields = {
        {.name = "team.driver", .flags = 1 << 12 | 1 << 24},
        {.name = "wet", .type = "/Btn", .page = 1, .states = {"Yes"}},
        {.name = "kart", .flags = 1 << 24, .separateWidget = true},
        {.name = "lap", .type = "/Ch", .flags = 1 << 17, .page = 1},
        {.name = "list", .type = "/Ch"},
        {.name = "go", .type = "/Btn", .flags = 1 << 16},
        {.name = "sig", .type = "/Sig"},
    };
    const std::string built = (folder.path() / "built.pdf").string();
    {
        QPDF pdf;
        buildForm(pdf, layout);
        // MaxLen on "kart" (whose widget is a kid) and on "team", inherited by "team.driver".
        auto fields = pdf.getRoot().getKey("/AcroForm").getKey("/Fields");
        for (int k = 0; k < fields.getArrayNItems(); ++k) {
            auto f = fields.getArrayItem(k);
            const std::string t = f.getKey("/T").getUTF8Value();
            if (t == "kart") f.replaceKey("/MaxLen", QPDFObjectHandle::newInteger(3));
            if (t == "team") f.replaceKey("/MaxLen", QPDFObjectHandle::newInteger(12));
        }
        QPDFWriter w(pdf, built.c_str());
        w.write();
    }
    struct Expected {
        std::string kind;
        int maxLength;
        bool comb;
    };
    const std::map<std::string, std::map<std::string, Expected>> expected{
        {LatexForm.string(),
         {{"Driver", {"text", 10, false}},
          {"Date", {"text", 8, true}},
          {"Kart", {"text", 3, true}},
          {"Wet", {"checkbox", 0, false}},
          {"Class", {"combobox", 0, false}},
          {"Reset", {"button", 0, false}},
          {"Notes", {"text", 0, false}}}},
        {WriterForm.string(),
         {{"Driver", {"text", 10, false}},
          {"Wet", {"checkbox", 0, false}},
          {"Tyres", {"radiobutton", 0, false}},
          {"Class", {"combobox", 0, false}},
          {"Notes", {"text", 0, false}}}},
        {built,
         {{"team.driver", {"text", 12, false}},  // a comb flag on multiline text means nothing
          {"wet", {"checkbox", 0, false}},
          {"kart", {"text", 3, true}},
          {"lap", {"combobox", 0, false}},
          {"list", {"listbox", 0, false}},
          {"go", {"button", 0, false}},
          {"sig", {"signature", 0, false}}}},
    };
    for (const auto& [path, fields] : expected) {
        SCOPED_TRACE(path);
        const auto listed = Document(path).fields();

        // qpdf's own reading: every terminal field once, its page and states.
        QPDF pdf;
        pdf.processFile(path.c_str());
        QPDFAcroFormDocumentHelper form(pdf);
        const auto seen = testsupport::widgetsSeenByQpdf(pdf, form);
        std::map<std::string, std::string> values;
        std::set<std::string> qpdfNames;  // qpdf counts a radio group once per button
        for (auto& field : form.getFormFields()) {
            auto v = field.getValue();
            values[field.getFullyQualifiedName()] = v.isName() ? v.getName().substr(1) : field.getValueAsString();
            qpdfNames.insert(field.getFullyQualifiedName());
        }

        std::set<std::string> names;
        for (const auto& info : listed) {
            SCOPED_TRACE(info.name);
            names.insert(info.name);
            ASSERT_TRUE(fields.count(info.name));
            EXPECT_EQ(info.kind, fields.at(info.name).kind);
            EXPECT_EQ(info.maxLength, fields.at(info.name).maxLength);
            EXPECT_EQ(info.comb, fields.at(info.name).comb);
            ASSERT_TRUE(seen.count(info.name));
            EXPECT_EQ(info.page, seen.at(info.name).firstPage);
            std::string states;
            for (const auto& s : info.onStates) states += (states.empty() ? "" : "|") + s;
            EXPECT_EQ(states, seen.at(info.name).onStates);
            EXPECT_EQ(info.value, values.at(info.name));
        }
        EXPECT_EQ(names.size(), listed.size()) << "every field once";
        EXPECT_EQ(names, qpdfNames);
        EXPECT_EQ(names.size(), fields.size());
    }
}

// Pages and widget boxes of forms from two makers, as their sources give
// them (LatexForm.tex, WriterForm.fodt): both two A4 pages.
TEST_F(DocumentTest, PagesAndWidgetBoxesAreWhereTheMakerPutThem) {
    constexpr double cm = 72 / 2.54;
    constexpr double tex = 2 * 72 / 72.27;  // hyperref's box is 1 TeX point wider on each side
    struct Case {
        fs::path pdf;
        std::string field;
        std::size_t widget;
        int page;
        double width, height;  // height 0: LaTeX's follows the font
    };
    // Writer draws the box 2 points inside its control on each side.
    const std::vector<Case> cases{{LatexForm, "Driver", 0, 1, 6 * cm + tex, 0},
                                  {LatexForm, "Notes", 0, 2, 10 * cm + tex, 0},
                                  {WriterForm, "Driver", 0, 1, 5 * cm - 4, 0.7 * cm - 4},
                                  {WriterForm, "Notes", 0, 2, 10 * cm - 4, 0.7 * cm - 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pdf.filename().string() + " " + c.field);
        Document document(c.pdf.string());
        const auto pages = document.pages();
        ASSERT_EQ(pages.size(), 2u);
        const pdfauto::Rect& sheet = pages[std::size_t(c.page - 1)].mediaBox;
        EXPECT_NEAR(sheet.width(), 21 * cm, 0.5);
        EXPECT_NEAR(sheet.height(), 29.7 * cm, 0.5);
        EXPECT_EQ(pages[0].rotation, 0);
        EXPECT_EQ(pages[0].cropBox.width(), pages[0].mediaBox.width());
        const auto fields = document.fields();
        const auto field = std::find_if(fields.begin(), fields.end(), [&](auto& f) { return f.name == c.field; });
        ASSERT_NE(field, fields.end());
        ASSERT_GT(field->widgets.size(), c.widget);
        const pdfauto::WidgetInfo& widget = field->widgets[c.widget];
        EXPECT_EQ(widget.page, c.page);
        EXPECT_NEAR(widget.rect.width(), c.width, 1);
        if (c.height > 0) {
            EXPECT_NEAR(widget.rect.height(), c.height, 1);
        }
        EXPECT_TRUE(widget.rect.left >= sheet.left && widget.rect.right <= sheet.right &&
                    widget.rect.bottom >= sheet.bottom && widget.rect.top <= sheet.top);
    }
}

TEST_F(DocumentTest, FieldValueIsDecodedText) {
    const std::string path = copyOf(LatexForm, "form.pdf");
    {
        pdfauto::PdfForm form(path);
        form.find("Notes")->setValue("Zoë – 12,5 mm");
        form.find("Wet")->setValue("Yes");
        form.save(path);
    }
    std::map<std::string, std::string> values;
    for (const auto& f : Document(path).fields()) values[f.name] = f.value;
    EXPECT_EQ(values["Notes"], "Zoë – 12,5 mm");
    EXPECT_EQ(values["Wet"], "Yes");
    EXPECT_EQ(values["Driver"], "");
}

// Each character of a comb field sits in the middle of its own cell.
TEST_F(DocumentTest, FillCutsToMaxLenAndDrawsCombCharactersCentredInTheirCells) {
    // Helvetica's widths, thousandths of the size, of the characters the values use.
    const std::map<char, double> widths{{'0', 556}, {'1', 556}, {'2', 556}, {'3', 556}, {'4', 556},
                                        {'5', 556}, {'6', 556}, {'7', 556}, {'8', 556}, {'9', 556},
                                        {'W', 944}, {'i', 222}, {'M', 833}, {'.', 278}, {'/', 278}};
    std::mt19937 random(1208);
    const std::string alphabet = "0123456789WiM./";
    for (int round = 0; round < 40; ++round) {
        std::string date, kart;
        const int length = static_cast<int>(random() % 13);
        for (int k = 0; k < length; ++k) date += alphabet[random() % alphabet.size()];
        for (int k = 0; k < length % 6; ++k) kart += alphabet[random() % 10];
        SCOPED_TRACE(date + " / " + kart);

        const std::string path = copyOf(LatexForm, "comb.pdf");
        {
            pdfauto::PdfForm form(path);
            form.find("Date")->setValue(date);
            form.find("Kart")->setValue(kart);
            form.save(path);
        }
        FormReader reader(path);
        for (const auto& [name, value, cells] : {std::tuple{"Date", date, 8}, std::tuple{"Kart", kart, 3}}) {
            const std::string kept = value.substr(0, std::min<std::size_t>(value.size(), cells));
            EXPECT_EQ(reader.value(name), kept);
            auto rect = reader.widget(name).getKey("/Rect");
            const double cellW =
                (rect.getArrayItem(2).getNumericValue() - rect.getArrayItem(0).getNumericValue()) / cells;

            // "/Helv 10 Tf" then "1 0 0 1 x y Tm (c) Tj" per character.
            std::istringstream content(reader.appearance(name));
            std::vector<std::string> tokens;
            for (std::string t; content >> t;) tokens.push_back(t);
            double size = 0;
            std::vector<std::pair<double, char>> drawn;
            for (std::size_t k = 0; k < tokens.size(); ++k) {
                if (tokens[k] == "Tf") size = std::stod(tokens[k - 1]);
                if (tokens[k] == "Tj") {
                    ASSERT_EQ(tokens[k - 2], "Tm");
                    ASSERT_EQ(tokens[k - 1].size(), 3u) << tokens[k - 1];  // "(c)": one character
                    drawn.emplace_back(std::stod(tokens[k - 4]), tokens[k - 1][1]);
                }
            }
            ASSERT_EQ(drawn.size(), kept.size());
            for (std::size_t k = 0; k < drawn.size(); ++k) {
                EXPECT_EQ(drawn[k].second, kept[k]);
                const double middle = drawn[k].first + widths.at(drawn[k].second) / 1000.0 * size / 2;
                EXPECT_NEAR(middle, cellW * (static_cast<double>(k) + 0.5), 0.02) << "character " << k;
            }
            if (!kept.empty()) {
                EXPECT_GT(size, 0);
                EXPECT_LE(widths.at('W') / 1000.0 * size, cellW + 0.01) << "the widest character fits its cell";
            }
        }
    }
}

TEST_F(DocumentTest, FillCutsTextToMaxLenCharactersNotBytes) {
    struct Case {
        std::string value, kept, drawn;  // drawn: the WinAnsi string in the picture
    };
    const std::vector<Case> cases{
        {"Alex Brennan-Smith", "Alex Brenn", "(Alex Brenn)"},
        {"Zoë Ångström", "Zoë Ångstr", "(Zo\\353 \\305ngstr)"},
        {"short", "short", "(short)"},
        {"0123456789", "0123456789", "(0123456789)"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const std::string path = copyOf(LatexForm, "maxlen.pdf");
        {
            pdfauto::PdfForm form(path);
            form.find("Driver")->setValue(c.value);
            EXPECT_EQ(form.find("Driver")->value(), c.kept);
            form.save(path);
        }
        FormReader reader(path);
        EXPECT_EQ(reader.value("Driver"), c.kept);
        const std::string ap = reader.appearance("Driver");
        if (c.drawn.empty()) EXPECT_EQ(ap.find(" Tj"), std::string::npos) << ap;
        else EXPECT_NE(ap.find(c.drawn + " Tj"), std::string::npos) << ap;
    }
}

// A new attachment is appended to the file as it was; a replaced one takes
// the old one out of the file. Both forms of cross-reference are met: the
// filled LaTeX form keeps its object streams, the Writer form a table.
TEST_F(DocumentTest, AttachKeepsTheFilledSheetAndReadsBackByteForByte) {
    std::mt19937 random(73);
    for (const fs::path& source : {LatexForm, WriterForm}) {
        SCOPED_TRACE(source.filename().string());
        const std::string path = copyOf(source, "sheet.pdf");
        {
            pdfauto::PdfForm form(path);
            form.find("Driver")->setValue("Alex Brennan");
            form.find("Wet")->setValue(
                form.find("Wet")->widgets().front().getKey("/AP").getKey("/N").hasKey("/Yes") ? "Yes" : "Wet");
            form.find("Notes")->setValue("Zoë: ✓ not in WinAnsi");  // asks viewers to redraw
            form.save(path);
        }
        const auto before = fieldSnapshot(path);
        ASSERT_EQ(before.at("(NeedAppearances)"), "true");

        std::map<std::string, std::string> attached;
        for (int round = 0; round < 8; ++round) {
            // Text with CR LF and UTF-8, and from round 4 on any bytes at all.
            std::string bytes = "[SetupData]\r\nDriverName=Zoë\r\n";
            const std::size_t size = 100 + random() % 4000;
            for (std::size_t k = 0; k < size; ++k)
                bytes += round < 4 ? static_cast<char>(' ' + random() % 95) : static_cast<char>(random() % 256);
            const std::string name = round % 2 ? "Alex Brennan_SetupSheet.dat" : "other.bin";
            SCOPED_TRACE(name + " of " + std::to_string(bytes.size()) + " bytes, round " + std::to_string(round));
            const std::string fileBefore = testsupport::TempProgramFolder::readFile(path);
            const bool replacing = attached.count(name) > 0;
            pdfauto::attachFile(path, name, bytes);
            const std::string fileAfter = testsupport::TempProgramFolder::readFile(path);
            if (replacing) EXPECT_EQ(fileAfter.find(attached[name]), std::string::npos) << "the old one is gone";
            else EXPECT_EQ(fileAfter.compare(0, fileBefore.size(), fileBefore), 0) << "appended, the rest untouched";
            attached[name] = bytes;

            EXPECT_EQ(fieldSnapshot(path), before) << "the fill is kept exactly";
            for (const auto& [n, b] : attached) EXPECT_EQ(attachedBytes(path, n), b) << n;
            Document document(path);
            EXPECT_EQ(document.attachment(name), bytes);
            std::vector<std::string> names;
            for (const auto& entry : attached) names.push_back(entry.first);
            EXPECT_EQ(document.attachmentNames(), names);

            // qpdf reads it without having to repair anything; the attachment is
            // listed once among the document's associated files.
            QPDF pdf;
            pdf.setSuppressWarnings(true);
            pdf.processFile(path.c_str());
            auto af = pdf.getRoot().getKey("/AF");
            ASSERT_TRUE(af.isArray());
            int named = 0;
            for (int k = 0; k < af.getArrayNItems(); ++k)
                named += QPDFFileSpecObjectHelper(af.getArrayItem(k)).getFilename() == name;
            EXPECT_EQ(named, 1);
            EXPECT_EQ(af.getArrayNItems(), static_cast<int>(attached.size()));
            EXPECT_EQ(QPDFEFStreamObjectHelper(
                          QPDFEmbeddedFileDocumentHelper(pdf).getEmbeddedFile(name)->getEmbeddedFileStream())
                          .getSubtype(),
                      "text/plain");
            pdf.getAllPages();
            EXPECT_FALSE(pdf.anyWarnings()) << pdf.getWarnings().front().what();
        }
    }
}

// Documents an appended update would not serve are written whole, and read
// back without repairs: one qpdf had to repair (an update would point back
// to its broken cross-references), one encrypted by its owner only (an update
// would carry the attachment unencrypted).
TEST_F(DocumentTest, AttachToDocumentsThatCannotTakeAnUpdateWritesThemWhole) {
    struct Case {
        const char* label;
        std::function<void(const std::string&)> make;
    };
    const std::vector<Case> cases{
        {"wrong startxref",
         [](const std::string& path) {
             std::string bytes = testsupport::TempProgramFolder::readFile(WriterForm);
             const std::size_t at = bytes.rfind("startxref\n") + 10;
             bytes.replace(at, bytes.find('\n', at) - at, "17");
             std::ofstream(path, std::ios::binary) << bytes;
         }},
        {"encrypted by its owner",
         [](const std::string& path) {
             QPDF pdf;
             pdf.processFile(WriterForm.string().c_str());
             QPDFWriter w(pdf, path.c_str());
             w.setR6EncryptionParameters("", "owner", true, true, true, true, true, true, qpdf_r3p_full, true);
             w.write();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = (folder.path() / "sheet.pdf").string();
        c.make(path);
        const std::string bytes = "[SetupData]\r\nDriverName=Alex Brennan\r\n";
        pdfauto::attachFile(path, "setup.dat", bytes);
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(path.c_str());
        EXPECT_EQ(testsupport::TempProgramFolder::readFile(path).rfind("startxref"),
                  testsupport::TempProgramFolder::readFile(path).find("startxref"))
            << "one cross-reference section: written whole";
        auto fileSpec = QPDFEmbeddedFileDocumentHelper(pdf).getEmbeddedFile("setup.dat");
        ASSERT_TRUE(fileSpec);
        auto data = fileSpec->getEmbeddedFileStream().getStreamData(qpdf_dl_all);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize()), bytes);
        EXPECT_EQ(Document(path).fields().size(), 5u);
        EXPECT_FALSE(pdf.anyWarnings());
    }
}

TEST_F(DocumentTest, AttachmentErrorsNameTheFileAndLeaveItAsItWas) {
    const std::string path = copyOf(LatexForm, "sheet.pdf");
    const std::string original = testsupport::TempProgramFolder::readFile(path);
    Document document(path);
    EXPECT_TRUE(document.attachmentNames().empty());
    EXPECT_FALSE(document.hasAttachment("setup.dat"));
    try {
        document.attachment("setup.dat");
        ADD_FAILURE() << "read";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.description(), "Cannot read " + path + ": the document has no attachment named \"setup.dat\"");
    }
    for (const char* name : {"", "Data/setup.dat", "..\\setup.dat"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(document.attach(name, "x", "text/plain"), platform::Error);
    }
    // A save that cannot be made leaves the old file whole.
    document.attach("setup.dat", "x", "text/plain");
    EXPECT_THROW(document.save((folder.path() / "no-such-folder" / "sheet.pdf").string()), platform::Error);
    EXPECT_EQ(testsupport::TempProgramFolder::readFile(path), original);
}

}  // namespace
