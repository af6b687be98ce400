#include "CompareWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "Dialogs.h"
#include "MessageBox.h"
#include "ReportStyle.h"
#include "WindowGeometry.h"
#include "Utf8Text.h"

namespace vantrel::library {

namespace {

using report::kHeader;

}  // namespace

CompareWindow::CompareWindow(std::vector<StoredSetup> setups, Dialogs dialogs, const QWidget* mainWindow,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), m_comparison(std::move(setups)), m_dialogs(std::move(dialogs)) {
    setObjectName("frmCompare");
    setWindowTitle("Compare Setups");
    if (mainWindow) setFont(mainWindow->font());

    m_table = new QTableWidget(this);
    m_table->setObjectName("tblCompare");
    m_table->setColumnCount(int(m_comparison.setups().size()) + 1);
    m_table->setHorizontalHeaderLabels(QStringList{"Field"} + m_comparison.columnTitles());
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
    for (const Comparison::Row& row : m_comparison.rows()) {
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
            for (int c = 0; c < m_table->columnCount(); ++c)
                m_table->item(r, c)->setBackground(report::kDiffersOnScreen);
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
    m_status = new ElidedLabel(this);
    m_status->setObjectName("lblStatus");
    int differing = 0;
    for (const Comparison::Row& row : m_comparison.rows()) differing += row.differs ? 1 : 0;
    m_status->setText(QString("%1 of %2 fields differ").arg(differing).arg(m_comparison.rows().size()));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_only);
    buttons->addWidget(m_status, 1);
    buttons->addWidget(cmdSavePdf);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(22 * em + int(m_comparison.setups().size()) * 24 * em + 40, 46 * fontMetrics().height());
    windowgeometry::remember(this);
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
    const std::vector<StoredSetup>& setups = m_comparison.setups();
    if (!setups.empty() && !setups.front().sheet.empty())
        suggestion = QFileInfo(fromStd(setups.front().sheet)).path() + "/Setup Comparison.pdf";
    saveChosenPdf(this, m_dialogs, m_status, suggestion, [this](const QString& file) { writePdf(file); });
}

void CompareWindow::writePdf(const QString& nativePath) const { m_comparison.writePdf(nativePath, m_onlyDifferences); }

}  // namespace vantrel::library
