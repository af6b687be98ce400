#include "PaidOffPanel.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "MessageBox.h"
#include "Utf8Text.h"

namespace vantrel::runs {

namespace {

enum Column { Whose, Change, Values, Pairs, Meetings, Raw, Track, Gain, Interval, Judged, Notes, ColumnCount };

QString intervalText(const PaidOffRow& row) {
    if (!row.low) return "too few pairs";
    return fromStd(differenceText(*row.low)) + " … " + fromStd(differenceText(*row.high));
}

QString notesText(const PaidOffRow& row) {
    std::string notes = row.with;
    const std::string flags = row.flagsText();
    if (!flags.empty()) notes += (notes.empty() ? "" : "; ") + flags;
    return fromStd(notes);
}

}  // namespace

PaidOffPanel::PaidOffPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("paidOff");
    m_caption = new QLabel(this);
    m_caption->setObjectName("lblPaidOff");
    m_allTracks = new QCheckBox("All tracks", this);
    m_allTracks->setObjectName("chkAllTracks");
    connect(m_allTracks, &QCheckBox::toggled, this, &PaidOffPanel::fill);
    m_origin = new QComboBox(this);
    m_origin->setObjectName("cboPaidOffOrigin");
    m_origin->addItems({"Own and Team apart", "Own", "Team", "Own + Team"});
    connect(m_origin, &QComboBox::currentIndexChanged, this, &PaidOffPanel::fill);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName("tblPaidOff");
    m_table->setHorizontalHeaderLabels(
        {"Runs", "Change", "Values", "Pairs", "Meetings", "Raw", "Track", "Gain", "90 % Interval", "Verdict", "Notes"});
    m_table->horizontalHeaderItem(Raw)->setToolTip(
        "Median difference of the best lap, the run after against the run before (negative: faster)");
    m_table->horizontalHeaderItem(Track)->setToolTip(
        "What the track did meanwhile: the field's median change, else that of runs with nothing changed");
    m_table->horizontalHeaderItem(Gain)->setToolTip("Median of the difference less what the track did");
    m_table->horizontalHeaderItem(Judged)->setToolTip(
        "Faster or slower when the interval is clear of zero; unclear when it holds zero or the pairs are too few");
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    const int em = fontMetrics().horizontalAdvance('n');
    for (auto [c, w] : {std::pair{Whose, 6},
                        {Change, 26},
                        {Values, 16},
                        {Pairs, 6},
                        {Meetings, 8},
                        {Raw, 8},
                        {Track, 8},
                        {Gain, 8},
                        {Interval, 16},
                        {Judged, 8},
                        {Notes, 30}})
        m_table->setColumnWidth(c, w * em);
    m_table->horizontalHeader()->setStretchLastSection(true);

    // Behind the chosen row, its pairs; a pair opened opens its meeting.
    m_pairs = new QTableWidget(0, 11, this);
    m_pairs->setObjectName("tblPaidOffPairs");
    m_pairs->setHorizontalHeaderLabels({"Meeting", "Before", "After", "Best Before", "Best After", "Raw", "Track",
                                        "Baseline", "Gain", "Track Temp", "Alone"});
    m_pairs->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pairs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pairs->verticalHeader()->hide();
    m_pairs->setWordWrap(false);
    m_pairs->setColumnWidth(0, 30 * em);
    m_pairs->horizontalHeader()->setStretchLastSection(true);
    m_pairs->setToolTip("Open a pair (double-click, Enter) for its meeting's runs");
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &PaidOffPanel::showPairs);
    connect(m_pairs, &QTableWidget::cellActivated, this, [this](int r, int) {
        const int row = m_table->currentRow();
        if (row < 0 || row >= int(m_rows.size())) return;
        const auto& list = m_rows[std::size_t(row)].pairList;
        if (r >= 0 && r < int(list.size()) && list[std::size_t(r)].values)
            emit meetingRequested(*list[std::size_t(r)].values);
    });

    auto* top = new QHBoxLayout;
    top->addWidget(m_caption, 1);
    top->addWidget(m_origin);
    top->addWidget(m_allTracks);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(m_table, 2);
    layout->addWidget(m_pairs, 1);
}

