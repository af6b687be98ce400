#include "PaidOffPanel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "MessageBox.h"
#include "Utf8Text.h"

namespace vantrel::runs {

namespace {

enum Column { Whose, Change, Values, Count, Best, BestRange, Best5, Best5Range, ColumnCount };

QString rangeText(const Spread& s) {
    return fromStd(differenceText(s.least)) + " … " + fromStd(differenceText(s.most));
}

}  // namespace

PaidOffPanel::PaidOffPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("paidOff");
    m_caption = new QLabel(this);
    m_caption->setObjectName("lblPaidOff");
    m_allTracks = new QCheckBox("All tracks", this);
    m_allTracks->setObjectName("chkAllTracks");
    connect(m_allTracks, &QCheckBox::toggled, this, &PaidOffPanel::fill);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName("tblPaidOff");
    m_table->setHorizontalHeaderLabels({"Runs", "Change", "Values", "Times", "Best Lap", "Range", "5 Best", "Range"});
    m_table->horizontalHeaderItem(Best)->setToolTip(
        "Median difference of the best lap, the run after against the run before (negative: faster)");
    m_table->horizontalHeaderItem(Best5)->setToolTip("Median difference of the average of the 5 best laps");
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    const int em = fontMetrics().horizontalAdvance('n');
    for (auto [c, w] : {std::pair{Whose, 6},
                        {Change, 26},
                        {Values, 16},
                        {Count, 6},
                        {Best, 9},
                        {BestRange, 16},
                        {Best5, 9},
                        {Best5Range, 16}})
        m_table->setColumnWidth(c, w * em);
    m_table->horizontalHeader()->setStretchLastSection(true);

    auto* top = new QHBoxLayout;
    top->addWidget(m_caption, 1);
    top->addWidget(m_allTracks);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
}

void PaidOffPanel::show(SetupLibrary& library, const std::string& track, const std::string& driver) {
    m_library = &library;
    m_track = track;
    m_driver = driver;
    fill();
}

void PaidOffPanel::fill() {
    m_rows.clear();
    if (m_library) {
        try {
            const std::string track = m_allTracks->isChecked() ? std::string() : m_track;
            std::vector<StoredRun> runs = trackRuns(*m_library, track, m_driver);
            // The team's rows beside one driver's own (Own and Team apart), so
            // that what the team learnt shows without choosing "All drivers".
            if (!library::matchKey(m_driver).empty())
                for (StoredRun& run : trackRuns(*m_library, track))
                    if (!run.team.empty() && library::matchKey(run.values[std::size_t(SetupField::DriverName)]) !=
                                                 library::matchKey(m_driver))
                        runs.push_back(std::move(run));
            m_rows = paidOff(runs);
        } catch (const std::exception& e) {
            m_caption->setText(failureText(e));
        }
    }
    m_table->clearContents();
    m_table->setRowCount(int(m_rows.size()));
    const QColor faint = palette().color(QPalette::Disabled, QPalette::Text);
    for (int r = 0; r < int(m_rows.size()); ++r) {
        const PaidOffRow& row = m_rows[std::size_t(r)];
        const QString cells[ColumnCount] = {row.team ? "Team" : "Own",
                                            fromStd(row.change),
                                            fromStd(row.values),
                                            QString::number(row.count),
                                            fromStd(differenceText(row.best.median)),
                                            rangeText(row.best),
                                            fromStd(differenceText(row.best5.median)),
                                            rangeText(row.best5)};
        for (int c = 0; c < ColumnCount; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= Count) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (row.few()) {
                item->setForeground(faint);
                item->setToolTip(
                    QString("Seen %1 %2 only: too few to trust").arg(row.count).arg(row.count == 1 ? "time" : "times"));
            }
            m_table->setItem(r, c, item);
        }
    }
    if (m_library && m_rows.empty())
        m_caption->setText("Which change paid off: no change between two runs with laps yet (Log Run…)");
    else if (m_library)
        m_caption->setText(QString("Which change paid off, best first (%1)")
                               .arg(m_allTracks->isChecked() ? "all tracks" : fromStd(m_track)));
}

}  // namespace vantrel::runs
