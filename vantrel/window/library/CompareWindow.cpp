#include "CompareWindow.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPushButton>
#include <QTableWidget>
#include <QTextLayout>
#include <QVBoxLayout>

#include "FileChooser.h"
#include "MessageBox.h"
#include "SheetSources.h"
#include "WindowGeometry.h"
#include "library/EventDate.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "Utf8Text.h"

namespace vantrel::library {

namespace {

// The sheet's colours and type (the template's).
const QColor kInk(0x2b, 0x2f, 0x36);
const QColor kHeader(0x2f, 0x3a, 0x48);
const QColor kRule(0x9a, 0xa3, 0xad);
const QColor kDiffers(0xff, 0xe4, 0xa8);
const QColor kDiffersOnPaper(0xfc, 0xec, 0xc4);
const QString kSheetFont("DejaVu Sans");

QString shownTime(const std::string& created) {
    const QString text = fromStd(created);
    return text.size() >= 16 && text[10] == 'T' ? text.left(10) + ' ' + text.mid(11, 5) : text;
}

// Lays the text out in lines of at most width, broken between words or,
// for a word wider than that, inside it; returns the height of the lines.
double wrapped(QTextLayout& layout, double width) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    double height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

QFont sheetFont(double size, bool bold = false) {
    QFont f(kSheetFont);
    f.setPointSizeF(size);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

}  // namespace

CompareWindow::CompareWindow(std::vector<StoredSetup> setups, const QWidget* mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window), m_setups(std::move(setups)) {
    setObjectName("frmCompare");
    setWindowTitle("Compare Setups");
    if (mainWindow) setFont(mainWindow->font());

    // A season reads from left to right: by event date, then as built.
    const DateOrder order = userDateOrder();
    std::stable_sort(m_setups.begin(), m_setups.end(), [order](const StoredSetup& a, const StoredSetup& b) {
        const std::string x = eventDateOf(a.values, a.created, order), y = eventDateOf(b.values, b.created, order);
        return x != y ? x < y : a.created < b.created;
    });
    std::vector<Setup> shown;
    for (const StoredSetup& s : m_setups) shown.push_back(sheetShownValues(s.values));
    for (ComparisonRow& r : comparisonRows()) {
        Row row;
        for (const Setup& values : shown) row.values << displayValue(r, values);
        for (const QString& v : row.values) row.differs = row.differs || v != row.values.front();
        row.row = std::move(r);
        m_rows.push_back(std::move(row));
    }

    m_table = new QTableWidget(this);
    m_table->setObjectName("tblCompare");
    m_table->setColumnCount(int(m_setups.size()) + 1);
    m_table->setHorizontalHeaderLabels(QStringList{"Field"} + columnTitles());
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->verticalHeader()->hide();
    // Long notes wrap; each row is as tall as its longest value.
    m_table->setWordWrap(true);
    m_table->setTextElideMode(Qt::ElideNone);
    // The setups share the width alike; the captions keep theirs.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    const int em = fontMetrics().horizontalAdvance('n');
    m_table->setColumnWidth(0, 22 * em);

    QFont bold = font();
    bold.setBold(true);
    QString tab;
    for (const Row& row : m_rows) {
        if (row.row.tab != tab) {
            tab = row.row.tab;
            const int r = m_table->rowCount();
            m_table->insertRow(r);
            auto* heading = new QTableWidgetItem(tab);
            heading->setData(HeadingRole, true);
            heading->setFont(bold);
            heading->setForeground(Qt::white);
            heading->setBackground(kHeader);
            m_table->setItem(r, 0, heading);
            m_table->setSpan(r, 0, 1, m_table->columnCount());
        }
        const int r = m_table->rowCount();
        m_table->insertRow(r);
        auto* caption = new QTableWidgetItem(row.row.caption);
        caption->setData(HeadingRole, false);
        caption->setData(DiffersRole, row.differs);
        m_table->setItem(r, 0, caption);
        for (int c = 0; c < row.values.size(); ++c) {
            auto* value = new QTableWidgetItem(row.values[c]);
            value->setToolTip(row.values[c]);
            m_table->setItem(r, c + 1, value);
        }
        if (row.differs)
            for (int c = 0; c < m_table->columnCount(); ++c) m_table->item(r, c)->setBackground(kDiffers);
    }
    m_table->resizeRowsToContents();
    connect(m_table->horizontalHeader(), &QHeaderView::sectionResized, m_table,
            [this] { m_table->resizeRowsToContents(); });

    m_only = new QCheckBox("Only differences", this);
    m_only->setObjectName("chkOnlyDifferences");
    connect(m_only, &QCheckBox::toggled, this, &CompareWindow::setOnlyDifferences);
    auto* cmdSavePdf = new QPushButton("Save as PDF…", this);
    cmdSavePdf->setObjectName("cmdSavePdf");
    connect(cmdSavePdf, &QPushButton::clicked, this, &CompareWindow::savePdf);
    auto* cmdClose = new QPushButton("Close", this);
    cmdClose->setObjectName("cmdClose");
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    m_status = new QLabel(this);
    m_status->setObjectName("lblStatus");
    int differing = 0;
    for (const Row& row : m_rows) differing += row.differs ? 1 : 0;
    m_status->setText(QString("%1 of %2 fields differ").arg(differing).arg(m_rows.size()));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_only);
    buttons->addWidget(m_status, 1);
    buttons->addWidget(cmdSavePdf);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(22 * em + int(m_setups.size()) * 24 * em + 40, 46 * fontMetrics().height());
    windowgeometry::remember(this);
}

QStringList CompareWindow::columnTitles() const {
    QStringList titles;
    for (const StoredSetup& s : m_setups) {
        const QString driver = fromStd(s.values[std::size_t(SetupField::DriverName)]);
        const QString track = fromStd(s.values[std::size_t(SetupField::TrackCity)]);
        const QString event = fromStd(s.values[std::size_t(SetupField::EventName)]);
        // The event (else the track) and its date, who, and when the sheet
        // was built: the rows below say the rest.
        const QString date = fromStd(eventDateOf(s.values, s.created, userDateOrder()));
        titles << QStringList{event.isEmpty() ? (track.isEmpty() ? date : track) : event,
                              driver.isEmpty() ? date : date + " · " + driver, "built " + shownTime(s.created)}
                      .join('\n');
    }
    return titles;
}

void CompareWindow::setOnlyDifferences(bool only) {
    m_onlyDifferences = only;
    if (m_only->isChecked() != only) m_only->setChecked(only);
    // Walk from the bottom: a heading shows when a row below it does.
    bool anyBelow = false;
    for (int r = m_table->rowCount() - 1; r >= 0; --r) {
        const QTableWidgetItem* caption = m_table->item(r, 0);
        if (caption->data(HeadingRole).toBool()) {
            m_table->setRowHidden(r, !anyBelow);
            anyBelow = false;
            continue;
        }
        const bool show = !only || caption->data(DiffersRole).toBool();
        m_table->setRowHidden(r, !show);
        anyBelow = anyBelow || show;
    }
}

void CompareWindow::savePdf() {
    QString suggestion = QDir::homePath() + "/Setup Comparison.pdf";
    if (!m_setups.empty() && !m_setups.front().sheet.empty())
        suggestion = QFileInfo(fromStd(m_setups.front().sheet)).path() + "/Setup Comparison.pdf";
    saveChosenPdf(this, m_status, suggestion, [this](const QString& file) { writePdf(file); });
}

void CompareWindow::writePdf(const QString& nativePath) const {
    const QByteArray pdf = paintPdf();
    const std::string path = nativePath.toStdString();
    const std::string reason = platform::files::replaceAtomically(path, [&](int fd) -> std::string {
        return platform::files::writeAll(fd, std::string_view(pdf.constData(), std::size_t(pdf.size())))
                   ? std::string()
                   : platform::files::systemMessage(errno);
    });
    if (!reason.empty())
        platform::raiseAboutFile(platform::ErrPathAccess, "CompareWindow", "Cannot write the comparison", path, reason);
}

QByteArray CompareWindow::paintPdf() const {
    // A4 in points, as the sheet: one device unit is one point.
    constexpr double kPageWidth = 595, kPageHeight = 842, kMargin = 20, kHeaderHeight = 12, kPadding = 6;
    constexpr double kRowHeight = 14, kTop = 80, kBottom = kPageHeight - 34, kBoxGap = 8;
    const double contentWidth = kPageWidth - 2 * kMargin;
    const double captionWidth = 130;
    const int columns = int(m_setups.size());
    const double valueWidth = (contentWidth - 2 * kPadding - captionWidth) / std::max(columns, 1);
    const QFont labelFont = sheetFont(7), valueFont = sheetFont(8), boldValue = sheetFont(8, true);

    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle("Setup Comparison");
    writer.setCreator("Vantrel");
    writer.setResolution(72);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point));

    // Each row's height: its tallest value, wrapped in its column in the
    // font it is drawn in, so that no line of it falls outside its cell.
    const double textWidth = valueWidth - 7;
    auto rowHeight = [&](const Row& row) {
        double h = kRowHeight;
        for (const QString& v : row.values) {
            QTextLayout layout(v, row.differs ? boldValue : valueFont, &writer);
            h = std::max(h, wrapped(layout, textWidth) + 4);
        }
        return h;
    };

    // Pages of boxes: a tab's rows in one box, carried over to the next page
    // when they do not fit.
    struct Box {
        QString title;
        double top = 0;
        std::vector<std::pair<const Row*, double>> rows;
    };
    std::vector<std::vector<Box>> pages(1);
    double y = kTop;
    for (std::size_t i = 0; i < m_rows.size();) {
        const QString tab = m_rows[i].row.tab;
        std::vector<const Row*> group;
        for (; i < m_rows.size() && m_rows[i].row.tab == tab; ++i)
            if (shown(m_rows[i])) group.push_back(&m_rows[i]);
        if (group.empty()) continue;
        bool continued = false;
        for (std::size_t g = 0; g < group.size();) {
            if (y + kHeaderHeight + 3 + rowHeight(*group[g]) + 4 > kBottom && !pages.back().empty()) {
                pages.emplace_back();
                y = kTop;
            }
            Box box{continued ? tab + " (continued)" : tab, y, {}};
            y += kHeaderHeight + 3;
            while (g < group.size()) {
                const double h = rowHeight(*group[g]);
                if (y + h + 4 > kBottom && !box.rows.empty()) break;
                box.rows.emplace_back(group[g], h);
                y += h;
                ++g;
            }
            y += 4 + kBoxGap;
            pages.back().push_back(std::move(box));
            continued = true;
        }
    }

    QPainter p(&writer);
    p.setRenderHint(QPainter::Antialiasing);
    // Every page counts, the lead page too.
    const std::size_t pageCount = pages.size() + (m_leadPage ? 1 : 0);
    auto pageNumber = [&](std::size_t number) {
        p.setPen(kRule);
        p.setFont(labelFont);
        p.drawText(QRectF(kMargin, kPageHeight - 26, contentWidth, 12), Qt::AlignRight | Qt::AlignVCenter,
                   QString("Page %1 of %2").arg(number).arg(pageCount));
    };
    if (m_leadPage) {
        m_leadPage(p, QRectF(0, 0, kPageWidth, kPageHeight));
        pageNumber(1);
        writer.newPage();
    }
    const QStringList titles = columnTitles();
    for (std::size_t page = 0; page < pages.size(); ++page) {
        if (page > 0) writer.newPage();
        // The sheet's title line.
        p.setPen(kHeader);
        p.setFont(sheetFont(18, true));
        p.drawText(QRectF(kMargin, 16, 400, 28), Qt::AlignLeft | Qt::AlignVCenter, "Setup Comparison");
        p.setPen(kRule);
        p.setFont(sheetFont(9));
        p.drawText(QRectF(kPageWidth - kMargin - 200, 16, 200, 28), Qt::AlignRight | Qt::AlignVCenter, "Vantrel");
        // The setups, one column each.
        p.setPen(kInk);
        for (int c = 0; c < columns; ++c) {
            const QRectF cell(kMargin + kPadding + captionWidth + c * valueWidth, 46, valueWidth - 6, 30);
            const QStringList lines = titles[c].split('\n');
            p.setFont(boldValue);
            p.drawText(QRectF(cell.left(), cell.top(), cell.width(), 10), Qt::AlignLeft | Qt::AlignVCenter,
                       QFontMetricsF(boldValue, &writer).elidedText(lines.value(0), Qt::ElideRight, cell.width()));
            p.setFont(labelFont);
            for (int l = 1; l < lines.size() && l < 3; ++l)
                p.drawText(QRectF(cell.left(), cell.top() + 10 * l, cell.width(), 10), Qt::AlignLeft | Qt::AlignVCenter,
                           QFontMetricsF(labelFont, &writer).elidedText(lines[l], Qt::ElideRight, cell.width()));
        }
        for (const Box& box : pages[page]) {
            double height = kHeaderHeight + 3 + 4;
            for (const auto& [row, h] : box.rows) height += h;
            const QRectF rect(kMargin, box.top, contentWidth, height);
            // Rows that differ, shaded under their text.
            double ry = box.top + kHeaderHeight + 3;
            for (const auto& [row, h] : box.rows) {
                if (row->differs) p.fillRect(QRectF(rect.left() + 1, ry, rect.width() - 2, h), kDiffersOnPaper);
                ry += h;
            }
            QPainterPath outline;
            outline.addRoundedRect(rect, 3, 3);
            p.setPen(QPen(kInk, 0.7));
            p.setBrush(Qt::NoBrush);
            p.drawPath(outline);
            QPainterPath header;
            header.addRoundedRect(QRectF(rect.left(), rect.top(), rect.width(), kHeaderHeight + 3), 3, 3);
            QPainterPath strip;
            strip.addRect(QRectF(rect.left(), rect.top(), rect.width(), kHeaderHeight));
            p.fillPath(header.intersected(strip), kHeader);
            p.setPen(Qt::white);
            p.setFont(sheetFont(7.5, true));
            p.drawText(QRectF(rect.left() + 6, rect.top(), rect.width() - 12, kHeaderHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, box.title);

            ry = box.top + kHeaderHeight + 3;
            for (const auto& [row, h] : box.rows) {
                const double x = rect.left() + kPadding;
                p.setPen(kInk);
                p.setFont(labelFont);
                p.drawText(QRectF(x, ry, captionWidth - 4, kRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                           row->row.caption);
                for (int c = 0; c < columns; ++c) {
                    const QRectF cell(x + captionWidth + c * valueWidth, ry, valueWidth - 6, h);
                    p.setPen(QPen(kRule, 0.5));
                    p.drawLine(QPointF(cell.left(), cell.bottom() - 1), QPointF(cell.right(), cell.bottom() - 1));
                    p.setPen(kInk);
                    QTextLayout layout(row->values[c], row->differs ? boldValue : valueFont, &writer);
                    const double height = wrapped(layout, textWidth);
                    layout.draw(&p, QPointF(cell.left() + 1, cell.top() + (cell.height() - 1 - height) / 2));
                }
                ry += h;
            }
        }
        pageNumber(page + 1 + (m_leadPage ? 1 : 0));
    }
    p.end();
    return pdf;
}

}  // namespace vantrel::library
