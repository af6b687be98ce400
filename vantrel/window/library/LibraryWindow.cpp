#include "LibraryWindow.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QItemSelection>
#include <QScrollBar>
#include <QTimer>
#include <QPointer>
#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include "CAppSettings.h"
#include "RebuildSheet.h"
#include "CompareWindow.h"
#include "ImportReaders.h"
#include "ImportTask.h"
#include "LibraryModel.h"
#include "library/LibraryPages.h"
#include "TrackHistoryWindow.h"
#include "MessageBox.h"
#include "WindowGeometry.h"
#include "library/SetupCsv.h"
#include "pdfauto/Viewer.h"
#include "runs/RunLog.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "Utf8Text.h"

namespace vantrel::library {

namespace {

// Shows a sheet in the desktop's PDF viewer, through the one launcher a run
// uses too. Its path came from a run, a team sheet or an imported CSV: only a
// PDF file named by its full path is shown. When none takes it, the racer
// learns why and where the sheet is.
void showInViewer(QWidget* parent, const QString& path) {
    const std::string native = path.toStdString();
    if (const std::string refused = pdfauto::pdfRefusal(native); !refused.empty()) {
        MessageBox::warning(parent, "Vantrel Library",
                            fromStd(platform::fileFailure("Vantrel does not show the sheet", native, refused)));
        return;
    }
    if (const std::string why = pdfauto::launchViewer(native); !why.empty())
        MessageBox::warning(parent, "Vantrel Library",
                            fromStd(platform::fileFailure("No viewer could open", native, why)) + "; open it by hand");
}

// A list of names for a report, cut short after a screenful.
QString nameList(const QStringList& names) {
    constexpr int kShown = 40;
    QStringList shown = names.mid(0, kShown);
    if (names.size() > kShown) shown << QString("… and %1 more").arg(names.size() - kShown);
    return shown.join('\n');
}

}  // namespace

LibraryWindow::LibraryWindow(const std::string& nativePath, SetupTypeFolders setupTypes, Dialogs dialogs,
                             MainWindowLink* mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_path(nativePath),
      m_setupTypes(std::move(setupTypes)),
      m_dialogs(std::move(dialogs)),
      m_link(mainWindow),
      m_mainWindow(mainWindow ? mainWindow->linkedWindow() : nullptr) {
    if (m_mainWindow) m_mainWindow->installEventFilter(this);
    setObjectName("frmLibrary");
    setWindowTitle("Vantrel Library");
    if (m_mainWindow) setFont(m_mainWindow->font());

    m_search = new QLineEdit(this);
    m_search->setObjectName("txtSearch");
    m_search->setPlaceholderText("Search every field: driver, track, tyres, notes…");
    m_search->setClearButtonEnabled(true);
    connect(m_search, &QLineEdit::textChanged, this, &LibraryWindow::searchChanged);
    // A keystroke only restarts the pause; the search runs once the typing rests.
    m_searchTimer = new QTimer(this);
    m_searchTimer->setSingleShot(true);
    m_searchTimer->setInterval(120);
    connect(m_searchTimer, &QTimer::timeout, this, &LibraryWindow::runSearch);
    auto* lblSearch = new QLabel("Search:", this);
    lblSearch->setBuddy(m_search);
    m_count = new ElidedLabel(this);
    m_count->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    m_count->setObjectName("lblCount");

    m_model = new LibraryModel(this);
    m_filter = new LibraryFilter(this);
    m_filter->setSourceModel(m_model);
    m_table = new QTableView(this);
    m_table->setObjectName("tblSetups");
    m_table->setModel(m_filter);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(LibraryModel::Created, Qt::DescendingOrder);
    connect(m_table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &LibraryWindow::sortChanged);
    const int widths[LibraryModel::ColumnCount] = {15, 15, 25, 24, 11, 10, 8, 10, 10, 14};
    const int em = m_table->fontMetrics().horizontalAdvance('n');
    for (int c = 0; c < LibraryModel::ColumnCount; ++c) m_table->setColumnWidth(c, widths[c] * em);
    // The date and time whole, with room for the sort mark.
    const QFontMetrics header(m_table->horizontalHeader()->font());
    m_table->setColumnWidth(LibraryModel::Created,
                            std::max(m_table->fontMetrics().horizontalAdvance("2026-12-08 05:03"),
                                     header.horizontalAdvance("Date and Time")) +
                                3 * em + 12);
    connect(m_table, &QTableView::doubleClicked, this, &LibraryWindow::openSheet);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &LibraryWindow::chosenChanged);

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        return b;
    };
    m_open = button("cmdOpenSheet", "Open Sheet");
    m_load = button("cmdLoad", "Load into Window");
    m_compare = button("cmdCompare", "Compare");
    m_delete = button("cmdDelete", "Delete…");
    auto* cmdHistory = button("cmdTrackHistory", "Track History…");
    connect(cmdHistory, &QPushButton::clicked, this, &LibraryWindow::openTrackHistory);
    cmdHistory->setToolTip("Track History (Ctrl+H)");
    auto* history = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(history, &QShortcut::activated, this, &LibraryWindow::openTrackHistory);
    auto* cmdImport = button("cmdImport", "Import…");
    auto* cmdExport = button("cmdExportCsv", "Export CSV…");
    auto* cmdClose = button("cmdClose", "Close");
    connect(m_open, &QPushButton::clicked, this, &LibraryWindow::openSheet);
    connect(m_load, &QPushButton::clicked, this, &LibraryWindow::loadChosen);
    connect(m_compare, &QPushButton::clicked, this, &LibraryWindow::compareChosen);
    connect(m_delete, &QPushButton::clicked, this, &LibraryWindow::deleteChosen);
    connect(cmdExport, &QPushButton::clicked, this, &LibraryWindow::exportCsvFile);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    auto* importMenu = new QMenu(cmdImport);
    importMenu->addAction("Files…", this,
                          [this] { importPaths(m_dialogs.chooseFiles(this, FileChoice::ImportFiles, {})); });
    importMenu->addAction("Folder…", this,
                          [this] { importPaths(m_dialogs.chooseFiles(this, FileChoice::ImportFolder, {})); });
    cmdImport->setMenu(importMenu);
    auto* del = new QShortcut(QKeySequence::Delete, m_table);
    del->setContext(Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, &LibraryWindow::deleteChosen);

