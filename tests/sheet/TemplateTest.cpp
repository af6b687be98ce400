// The staged RDX template: exactly the sheet's fields, each a text field of
// the right kind, inside the page, apart from the others, and every mark on
// its hole.

#include <gtest/gtest.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ChassisArt.h"
#include "PdfFields.h"

namespace {

using testsupport::widgetsOf;

struct Widget {
    std::string name;
    std::string type;
    std::string da;
    std::string value;
    int flags = 0;
    int annotationFlags = 0;
    int widgets = 0;
    QPDFObjectHandle::Rectangle rect;
    double cx() const { return (rect.llx + rect.urx) / 2; }
    double cy() const { return (rect.lly + rect.ury) / 2; }
};

std::vector<std::string> sheetFieldNames() {
    return {
#define VANTREL_SHEET_FIELD(name) "fld" #name,
#include "SheetFields.def"
#undef VANTREL_SHEET_FIELD
    };
}

class RdxTemplate : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_pdf = new QPDF;
        s_pdf->processFile(VANTREL_STAGE_DIR "/Templates/SetupSheet_RDX.pdf");
        QPDFAcroFormDocumentHelper form(*s_pdf);
        s_fields = new std::map<std::string, Widget>;
        for (QPDFFormFieldObjectHelper& field : form.getFormFields()) {
            Widget w;
            w.name = field.getFullyQualifiedName();
            w.type = field.getFieldType();
            w.da = field.getDefaultAppearance();
            w.value = field.getValueAsString();
            w.flags = field.getFlags();
            for (QPDFAnnotationObjectHelper& widget : widgetsOf(field)) {
                ++w.widgets;
                w.rect = widget.getRect();
                w.annotationFlags = widget.getFlags();
            }
            ASSERT_TRUE(s_fields->emplace(w.name, w).second) << "two fields named " << w.name;
        }
    }
    static void TearDownTestSuite() {
        delete s_fields;
        delete s_pdf;
    }

    static const Widget& field(const std::string& name) {
        static const Widget none;
        auto it = s_fields->find(name);
        return it == s_fields->end() ? none : it->second;
    }

    static inline QPDF* s_pdf = nullptr;
    static inline std::map<std::string, Widget>* s_fields = nullptr;
};

}  // namespace

TEST_F(RdxTemplate, HoldsExactlyTheSheetFieldsAsEmptyTextFields) {
    std::vector<std::string> expected = sheetFieldNames();
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> names;
    for (const auto& [name, w] : *s_fields) names.push_back(name);
    EXPECT_EQ(names, expected);

    for (const auto& [name, w] : *s_fields) {
        EXPECT_EQ(w.type, "/Tx") << name;
        EXPECT_EQ(w.value, "") << name;
        EXPECT_EQ(w.widgets, 1) << name;
        EXPECT_EQ(w.annotationFlags, 4) << name << " is not printed";
    }
}

TEST_F(RdxTemplate, EveryFieldLiesOnThePageApartFromTheOthers) {
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(*s_pdf).getAllPages();
    ASSERT_EQ(pages.size(), 1u);
    const QPDFObjectHandle::Rectangle page = pages[0].getMediaBox().getArrayAsRectangle();
    EXPECT_NEAR(page.urx - page.llx, 595, 1);  // A4
    EXPECT_NEAR(page.ury - page.lly, 842, 1);
    EXPECT_EQ(pages[0].getAnnotations("/Widget").size(), s_fields->size());

    std::vector<const Widget*> all;
    for (const auto& [name, w] : *s_fields) {
        EXPECT_LT(w.rect.llx, w.rect.urx) << name;
        EXPECT_LT(w.rect.lly, w.rect.ury) << name;
        EXPECT_TRUE(w.rect.llx >= page.llx && w.rect.urx <= page.urx && w.rect.lly >= page.lly &&
                    w.rect.ury <= page.ury)
            << name << " lies outside the page";
        all.push_back(&w);
    }
    for (size_t i = 0; i < all.size(); ++i) {
        for (size_t j = i + 1; j < all.size(); ++j) {
            const auto& a = all[i]->rect;
            const auto& b = all[j]->rect;
            const bool apart = a.urx <= b.llx || b.urx <= a.llx || a.ury <= b.lly || b.ury <= a.lly;
            EXPECT_TRUE(apart) << all[i]->name << " overlaps " << all[j]->name;
        }
    }
}

