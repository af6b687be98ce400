#include "ReportPainter.h"
#include "ReportStyle.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <cerrno>

#include "platform/Error.h"
#include "platform/Files.h"

namespace vantrel::report {

namespace {

// A box's part on one page: which of its rows, and where.
struct Placed {
    const ReportBox* box = nullptr;
    double top = 0;
    std::size_t first = 0, end = 0;
    bool continued = false;
};

}  // namespace

ReportPainter::ReportPainter(const QString& title, const ReportLayout& layout) : m_layout(layout), m_buffer(&m_pdf) {
    m_buffer.open(QIODevice::WriteOnly);
    m_writer = std::make_unique<QPdfWriter>(&m_buffer);
    m_writer->setTitle(title);
    m_writer->setCreator("Vantrel");
    m_writer->setResolution(72);
    m_writer->setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
}

ReportPainter::~ReportPainter() = default;

void ReportPainter::addLeadPage(std::function<void(QPainter&, const QRectF&)> paint) {
    m_leadPages.push_back(std::move(paint));
}

QByteArray ReportPainter::pdf() {
    const ReportLayout& l = m_layout;
    // Pages of boxes: a box begins on a new page when its first row does not
    // fit below what stands, and carries over when a row does not; a row
    // taller than a page stands alone on one, a box without rows as its head
    // and foot.
    std::vector<std::vector<Placed>> pages(1);
    double y = l.firstTop;
    for (const ReportBox& box : m_boxes) {
        std::size_t r = 0;
        do {
            const double first = r < box.rows.size() ? box.rows[r].height : 0;
            if (y + l.headHeight + first + l.footHeight > l.bottom && !pages.back().empty()) {
                pages.emplace_back();
                y = l.top;
            }
            Placed placed{&box, y, r, r, r > 0};
            y += l.headHeight;
            while (r < box.rows.size()) {
                const double h = box.rows[r].height;
                if (y + h + l.footHeight > l.bottom && r > placed.first) break;
                y += h;
                ++r;
            }
            placed.end = r;
            y += l.footHeight + l.gap;
            pages.back().push_back(placed);
        } while (r < box.rows.size());
    }

    QPainter p(m_writer.get());
    p.setRenderHint(QPainter::Antialiasing);
    m_pageCount = int(m_leadPages.size() + pages.size());
    int number = 0;
    auto pageNumber = [&] {
        ++number;
        if (!l.numbered) return;
        p.setPen(kRule);
        p.setFont(reportFont(7));
        p.drawText(QRectF(kMargin, kPageHeight - 26, kPageWidth - 2 * kMargin, 12), Qt::AlignRight | Qt::AlignVCenter,
                   QString("Page %1 of %2").arg(number).arg(m_pageCount));
    };
    for (const auto& lead : m_leadPages) {
        lead(p, QRectF(0, 0, kPageWidth, kPageHeight));
        pageNumber();
        m_writer->newPage();
    }
    const double width = kPageWidth - 2 * kMargin;
    for (std::size_t page = 0; page < pages.size(); ++page) {
        if (page > 0) m_writer->newPage();
        if (m_frame) m_frame(p, int(page));
        for (const Placed& placed : pages[page]) {
            const auto& rows = placed.box->rows;
            double height = l.headHeight + l.footHeight;
            for (std::size_t r = placed.first; r < placed.end; ++r) height += rows[r].height;
            const QRectF rect(kMargin, placed.top, width, height);
            double ry = placed.top + l.headHeight;
            for (std::size_t r = placed.first; r < placed.end; ++r) {
                if (rows[r].shade.isValid())
                    p.fillRect(QRectF(rect.left() + 1, ry, rect.width() - 2, rows[r].height), rows[r].shade);
                ry += rows[r].height;
            }
            if (placed.box->under) placed.box->under(p, rect, placed.continued);
            ry = placed.top + l.headHeight;
            for (std::size_t r = placed.first; r < placed.end; ++r) {
                if (rows[r].paint) rows[r].paint(p, QRectF(rect.left(), ry, rect.width(), rows[r].height));
                ry += rows[r].height;
            }
            if (placed.box->over) placed.box->over(p, rect, placed.continued);
        }
        pageNumber();
    }
    p.end();
    m_buffer.close();
    return m_pdf;
}

void writeReport(const QByteArray& pdf, const std::string& nativePath, const char* source, const char* what) {
    const auto failed = platform::files::replaceAtomically(nativePath, [&](int fd) -> std::string {
        return platform::files::writeAll(fd, std::string_view(pdf.constData(), std::size_t(pdf.size())))
                   ? std::string()
                   : platform::files::systemMessage(errno ? errno : EIO);
    });
    if (failed) platform::raiseAboutFile(platform::ErrPathAccess, source, what, nativePath, failed->reason());
}

}  // namespace vantrel::report