    auto* top = new QHBoxLayout;
    top->addWidget(lblSearch);
    top->addWidget(m_search, 1);
    // Whose setups: the racer's own, the team's through the team folder, or all.
    auto* cmbFrom = new QComboBox(this);
    cmbFrom->setObjectName("cmbFrom");
    cmbFrom->addItems({"Mine and the team's", "Mine", "The team's"});
    connect(cmbFrom, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_origin = index;
        runSearch();
    });
    top->addWidget(cmbFrom);
    top->addWidget(m_count);
    auto* actions = new QHBoxLayout;
    for (QPushButton* b : {m_open, m_load, m_compare, m_delete, cmdHistory}) actions->addWidget(b);
    actions->addStretch(1);
    actions->addWidget(cmdImport);
    actions->addWidget(cmdExport);
    actions->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addLayout(actions);
    // Wide enough at its first opening for every column, as far as the
    // screen it opens on allows (remember fits it there).
    int columns = 2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width() + em;
    for (int c = 0; c < LibraryModel::ColumnCount; ++c) columns += m_table->columnWidth(c);
    const QMargins margins = layout->contentsMargins();
    resize(std::max(columns + margins.left() + margins.right(), layout->sizeHint().width()),
           40 * m_table->verticalHeader()->defaultSectionSize());
    windowgeometry::remember(this);
    // Setups that other programs record (vantrel-batch, a team sync, a second
    // window) show up while the window is open; a look costs no file read.
    auto* watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this] {
        if (isVisible()) reloadIfChangedElsewhere();
    });
    watch->start(1000);

    try {
        m_library = std::make_unique<SetupLibrary>(m_path);
    } catch (const platform::Error& error) {
        m_count->setText("The library cannot be opened");
        for (QWidget* w : std::initializer_list<QWidget*>{m_search, cmdImport, cmdExport}) w->setEnabled(false);
        MessageBox::failure(this, "Vantrel Library", error);
    }
    reload();
}

