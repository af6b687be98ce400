#include "MeetingWindow.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "LogRunDialog.h"
#include "MeetingReport.h"
#include "MessageBox.h"
#include "platform/Error.h"
#include "platform/Text.h"
#include "ReportPainter.h"
#include "Utf8Text.h"
#include "WindowGeometry.h"

namespace vantrel::runs {

namespace {

// Where the racer last saved a meeting's page, while the program runs.
QString& lastPdfFolder() {
    static QString folder;
    return folder;
}

enum Column { Order, Run, Laps, Best, Best5, Median, Total, Consistency, Position, Air, Track, Note, Changes, Count };

// The chart, painted as the PDF paints it.
class RunsChart : public QWidget {
public:
    RunsChart(const std::vector<StoredRun>& runs, QWidget* parent) : QWidget(parent), m_runs(runs) {
        setObjectName("chartRuns");
        setMinimumHeight(15 * fontMetrics().height());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        paintRunsChart(p, QRectF(rect()).adjusted(4, 4, -4, -4), m_runs);
    }

private:
    const std::vector<StoredRun>& m_runs;
};

}  // namespace

MeetingWindow::MeetingWindow(const std::string& nativePath, const Setup& values, Dialogs dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_path(nativePath), m_values(values), m_dialogs(std::move(dialogs)) {
    setObjectName("frmMeeting");
    setWindowTitle("Meeting: " + fromStd(meetingText(values)));
    if (parent) setFont(parent->font());

    auto* title = new QLabel(fromStd(meetingText(values)), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    m_table = new QTableWidget(0, Count, this);
    m_table->setObjectName("tblRuns");
    m_table->setHorizontalHeaderLabels({"#", "Run", "Laps", "Best", "5 Best", "Median", "Total", "Consistency",
                                        "Position", "Air", "Track", "Note", "What Changed"});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    const int em = fontMetrics().horizontalAdvance('n');
    for (auto [c, w] : {std::pair{Order, 3},
                        {Run, 11},
                        {Laps, 5},
                        {Best, 8},
                        {Best5, 8},
                        {Median, 8},
                        {Total, 9},
                        {Consistency, 10},
                        {Position, 8},
                        {Air, 5},
                        {Track, 6},
                        {Note, 22}})
        m_table->setColumnWidth(c, w * em);
    m_chart = new RunsChart(m_runs, this);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_table);
    split->addWidget(m_chart);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);

    m_status = new ElidedLabel(this);
    m_status->setObjectName("lblStatus");
    auto* cmdPdf = new QPushButton("Save as PDF…", this);
    cmdPdf->setObjectName("cmdSavePdf");
    auto* cmdClose = new QPushButton("Close", this);
    cmdClose->setObjectName("cmdClose");
    m_cmdEdit = new QPushButton("&Edit…", this);
    m_cmdEdit->setObjectName("cmdEditRun");
    m_cmdEdit->setToolTip("Put the chosen run right: its name, laps, position, temperatures and note");
    m_cmdDelete = new QPushButton("&Delete…", this);
    m_cmdDelete->setObjectName("cmdDeleteRun");
    m_cmdDelete->setToolTip("Delete the chosen run, here and in the team folder");
    m_cmdUndo = new QPushButton("&Undo Delete", this);
    m_cmdUndo->setObjectName("cmdUndoDelete");
    m_cmdUndo->setToolTip("Bring back the run deleted last");
    connect(m_cmdEdit, &QPushButton::clicked, this, &MeetingWindow::editRun);
    connect(m_cmdDelete, &QPushButton::clicked, this, &MeetingWindow::deleteRun);
    connect(m_cmdUndo, &QPushButton::clicked, this, &MeetingWindow::undoDelete);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &MeetingWindow::updateButtons);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &MeetingWindow::editRun);
    connect(cmdPdf, &QPushButton::clicked, this, &MeetingWindow::savePdf);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    auto* actions = new QHBoxLayout;
    actions->addWidget(m_status, 1);
    actions->addWidget(m_cmdEdit);
    actions->addWidget(m_cmdDelete);
    actions->addWidget(m_cmdUndo);
    actions->addWidget(cmdPdf);
    actions->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(split, 1);
    layout->addLayout(actions);
    // Wide enough for the changes beside the figures, within the screen it opens on.
    QSize size(150 * em, 44 * fontMetrics().height());
    if (const QScreen* screen = parent ? parent->screen() : nullptr)
        size = size.boundedTo(screen->availableGeometry().size() - QSize(40, 60));
    resize(size);
    // Its frame on the screen, where the racer left the last one.
    windowgeometry::remember(this);
    reload();
}

