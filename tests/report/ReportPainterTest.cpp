// A report's rows flow over its pages: each page says its number of the
// total, and every row stands on exactly one page, in order, read back from
// the PDF as text.

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include "PdfText.h"
#include <QRegularExpression>
#include <QTemporaryDir>

#include "ReportPainter.h"

using vantrel::report::ReportBox;
using vantrel::report::ReportLayout;
using vantrel::report::ReportPainter;
using vantrel::report::ReportRow;

namespace {

QString pageText(const QString& pdf, int page) {
    const auto text = testsupport::pdfText(pdf, {"-f", QString::number(page), "-l", QString::number(page)});
    return text.error.isEmpty() ? text.text : text.error;
}

struct Case {
    const char* name;
    int leadPages;
    int rows;
    int pagesExpected;  // the lead pages counted
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ReportPages : public ::testing::TestWithParam<Case> {};

// With the default layout a page holds (808 - 80 - 15 - 4) / 20 = 35 rows of 20 points.
constexpr int kRowsPerPage = 35;

TEST_P(ReportPages, EveryPageCountedAndEveryRowOnce) {
    const Case& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ReportLayout layout;
    layout.numbered = true;
    ReportPainter report("Pages", layout);
    for (int i = 0; i < c.leadPages; ++i)
        report.addLeadPage([](QPainter& p, const QRectF& page) { p.drawText(page.adjusted(40, 40, 0, 0), "lead"); });
    report.setFrame([](QPainter& p, int page) {
        p.drawText(QRectF(20, 20, 300, 20), Qt::AlignLeft, QString("frame %1").arg(page));
    });
    ReportBox box;
    box.under = [](QPainter& p, const QRectF& rect, bool continued) {
        p.drawText(QRectF(rect.left(), rect.top(), rect.width(), 15), Qt::AlignLeft,
                   continued ? "Runs (continued)" : "Runs");
    };
    for (int r = 1; r <= c.rows; ++r)
        box.rows.push_back(ReportRow{20,
                                     [r](QPainter& p, const QRectF& row) {
                                         p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, QString("row%1.").arg(r));
                                     },
                                     QColor()});
    report.addBox(std::move(box));
    const QString pdf = dir.filePath("pages.pdf");
    vantrel::report::writeReport(report.pdf(), pdf.toStdString(), "ReportPainterTest", "Cannot write the report");
    EXPECT_FALSE(QFile::exists(pdf + ".tmp"));

    ASSERT_EQ(report.pageCount(), c.pagesExpected);
    std::vector<int> seen;
    for (int page = 1; page <= c.pagesExpected; ++page) {
        const QString text = pageText(pdf, page);
        EXPECT_TRUE(text.contains(QString("Page %1 of %2").arg(page).arg(c.pagesExpected))) << page << "\n"
                                                                                            << text.toStdString();
        if (page <= c.leadPages) {
            EXPECT_TRUE(text.contains("lead")) << page;
            continue;
        }
        const int rowsPage = page - c.leadPages - 1;
        EXPECT_TRUE(text.contains(QString("frame %1").arg(rowsPage))) << page;
        // The box's head on each page it stands on, carried over after the first.
        EXPECT_TRUE(text.contains("Runs")) << page;
        EXPECT_EQ(text.contains("Runs (continued)"), rowsPage > 0) << page;
        for (const auto& m : QRegularExpression("row(\\d+)\\.").globalMatch(text))
            seen.push_back(m.captured(1).toInt());
    }
    // Nothing past the last page.
    const auto info = testsupport::poppler("pdfinfo", {}, pdf);
    ASSERT_TRUE(info.error.isEmpty()) << info.error.toStdString();
    EXPECT_EQ(info.text.section("Pages:", 1).section('\n', 0, 0).trimmed().toInt(), c.pagesExpected);
    std::vector<int> all(std::size_t(c.rows));
    for (int r = 0; r < c.rows; ++r) all[std::size_t(r)] = r + 1;
    EXPECT_EQ(seen, all);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReportPages,
                         ::testing::Values(Case{"OneRow", 0, 1, 1}, Case{"ExactlyAPage", 0, kRowsPerPage, 1},
                                           Case{"OneRowOver", 0, kRowsPerPage + 1, 2},
                                           Case{"ManyPages", 0, 4 * kRowsPerPage + 3, 5}, Case{"NoRows", 0, 0, 1},
                                           Case{"LeadPageCounted", 1, kRowsPerPage + 1, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReportFile, UnwritableFolderNamesTheFileAndLeavesNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath("missing/report.pdf");
    try {
        vantrel::report::writeReport("%PDF-", pdf.toStdString(), "ReportPainterTest", "Cannot write the report");
        FAIL() << "written into a folder that is not there";
    } catch (const std::exception& error) {
        EXPECT_NE(std::string(error.what()).find(pdf.toStdString()), std::string::npos) << error.what();
    }
    EXPECT_FALSE(QFile::exists(pdf));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", REPORT_PLATFORM);
#ifdef REPORT_PLUGINS
    QCoreApplication::addLibraryPath(REPORT_PLUGINS);
#endif
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
