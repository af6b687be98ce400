#include "TrackHistoryWindow.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSplitter>
#include <QTimer>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "MeetingWindow.h"
#include "PaidOffPanel.h"
#include "ComparisonReport.h"
#include "TrackHistoryReport.h"
#include "LibraryWindow.h"
#include "MessageBox.h"
#include "Dialogs.h"
#include "platform/Error.h"
#include "Utf8Text.h"
#include "WindowGeometry.h"

namespace vantrel::library {

namespace {

const std::string& value(const HistoryEntry& e, SetupField f) { return e.setup.values[std::size_t(f)]; }

enum Column { Date, Driver, Event, Qualifying, Finishing, Changes, ColumnCount };

// A chart of the positions with its two series, empty.
QChart* newPositionsChart(QLineSeries*& qualifying, QLineSeries*& finishing) {
    auto* chart = new QChart;
    chart->setTitle("Positions over the meetings (1st at the top)");
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    qualifying = new QLineSeries(chart);
    qualifying->setName("Qualifying");
    finishing = new QLineSeries(chart);
    finishing->setName("Finishing");
    for (QLineSeries* s : {qualifying, finishing}) {
        s->setPointsVisible(true);
        s->setMarkerSize(9);
        s->setSelectedColor(QColor(0xd0, 0x40, 0x00));
        chart->addSeries(s);
    }
    QPen pen = finishing->pen();
    pen.setWidthF(2.5);
    finishing->setPen(pen);
    return chart;
}

}  // namespace

int positionNumber(const std::string& text) {
    int n = 0;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && n < 100000; ++i) n = n * 10 + (text[i] - '0');
    return n;
}