void PaidOffPanel::show(SetupLibrary& library, const std::string& track, const std::string& driver) {
    m_library = &library;
    m_track = track;
    m_driver = driver;
    fill();
}

void PaidOffPanel::showPairs() {
    m_pairs->clearContents();
    const int r = m_table->currentRow();
    if (r < 0 || r >= int(m_rows.size()) || m_table->selectedItems().isEmpty()) {
        m_pairs->setRowCount(0);
        return;
    }
    const auto& list = m_rows[std::size_t(r)].pairList;
    m_pairs->setRowCount(int(list.size()));
    const QString kinds[] = {"field", "unchanged runs", "none"};
    auto temperature = [](const std::optional<double>& t) { return t ? QString::number(*t, 'f', 1) : QString("?"); };
    for (int i = 0; i < int(list.size()); ++i) {
        const PaidOffPair& p = list[std::size_t(i)];
        const QString cells[] = {fromStd(p.meeting),
                                 fromStd(p.before),
                                 fromStd(p.after),
                                 fromStd(lapText(p.beforeBest)),
                                 fromStd(lapText(p.afterBest)),
                                 fromStd(differenceText(p.raw)),
                                 p.track ? fromStd(differenceText(*p.track)) : "",
                                 kinds[int(p.baseline)],
                                 fromStd(differenceText(p.gain)),
                                 temperature(p.tempBefore) + " → " + temperature(p.tempAfter),
                                 p.alone ? "yes" : "no"};
        for (int c = 0; c < int(std::size(cells)); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= 3 && c != 7) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_pairs->setItem(i, c, item);
        }
    }
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
            const Pooling pooling[] = {Pooling::Apart, Pooling::OwnOnly, Pooling::TeamOnly, Pooling::Pooled};
            m_rows = paidOff(runs, pooling[std::clamp(m_origin->currentIndex(), 0, 3)]);
        } catch (const std::exception& e) {
            m_caption->setText(failureText(e));
        }
    }
    m_table->clearContents();
    m_table->setRowCount(int(m_rows.size()));
    const QString origins[] = {"Own", "Team", "Own + Team"};
    for (int r = 0; r < int(m_rows.size()); ++r) {
        const PaidOffRow& row = m_rows[std::size_t(r)];
        const QString cells[ColumnCount] = {origins[int(row.origin)],
                                            fromStd(row.change),
                                            fromStd(row.values),
                                            QString::number(row.pairs),
                                            QString::number(row.meetings),
                                            fromStd(differenceText(row.raw)),
                                            row.baseline ? fromStd(differenceText(*row.baseline)) : "none",
                                            fromStd(differenceText(row.gain)),
                                            intervalText(row),
                                            fromStd(std::string(verdictText(row.verdict))),
                                            notesText(row)};
        for (int c = 0; c < ColumnCount; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= Pairs && c <= Judged) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == Track) item->setToolTip(fromStd("Baseline: " + row.baselineText()));
            if (c == Judged && row.verdict == Verdict::Unclear)
                item->setToolTip(row.low ? "The interval holds zero: it may be the track, or nothing"
                                         : QString("%1 pairs: too few for an interval").arg(row.pairs));
            m_table->setItem(r, c, item);
        }
    }
    showPairs();
    if (m_library && m_rows.empty())
        m_caption->setText("Which change paid off: no change between two runs with laps yet (Log Run…)");
    else if (m_library)
        m_caption->setText(QString("Which change paid off, against what the track did; the clear ones first (%1)")
                               .arg(m_allTracks->isChecked() ? "all tracks" : fromStd(m_track)));
}

}  // namespace vantrel::runs
