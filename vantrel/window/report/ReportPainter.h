#pragma once
// A report on A4 pages in points, in the look of the setup sheet: the
// caller's frame on every page (its title line), boxes of rows flowing down
// the pages, a box carried over to the next page where its rows do not fit,
// "Page N of M" at each page's foot when asked, and the file written whole
// or not at all. The comparison, a track's history and a meeting's page are
// drawn through it.

#include <QByteArray>
#include <QBuffer>
#include <QColor>
#include <QPdfWriter>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPainter;

namespace vantrel::report {

// A4 in points: one device unit is one point.
constexpr double kPageWidth = 595, kPageHeight = 842, kMargin = 20;

// A row of a box: its height and how it draws itself in its rect (the box's
// width, the row's height); a shade, when given, lies under the box's outline.
struct ReportRow {
    double height = 0;
    std::function<void(QPainter&, const QRectF& row)> paint;
    QColor shade;
};

// A box of rows. Before its rows and after them it draws what frames them (an
// outline, a heading strip, a table's column titles), given its rect on the
// page and whether it carries over from the page before.
struct ReportBox {
    std::function<void(QPainter&, const QRectF&box, bool continued)> under, over;
    std::vector<ReportRow> rows;
};

// Where the boxes go on the pages.
struct ReportLayout {
    double firstTop = 80;    // where the boxes begin on the first page of rows
    double top = 80;         // and on the pages after it
    double bottom = 808;     // no box reaches below
    double headHeight = 15;  // from a box's top to its first row
    double footHeight = 4;   // from its last row to its bottom
    double gap = 8;          // between one box and the next
    bool numbered = false;   // "Page N of M" at each page's foot, lead pages counted
};

class ReportPainter {
public:
    // title: the PDF's own (its document title).
    ReportPainter(const QString& title, const ReportLayout& layout);
    ~ReportPainter();

    // What the rows' text is measured on, so that it is drawn as measured.
    QPaintDevice* device() const { return m_writer.get(); }
    // A page painted whole, before the pages of rows (a chart leading).
    void addLeadPage(std::function<void(QPainter&, const QRectF& page)> paint);
    // What every page of rows carries, drawn first; page counts from 0 among them.
    void setFrame(std::function<void(QPainter&, int page)> frame) { m_frame = std::move(frame); }
    // A box without rows still stands: its head and foot.
    void addBox(ReportBox box) { m_boxes.push_back(std::move(box)); }

    // The pages laid out and painted, once.
    QByteArray pdf();
    // The pages it took, the lead pages counted (after pdf()).
    int pageCount() const { return m_pageCount; }

private:
    ReportLayout m_layout;
    QByteArray m_pdf;
    QBuffer m_buffer;
    std::unique_ptr<QPdfWriter> m_writer;
    std::vector<std::function<void(QPainter&, const QRectF&)>> m_leadPages;
    std::function<void(QPainter&, int)> m_frame;
    std::vector<ReportBox> m_boxes;
    int m_pageCount = 0;
};

// The report's bytes at nativePath, replacing it atomically. Throws
// platform::Error from source, saying what failed and naming the file.
void writeReport(const QByteArray& pdf, const std::string& nativePath, const char* source, const char* what);

}  // namespace vantrel::report