TEST_F(RdxTemplate, FontAndLayoutFollowTheKindOfField) {
    std::map<std::string, std::string> marks;  // field -> hole
    for (const auto& p : vantrel::art::pictures()) {
        for (const auto& h : p.holes) {
            const std::string f = vantrel::art::markField(h);
            if (!f.empty()) marks["fld" + f] = std::string(h.group);
        }
    }
    const std::set<std::string> bars = {"fldFrontArmLong", "fldFrontArmShort", "fldRearArmLong", "fldRearArmShort"};
    const std::set<std::string> multiline = {"fldNotes", "fldComments"};
    constexpr int kMultiline = 1 << 12;

    for (const auto& [name, w] : *s_fields) {
        SCOPED_TRACE(name);
        if (marks.count(name)) {
            EXPECT_EQ(w.da.rfind("/ZaDb ", 0), 0u) << w.da;  // "l" shows as a filled circle
        } else {
            EXPECT_EQ(w.da.rfind("/Helv ", 0), 0u) << w.da;
        }
        double size = 0;
        ASSERT_EQ(std::sscanf(w.da.c_str() + 6, "%lf", &size), 1) << w.da;
        if (bars.count(name)) {
            EXPECT_GE(size, 20) << "\"_\" is too thin a bar";
        } else {
            EXPECT_GE(size, 5) << w.da;
            EXPECT_LE(size, 12) << w.da;
        }
        EXPECT_EQ((w.flags & kMultiline) != 0, multiline.count(name) == 1);
    }

    QPDFObjectHandle form = s_pdf->getRoot().getKey("/AcroForm");
    EXPECT_FALSE(form.getKey("/NeedAppearances").isBool() && form.getKey("/NeedAppearances").getBoolValue());
    QPDFObjectHandle fonts = form.getKey("/DR").getKey("/Font");
    EXPECT_EQ(fonts.getKey("/Helv").getKey("/BaseFont").getName(), "/Helvetica");
    EXPECT_EQ(fonts.getKey("/Helv").getKey("/Encoding").getName(), "/WinAnsiEncoding");
    EXPECT_EQ(fonts.getKey("/ZaDb").getKey("/BaseFont").getName(), "/ZapfDingbats");
}

// Within each picture the mark fields must be the picture's hole table,
// scaled and moved as one: a mark on the wrong hole breaks the pattern.
TEST_F(RdxTemplate, EveryMarkSitsOnItsHole) {
    for (const auto& p : vantrel::art::pictures()) {
        std::vector<std::pair<const vantrel::art::Hole*, const Widget*>> placed;
        for (const auto& h : p.holes) {
            const std::string f = vantrel::art::markField(h);
            if (!f.empty()) placed.emplace_back(&h, &field("fld" + f));
        }
        if (placed.empty()) continue;
        SCOPED_TRACE(std::string(p.name));
        ASSERT_GE(placed.size(), 2u);

        // Scale from the two holes furthest apart; PDF y runs upwards.
        std::pair<size_t, size_t> far{0, 1};
        double best = 0;
        for (size_t i = 0; i < placed.size(); ++i) {
            for (size_t j = i + 1; j < placed.size(); ++j) {
                const double d =
                    std::hypot(placed[i].first->x - placed[j].first->x, placed[i].first->y - placed[j].first->y);
                if (d > best) best = d, far = {i, j};
            }
        }
        const auto& [ha, wa] = placed[far.first];
        const auto& [hb, wb] = placed[far.second];
        const double scale = std::hypot(wa->cx() - wb->cx(), wa->cy() - wb->cy()) / best;
        ASSERT_GT(scale, 0.2);
        const double originX = wa->cx() - ha->x * scale;
        const double originY = wa->cy() + ha->y * scale;
        for (const auto& [h, w] : placed) {
            EXPECT_NEAR(w->cx(), originX + h->x * scale, 0.05) << w->name;
            EXPECT_NEAR(w->cy(), originY - h->y * scale, 0.05) << w->name;
            // The dot covers most of the hole without spilling over it.
            const double hole = 2 * vantrel::art::kHoleRadius * scale;
            EXPECT_LT(w->rect.urx - w->rect.llx, hole + 4) << w->name;
            EXPECT_GT(w->rect.urx - w->rect.llx, hole * 0.8) << w->name;
        }
    }
}