MeetingWindow::~MeetingWindow() = default;

std::vector<StoredRun> MeetingWindow::readRuns(QString& failure) const {
    try {
        SetupLibrary library(m_path, {.readOnly = true});
        return meetingRuns(library, m_values);
    } catch (const std::exception& e) {
        failure = failureText(e);
        return {};
    }
}

void MeetingWindow::reload() {
    QString failure;
    std::vector<StoredRun> runs = readRuns(failure);
    showRuns(std::move(runs), failure);
}

bool MeetingWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        QString failure;
        std::vector<StoredRun> runs = readRuns(failure);
        auto sameRun = [](const StoredRun& a, const StoredRun& b) { return a.id == b.id && a.seq == b.seq; };
        // Only a change is shown anew, so the racer's place in the table stays.
        if (!failure.isEmpty() || !std::equal(runs.begin(), runs.end(), m_runs.begin(), m_runs.end(), sameRun))
            showRuns(std::move(runs), failure);
    }
    return QWidget::event(event);
}

void MeetingWindow::showRuns(std::vector<StoredRun> runs, const QString& failure) {
    m_runs = std::move(runs);
    if (!failure.isEmpty()) m_status->setText(failure);
    m_table->clearContents();
    m_table->setRowCount(int(m_runs.size()));
    for (int r = 0; r < int(m_runs.size()); ++r) {
        const StoredRun& run = m_runs[std::size_t(r)];
        const RunFigures& f = run.figures;
        auto lap = [&](std::int64_t ms) { return f.laps ? fromStd(lapText(ms)) : QString(); };
        // An empty cell would read as not known: said as the track's history says it.
        const QString changed = run.first             ? QString("(first run)")
                                : run.changes.empty() ? QString("(nothing changed)")
                                                      : changesText(run);
        const QString cells[Count] = {QString::number(run.seq),
                                      fromStd(run.name),
                                      QString::number(f.laps),
                                      lap(f.best),
                                      lap(f.best5),
                                      lap(f.median),
                                      lap(f.total),
                                      f.laps ? QString::number(f.consistency, 'f', 1) : QString(),
                                      fromStd(run.position),
                                      fromStd(run.airTemp),
                                      fromStd(run.trackTemp),
                                      fromStd(run.note),
                                      changed};
        for (int c = 0; c < Count; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c != Run && c != Note && c != Changes) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(r, c, item);
        }
        m_table->item(r, Changes)->setToolTip(changesText(run, "\n"));
    }
    if (m_status->text().isEmpty() || !m_runs.empty())
        m_status->setText(m_runs.empty() ? "No runs logged at this meeting yet (Log Run…, Ctrl+R)"
                                         : QString("%1 runs").arg(m_runs.size()));
    m_chart->update();
    updateButtons();
}

const StoredRun* MeetingWindow::chosenRun() const {
    const int row = m_table->currentRow();
    if (row < 0 || row >= int(m_runs.size()) || !m_table->selectionModel()->hasSelection()) return nullptr;
    return &m_runs[std::size_t(row)];
}

void MeetingWindow::updateButtons() {
    const StoredRun* run = chosenRun();
    // A team mate's run is put right where they logged it.
    const bool own = run && run->team.empty();
    m_cmdEdit->setEnabled(own);
    m_cmdDelete->setEnabled(own);
    m_cmdUndo->setVisible(!m_deleted.empty());
}