TrackHistoryWindow::TrackHistoryWindow(const std::string& nativePath, const QString& track, Dialogs dialogs,
                                       const MainWindowLink* mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dialogs(std::move(dialogs)), m_mainWindow(mainWindow) {
    setObjectName("frmTrackHistory");
    setWindowTitle("Track History");
    if (mainWindow) setFont(mainWindow->linkedWindow()->font());

    m_track = new QComboBox(this);
    m_track->setObjectName("cmbTrack");
    m_track->setMinimumContentsLength(24);
    m_driver = new QComboBox(this);
    m_driver->setObjectName("cmbDriver");
    m_driver->setMinimumContentsLength(18);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName("tblHistory");
    m_table->setHorizontalHeaderLabels({"Event Date", "Driver", "Event", "Qualifying", "Finishing", "What Changed"});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    // What changed wraps; each row is as tall as its text.
    m_table->setWordWrap(true);
    m_table->setTextElideMode(Qt::ElideNone);
    connect(m_table->horizontalHeader(), &QHeaderView::sectionResized, m_table,
            [this] { m_table->resizeRowsToContents(); });
    const int em = fontMetrics().horizontalAdvance('n');
    for (auto [c, w] : {std::pair{Date, 11}, {Driver, 14}, {Event, 22}, {Qualifying, 10}, {Finishing, 10}})
        m_table->setColumnWidth(c, w * em);

    QChart* chart = newPositionsChart(m_qualifying, m_finishing);
    for (QLineSeries* series : {m_qualifying, m_finishing})
        connect(series, &QXYSeries::clicked, this, [this](const QPointF& p) { chooseMeeting(qRound(p.x())); });
    m_chartView = new QChartView(chart, this);
    m_chartView->setObjectName("chartPositions");
    m_chartView->setRenderHint(QPainter::Antialiasing);
    // A chart redrawn whole: a new track leaves nothing of the last one behind.
    m_chartView->setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    m_chartView->setMinimumHeight(16 * fontMetrics().height());

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_table);
    split->addWidget(m_chartView);
    m_paidOff = new runs::PaidOffPanel(this);
    split->addWidget(m_paidOff);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        return b;
    };
    auto* cmdLoad = button("cmdLoad", "Load into Window");
    auto* cmdPdf = button("cmdSavePdf", "Save as PDF…");
    auto* cmdClose = button("cmdClose", "Close");
    connect(cmdLoad, &QPushButton::clicked, this, [this] {
        const int i = chosenMeeting();
        if (i < 0) return;
        const auto& setup = m_history[std::size_t(i)].setup;
        emit loadRequested(setup.values, fromStd(setup.setupType));
    });
    connect(cmdPdf, &QPushButton::clicked, this, &TrackHistoryWindow::savePdf);
    auto* cmdRuns = button("cmdMeetingRuns", "Meeting Runs…");
    connect(cmdRuns, &QPushButton::clicked, this, [this, nativePath] {
        const int i = chosenMeeting() >= 0 ? chosenMeeting() : int(m_history.size()) - 1;
        if (i < 0) return;
        auto* window = new runs::MeetingWindow(nativePath, m_history[std::size_t(i)].setup.values, m_dialogs, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    });
    connect(m_paidOff, &runs::PaidOffPanel::meetingRequested, this, [this, nativePath](const Setup& values) {
        auto* window = new runs::MeetingWindow(nativePath, values, m_dialogs, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    m_status = new ElidedLabel(this);
    m_status->setObjectName("lblStatus");

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Track / City:", this));
    top->addWidget(m_track);
    top->addSpacing(em);
    top->addWidget(new QLabel("Driver:", this));
    top->addWidget(m_driver);
    top->addStretch(1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(m_status, 1);
    for (QPushButton* b : {cmdRuns, cmdLoad, cmdPdf, cmdClose}) actions->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addLayout(actions);
    resize(110 * em, 44 * fontMetrics().height());
    // Its frame on the screen, where the racer left it last.
    windowgeometry::remember(this);

    try {
        m_library = std::make_unique<SetupLibrary>(nativePath);
        for (const std::string& t : knownTracks(*m_library)) m_track->addItem(fromStd(t));
    } catch (const platform::Error& error) {
        m_status->setText(failureText(error));
    }
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &TrackHistoryWindow::chosenChanged);
    connect(m_track, &QComboBox::currentTextChanged, this, &TrackHistoryWindow::showTrack);
    connect(m_driver, &QComboBox::currentIndexChanged, this, [this] { reload(); });
    showTrack(track.isEmpty() ? m_track->currentText() : track);
}

TrackHistoryWindow::~TrackHistoryWindow() = default;

void TrackHistoryWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // After the table has taken its new width.
    QTimer::singleShot(0, m_table, [table = m_table] { table->resizeRowsToContents(); });
}

void TrackHistoryWindow::showTrack(const QString& track) {
    const std::string key = matchKey(track.toStdString());
    for (int i = 0; i < m_track->count(); ++i)
        if (matchKey(m_track->itemText(i).toStdString()) == key && m_track->currentIndex() != i) {
            const QSignalBlocker quiet(m_track);
            m_track->setCurrentIndex(i);
        }
    // The drivers who raced there; the main window's driver first shown when among them.
    const QSignalBlocker quiet(m_driver);
    m_driver->clear();
    m_driver->addItem("All drivers", QString());
    std::set<std::string> seen;
    m_allHistory.clear();
    if (m_library) {
        try {
            m_allHistory = trackHistory(*m_library, track.toStdString());
            for (const HistoryEntry& e : m_allHistory)
                if (seen.insert(matchKey(value(e, SetupField::DriverName))).second)
                    m_driver->addItem(fromStd(value(e, SetupField::DriverName)),
                                      fromStd(value(e, SetupField::DriverName)));
        } catch (const platform::Error& error) {
            m_status->setText(failureText(error));
        }
    }
    const QString ownDriver = m_mainWindow ? m_mainWindow->typedMeeting().driver : QString();
    for (int i = 1; i < m_driver->count(); ++i)
        if (matchKey(m_driver->itemText(i).toStdString()) == matchKey(ownDriver.toStdString()))
            m_driver->setCurrentIndex(i);
    reload();
}

void TrackHistoryWindow::showDriver(const QString& driver) {
    for (int i = 0; i < m_driver->count(); ++i)
        if (matchKey(m_driver->itemData(i).toString().toStdString()) == matchKey(driver.toStdString()))
            m_driver->setCurrentIndex(i);
}

void TrackHistoryWindow::reload() {
    // One driver's meetings are those of all with that driver: the changes
    // are from the same driver's setup before either way.
    m_history.clear();
    const std::string driver = matchKey(m_driver->currentData().toString().toStdString());
    for (const HistoryEntry& e : m_allHistory)
        if (driver.empty() || matchKey(value(e, SetupField::DriverName)) == driver) m_history.push_back(e);
    const QSignalBlocker quiet(m_table);
    m_table->clearContents();
    m_table->setRowCount(int(m_history.size()));
    for (int r = 0; r < int(m_history.size()); ++r) {
        const HistoryEntry& e = m_history[std::size_t(r)];
        const QString cells[ColumnCount] = {fromStd(e.eventDate),
                                            fromStd(value(e, SetupField::DriverName)),
                                            fromStd(value(e, SetupField::EventName)),
                                            fromStd(value(e, SetupField::ResultsQualifyingPos)),
                                            fromStd(value(e, SetupField::ResultsFinishPos)),
                                            historyChangesText(e, "; ")};
        for (int c = 0; c < ColumnCount; ++c) m_table->setItem(r, c, new QTableWidgetItem(cells[c]));
        m_table->item(r, Changes)->setToolTip(historyChangesText(e, "\n"));
    }
    m_table->resizeRowsToContents();
    m_status->setText(QString("%1 meetings at %2").arg(m_history.size()).arg(m_track->currentText()));
    fillChart();
    if (m_library) m_paidOff->show(*m_library, m_track->currentText().toStdString(), driver);
}

void TrackHistoryWindow::fillChart() { fillChart(m_chartView->chart(), m_qualifying, m_finishing); }

void TrackHistoryWindow::fillChart(QChart* chart, QLineSeries* qualifying, QLineSeries* finishing) const {
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    qualifying->clear();
    finishing->clear();
    int worst = 1;
    // The points in one go: a point at a time redraws the series each time.
    QList<QPointF> qualifyingPoints, finishingPoints;
    for (int i = 0; i < int(m_history.size()); ++i) {
        const HistoryEntry& e = m_history[std::size_t(i)];
        if (const int q = positionNumber(value(e, SetupField::ResultsQualifyingPos)))
            qualifyingPoints.append({double(i), double(q)});
        if (const int f = positionNumber(value(e, SetupField::ResultsFinishPos)))
            finishingPoints.append({double(i), double(f)});
        worst = std::max({worst, positionNumber(value(e, SetupField::ResultsQualifyingPos)),
                          positionNumber(value(e, SetupField::ResultsFinishPos))});
    }
    auto* meetings = new QCategoryAxis;
    meetings->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    meetings->setRange(-0.5, std::max(0.5, double(m_history.size()) - 0.5));
    // Every meeting's date where they fit, else every n-th.
    const int step = std::max(1, int(m_history.size() + 11) / 12);
    for (int i = 0; i < int(m_history.size()); i += step)
        meetings->append(fromStd(m_history[std::size_t(i)].eventDate) + QString(i ? "" : " "), i);
    auto* positions = new QValueAxis;
    positions->setReverse(true);
    positions->setRange(0.5, worst + 0.5);
    positions->setLabelFormat("%d");
    positions->setTickType(QValueAxis::TicksDynamic);
    positions->setTickAnchor(1);
    positions->setTickInterval(std::max(1, (worst + 9) / 10));
    positions->setTitleText("Position");
    chart->addAxis(meetings, Qt::AlignBottom);
    chart->addAxis(positions, Qt::AlignLeft);
    for (QLineSeries* s : {qualifying, finishing}) {
        s->attachAxis(meetings);
        s->attachAxis(positions);
    }
    // The points once the axes stand, so none is placed by the last track's ranges.
    qualifying->replace(qualifyingPoints);
    finishing->replace(finishingPoints);
    chart->update();
}

QList<QPointF> TrackHistoryWindow::points(bool finishing) const {
    return (finishing ? m_finishing : m_qualifying)->points();
}

void TrackHistoryWindow::chooseMeeting(int index) {
    if (index < 0 || index >= m_table->rowCount()) return;
    m_table->selectRow(index);
    m_table->scrollToItem(m_table->item(index, 0));
}

int TrackHistoryWindow::chosenMeeting() const {
    const auto rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void TrackHistoryWindow::chosenChanged() {
    const int chosen = chosenMeeting();
    for (QLineSeries* s : {m_qualifying, m_finishing}) {
        s->deselectAllPoints();
        const QList<QPointF> pts = s->points();
        for (int i = 0; i < pts.size(); ++i)
            if (qRound(pts[i].x()) == chosen) s->selectPoint(i);
    }
}

void TrackHistoryWindow::savePdf() {
    const QString name = "Track History " + m_track->currentText() + ".pdf";
    QString suggestion = QDir::homePath() + "/" + name;
    if (!m_history.empty() && !m_history.back().setup.sheet.empty())
        suggestion = QFileInfo(fromStd(m_history.back().setup.sheet)).path() + "/" + name;
    saveChosenPdf(this, m_dialogs, m_status, suggestion, [this](const QString& file) { writePdf(file); });
}

void TrackHistoryWindow::writePdf(const QString& nativePath) {
    std::vector<StoredSetup> setups;
    for (const QModelIndex& row : m_table->selectionModel()->selectedRows())
        setups.push_back(m_history[std::size_t(row.row())].setup);
    if (setups.size() < 2 || setups.size() > 4) {
        setups.clear();
        const std::size_t from = m_history.size() > 4 ? m_history.size() - 4 : 0;
        for (std::size_t i = from; i < m_history.size(); ++i) setups.push_back(m_history[i].setup);
    }
    Comparison(std::move(setups)).writePdf(nativePath, false, [this](QPainter& p, const QRectF& page) {
        paintLeadPage(p, page);
    });
}

void TrackHistoryWindow::paintLeadPage(QPainter& p, const QRectF& page) {
    // The chart drawn anew in the page's shape, twice the size for finer type.
    auto chart = [this](QPainter& painter, const QRectF& rect) {
        QGraphicsScene scene;
        QLineSeries *qualifying = nullptr, *finishing = nullptr;
        QChart* positions = newPositionsChart(qualifying, finishing);
        scene.addItem(positions);
        fillChart(positions, qualifying, finishing);
        positions->resize(rect.size() * 1.6);
        positions->layout()->activate();
        scene.render(&painter, rect, QRectF(QPointF(0, 0), rect.size() * 1.6));
    };
    paintTrackHistoryLead(p, page, {m_track->currentText(), chart, m_paidOff->rows(), m_history});
}

}  // namespace vantrel::library