LibraryWindow::~LibraryWindow() {
    // A count beside the window ends within a scan of the library.
    if (m_counting.joinable()) m_counting.join();
}

void LibraryWindow::addReader(std::shared_ptr<const SetupFileReader> reader) {
    if (reader) m_readers.push_back(std::move(reader));
}

bool LibraryWindow::stopImportBeforeClosing() {
    if (!m_import) return true;
    if (MessageBox::question(this, "Vantrel Library",
                             "An import of setups is running. Cancel it and close?\n"
                             "The setups it has added so far are kept.",
                             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        m_import->cancel();
        m_closeAfterImport = true;
    }
    return false;  // closed once the import has stopped
}

bool LibraryWindow::eventFilter(QObject* watched, QEvent* event) {
    // The main window's close takes this window with it: not while an import runs.
    if (watched == m_mainWindow && event->type() == QEvent::Close && m_import) {
        if (!stopImportBeforeClosing()) {
            m_closeMainAfterImport = m_closeAfterImport;
            event->ignore();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool LibraryWindow::event(QEvent* event) {
    if (event->type() == QEvent::Close && m_import && !stopImportBeforeClosing()) {
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::WindowActivate) reloadIfChangedElsewhere();
    return QWidget::event(event);
}

void LibraryWindow::setReaders(std::vector<std::shared_ptr<const SetupFileReader>> readers) {
    m_readers = std::move(readers);
    m_readersSet = true;
}

bool LibraryWindow::failed(const std::function<void()>& action) {
    try {
        action();
        return false;
    } catch (const std::exception& error) {
        MessageBox::failure(this, "Vantrel Library", error);
    }
    return true;
}

void LibraryWindow::reloadIfChangedElsewhere() {
    if (!m_library || m_import) return;
    std::int64_t version = m_seenVersion;
    try {
        version = m_library->dataVersion();
    } catch (const platform::Error&) {
        return;  // told when the racer next acts
    }
    if (version != m_seenVersion) reload();
}

void LibraryWindow::reload() {
    // The chosen setups stay chosen, and the view where it was, across a reload.
    const std::vector<std::int64_t> chosen = chosenIds();
    const int scrolled = m_table->verticalScrollBar()->value();
    if (m_library && !failed([&] {
            m_seenVersion = m_library->dataVersion();
            m_model->reload(*m_library);
            if (m_filter->sortColumn() != LibraryModel::Created || m_filter->sortOrder() != Qt::DescendingOrder)
                m_model->fetchAll();
        }))
        countBeside();
    if (chosen.empty()) return chosenChanged();
    QItemSelection keep;
    for (int row = 0; row < m_filter->rowCount(); ++row) {
        const QModelIndex index = m_filter->index(row, 0);
        if (std::find(chosen.begin(), chosen.end(), index.data(LibraryModel::IdRole).toLongLong()) != chosen.end())
            keep.select(index, m_filter->index(row, m_filter->columnCount() - 1));
    }
    m_table->selectionModel()->select(keep, QItemSelectionModel::ClearAndSelect);
    m_table->verticalScrollBar()->setValue(scrolled);
    chosenChanged();
}

void LibraryWindow::searchChanged(const QString& text) {
    // Emptied: every setup at once, as cheap as the first page.
    if (text.trimmed().isEmpty()) runSearch();
    else m_searchTimer->start();
}

void LibraryWindow::runSearch() {
    m_searchTimer->stop();
    if (!m_library) {
        chosenChanged();
        return;
    }
    const PageQuery query{m_search->text().toStdString(), PageQuery::Origin(m_origin)};
    if (failed([&] {
            m_model->setQuery(*m_library, query);
            if (m_filter->sortColumn() != LibraryModel::Created || m_filter->sortOrder() != Qt::DescendingOrder)
                m_model->fetchAll();
        }))
        return;
    countBeside();
    chosenChanged();
}

void LibraryWindow::sortChanged(int column, Qt::SortOrder order) {
    if (column == LibraryModel::Created && order == Qt::DescendingOrder) return;
    failed([&] { m_model->fetchAll(); });
}

void LibraryWindow::countBeside() {
    const PageQuery query = m_model->query();
    if (!m_model->canFetchMore({}) && query == PageQuery{}) {
        m_countPending = false;
        m_count->setText(QString("%1 setups").arg(m_model->rowCount()));
        return;
    }
    m_count->setText(m_model->canFetchMore({}) ? QString("Counting the setups…")
                                               : QString("%1 setups found, counting all…").arg(m_model->rowCount()));
    if (m_countRunning) {
        m_countPending = true;
        return;
    }
    if (m_counting.joinable()) m_counting.join();  // it has answered: it ends at once
    m_countRunning = true;
    m_countPending = false;
    QPointer<LibraryWindow> window(this);
    m_counting = std::thread([window, query, path = m_path] {
        QString text;
        try {
            SetupLibrary library(path, {.readOnly = true, .cacheKiB = 1024});
            LibraryPages pages(library);
            const std::size_t shown = pages.count(query), all = query == PageQuery{} ? shown : pages.count({});
            text = shown == all ? QString("%1 setups").arg(all) : QString("%1 of %2 setups").arg(shown).arg(all);
        } catch (const std::exception&) {
            text = "The setups could not be counted";
        }
        QMetaObject::invokeMethod(
            qApp,
            [window, query, text] {
                if (!window) return;
                window->m_countRunning = false;
                // The search changed while counting: count the one shown now.
                if (window->m_countPending || !(query == window->m_model->query())) window->countBeside();
                else window->m_count->setText(text);
            },
            Qt::QueuedConnection);
    });
}

void LibraryWindow::chosenChanged() {
    const std::size_t chosen = chosenIds().size();
    m_open->setEnabled(chosen == 1);
    m_load->setEnabled(chosen == 1);
    m_delete->setEnabled(chosen >= 1);
    m_compare->setEnabled(chosen >= 2 && chosen <= 4);
}

std::vector<std::int64_t> LibraryWindow::chosenIds() const {
    std::vector<std::int64_t> ids;
    QModelIndexList rows = m_table->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows) ids.push_back(index.data(LibraryModel::IdRole).toLongLong());
    return ids;
}

void LibraryWindow::openSheet() {
    const auto ids = chosenIds();
    if (ids.size() != 1 || !m_library) return;
    std::optional<StoredSetup> setup;
    if (failed([&] { setup = m_library->setup(ids.front()); }) || !setup) return;
    const QString sheet = fromStd(setup->sheet);
    // A relative name would be looked for wherever the window was started.
    if (!sheet.isEmpty() && (QDir::isRelativePath(sheet) || QFileInfo(sheet).isSymLink() || QFileInfo::exists(sheet))) {
        showInViewer(this, sheet);
        return;
    }
    const QString what = sheet.isEmpty()
                             ? QString("This setup came from a raw data file and has no sheet.")
                             : QString("The sheet %1 is no longer there.").arg(QDir::toNativeSeparators(sheet));
    if (MessageBox::question(this, "Vantrel Library", what + "\n\nBuild the sheet anew from the stored setup?") !=
        QMessageBox::Yes)
        return;
    rebuildSheet(*setup);
}

void LibraryWindow::rebuildSheet(const StoredSetup& setup) {
    const QString suggestion = setup.sheet.empty() ? QDir::homePath() : QFileInfo(fromStd(setup.sheet)).path();
    const QStringList folders = m_dialogs.chooseFiles(this, FileChoice::RebuildFolder, suggestion);
    if (folders.isEmpty()) return;
    try {
        vantrel::rebuildSheet(setup, QDir::toNativeSeparators(folders.front()).toStdString(), pdfauto::hasDisplay());
    } catch (const platform::Error& error) {
        // As the run's own box: the source names the failed operations.
        MessageBox::critical(this, "Vantrel", fromStd(platform::runErrorLine(error)));
        return;
    } catch (const std::exception& error) {
        MessageBox::critical(this, "Vantrel", fromStd(platform::errorLine(error)));
        return;
    }
    // The run driver shows the new sheet in the viewer, as after a run.
    reload();
}

void LibraryWindow::loadChosen() {
    const auto ids = chosenIds();
    if (ids.size() != 1 || !m_library) return;
    std::optional<StoredSetup> setup;
    if (failed([&] { setup = m_library->setup(ids.front()); }) || !setup) return;
    emit loadRequested(setup->values, fromStd(setup->setupType));
}

void LibraryWindow::deleteChosen() {
    const auto ids = chosenIds();
    if (ids.empty() || !m_library) return;
    const QString what =
        ids.size() == 1 ? QString("the chosen setup") : QString("the %1 chosen setups").arg(ids.size());
    if (MessageBox::question(this, "Vantrel Library",
                             "Delete " + what + " from the library?\n\nSheet files stay where they are.") !=
        QMessageBox::Yes)
        return;
    failed([&] { m_library->remove(ids); });
    reload();
}

void LibraryWindow::compareChosen() {
    const auto ids = chosenIds();
    if (!m_library) return;
    if (ids.size() < 2 || ids.size() > 4) {
        MessageBox::information(this, "Vantrel Library", "Choose two to four setups to compare.");
        return;
    }
    std::vector<StoredSetup> setups;
    if (failed([&] {
            for (std::int64_t id : ids)
                if (auto s = m_library->setup(id)) setups.push_back(std::move(*s));
        }))
        return;
    if (setups.size() < 2) return;
    // Oldest on the left: a season read from left to right.
    std::stable_sort(setups.begin(), setups.end(), [](const StoredSetup& a, const StoredSetup& b) {
        const auto x = parseTimestamp(a.created).value_or(0), y = parseTimestamp(b.created).value_or(0);
        return x != y ? x < y : a.id < b.id;
    });
    auto* compare = new CompareWindow(std::move(setups), m_dialogs, m_mainWindow, this);
    compare->setAttribute(Qt::WA_DeleteOnClose);
    compare->show();
}

QString LibraryWindow::setupTypeForRawData() const {
    if (m_link)
        if (const QString chosen = m_link->chosenSetupType(); !chosen.isEmpty()) return chosen;
    return "RDX";
}

void LibraryWindow::importPaths(const QStringList& paths) {
    if (paths.isEmpty() || !m_library || m_import) return;
    std::vector<std::shared_ptr<const SetupFileReader>> readers = m_readers;
    // The one registry of setup readers, with the setup type chosen in the main window as the import starts.
    if (!m_readersSet)
        readers.push_back(setupFileReader(m_setupTypes, [type = setupTypeForRawData().toStdString()] { return type; }));
    std::vector<std::string> pathList;
    for (const QString& p : paths) pathList.push_back(QDir::toNativeSeparators(p).toStdString());

    // The window's own controls rest while the import runs (the progress's Cancel does not).
    QList<QWidget*> busy{m_table, m_search};
    for (QPushButton* b : findChildren<QPushButton*>())
        if (b->isEnabled()) busy << b;
    for (QWidget* w : busy) w->setEnabled(false);
    // Not modal: the racer may close the window (or the main window) meanwhile and is asked then.
    QProgressDialog progress("Importing setups…", "Cancel", 0, 1, this);
    progress.setObjectName("dlgImportProgress");
    progress.setWindowTitle("Vantrel Library");
    progress.setWindowModality(Qt::NonModal);
    progress.setMinimumDuration(400);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    windowgeometry::fitOnShow(&progress);

    // Whose a sheet's setup and runs are is decided against the racer's name, as --import decides it.
    ImportTask task(m_path, std::move(pathList), std::move(readers),
                    m_link ? m_link->installation().rawDataPath() : std::string());
    m_import = &task;
    QEventLoop loop;
    connect(&task, &ImportTask::progress, &progress, [&](int done, int total, const QString& file) {
        progress.setMaximum(std::max(total, 1));
        progress.setValue(done);
        if (!file.isEmpty()) progress.setLabelText("Importing " + QFileInfo(file).fileName());
    });
    connect(&progress, &QProgressDialog::canceled, &task, &ImportTask::cancel);
    connect(&task, &ImportTask::finished, &loop, &QEventLoop::quit);
    task.start();
    loop.exec();
    m_import = nullptr;
    progress.close();
    for (QWidget* w : busy) w->setEnabled(true);
    reload();
    chosenChanged();
    if (m_closeAfterImport) {
        // The racer asked to close while the import ran; it stopped, and what it added is kept.
        m_closeAfterImport = false;
        QWidget* toClose = m_closeMainAfterImport ? m_mainWindow : this;
        m_closeMainAfterImport = false;
        QMetaObject::invokeMethod(toClose, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    if (!task.error().isEmpty()) {
        MessageBox::critical(this, "Vantrel Library", task.error());
        return;
    }
    const ImportReport& report = task.report();

    QStringList lines;
    if (report.cancelled) lines << "The import was cancelled; what it had done is kept." << QString();
    lines << QString("Added: %1").arg(report.added.size())
          << QString("Already there: %1").arg(report.alreadyThere.size());
    if (!report.updated.empty()) lines << QString("Updated from the sheet's edits: %1").arg(report.updated.size());
    if (!report.notSetups.empty()) {
        QStringList names;
        for (const ImportProblem& p : report.notSetups) names << QDir::toNativeSeparators(fromStd(p.file));
        lines << QString() << QString("Not setups (%1):").arg(names.size()) << nameList(names);
    }
    if (!report.unreadable.empty()) {
        QStringList names;
        for (const ImportProblem& p : report.unreadable)
            names << QDir::toNativeSeparators(fromStd(p.file)) + ": " + fromStd(p.reason);
        lines << QString() << QString("Could not be read (%1):").arg(names.size()) << nameList(names);
    }
    if (!report.libraryError.empty()) {
        lines << QString()
              << "The library could not be written, so the import stopped:" << fromStd(report.libraryError);
        MessageBox::warning(this, "Vantrel Library", lines.join('\n'));
        return;
    }
    MessageBox::information(this, "Vantrel Library", lines.join('\n'));
}

void LibraryWindow::exportCsvFile() {
    if (!m_library) return;
    const QString suggestion = QFileInfo(fromStd(m_path)).path() + "/Library.csv";
    const QStringList files = m_dialogs.chooseFiles(this, FileChoice::ExportCsv, suggestion);
    if (files.isEmpty()) return;
    const std::string file = QDir::toNativeSeparators(files.front()).toStdString();
    if (failed([&] { runs::exportLibraryCsv(*m_library, file); })) return;
    MessageBox::information(this, "Vantrel Library",
                            QString("%1 setups exported to\n%2").arg(m_library->count()).arg(fromStd(file)));
}

void LibraryWindow::openTrackHistory() {
    const QModelIndexList chosen = m_table->selectionModel()->selectedRows(LibraryModel::Track);
    auto* window = new TrackHistoryWindow(m_path, chosen.isEmpty() ? QString() : chosen.front().data().toString(),
                                          m_dialogs, m_link, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &TrackHistoryWindow::loadRequested, this, &LibraryWindow::loadRequested);
    window->show();
}

}  // namespace vantrel::library