void MeetingWindow::shared(const RunEntry& run, const QString& done) {
    const auto failed = m_publish ? m_publish(run) : std::nullopt;
    m_status->setText(failed ? done + " Warning: " + fromStd(failed->description()) : done);
}

void MeetingWindow::editRun() {
    const StoredRun* chosen = chosenRun();
    if (!chosen || !chosen->team.empty()) return;
    const StoredRun run = *chosen;
    try {
        LogRunDialog dialog(m_path, run, m_dialogs, this);
        if (dialog.exec() != QDialog::Accepted || !dialog.saved()) return;
        const StoredRun edited = *dialog.saved();
        reload();
        shared(edited, QString("Put right: %1 (run %2), %3")
                           .arg(fromStd(edited.name))
                           .arg(edited.seq)
                           .arg(figuresText(edited.figures)));
    } catch (const std::exception& e) {
        MessageBox::failure(this, "Edit Run", e);
    }
}

void MeetingWindow::deleteRun() {
    const StoredRun* chosen = chosenRun();
    if (!chosen || !chosen->team.empty()) return;
    const StoredRun run = *chosen;
    if (MessageBox::question(this, "Delete Run",
                             QString("Delete %1 (run %2 of %3, %4)? Its laps leave the meeting's figures and the "
                                     "team folder. Undo Delete brings it back while this window is open.")
                                 .arg(fromStd(run.name))
                                 .arg(run.seq)
                                 .arg(fromStd(meetingText(run.values)))
                                 .arg(figuresText(run.figures)),
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    try {
        RunEntry mark;
        {
            SetupLibrary library(m_path);
            mark = runs::deleteRun(library, run.uid);
        }
        m_deleted.push_back(run.uid);
        reload();
        shared(mark, QString("Deleted %1. Undo Delete brings it back.").arg(fromStd(run.name)));
    } catch (const std::exception& e) {
        MessageBox::failure(this, "Delete Run", e);
    }
}

void MeetingWindow::undoDelete() {
    if (m_deleted.empty()) return;
    try {
        StoredRun back;
        {
            SetupLibrary library(m_path);
            back = restoreRun(library, m_deleted.back());
        }
        m_deleted.pop_back();
        reload();
        shared(back, QString("Brought back %1 (run %2).").arg(fromStd(back.name)).arg(back.seq));
    } catch (const std::exception& e) {
        MessageBox::failure(this, "Undo Delete", e);
    }
}

void MeetingWindow::writePdf(const QString& nativePath) {
    // Which change paid off at the track, the racer's own runs and the team's; the page goes without it when
    // the library cannot be read now.
    std::vector<PaidOffRow> paid;
    try {
        SetupLibrary library(m_path, {.readOnly = true});
        paid = paidOff(trackRuns(library, m_values[std::size_t(SetupField::TrackCity)],
                                 m_values[std::size_t(SetupField::DriverName)]));
    } catch (const std::exception&) {
    }
    report::writeReport(meetingPdf(fromStd(meetingText(m_values)), m_runs, paid), nativePath.toStdString(),
                        "MeetingWindow", "Cannot write the meeting's page");
}

QString meetingPdfName(const Setup& values) {
    std::string name = "Meeting " + meetingText(values);
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) c = '-';
    }
    // A file name holds 255 bytes, and the save writes a temporary name a little longer beside it.
    return fromStd(platform::text::cutToBytes(name, 255 - 16 - 4)) + ".pdf";
}

void MeetingWindow::savePdf() {
    // The data folder holds the library; the racer's own last choice wins over it.
    QString folder = lastPdfFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QFileInfo(fromStd(m_path)).absolutePath();
    const QString saved = saveChosenPdf(this, m_dialogs, m_status, folder + "/" + meetingPdfName(m_values),
                                        [this](const QString& file) { writePdf(file); });
    if (!saved.isEmpty()) lastPdfFolder() = QFileInfo(saved).absolutePath();
}

}  // namespace vantrel::runs
