#include "LogRunDialog.h"

#include <algorithm>
#include <filesystem>

#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollArea>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "MessageBox.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "runs/RunField.h"
#include "Utf8Text.h"
#include "WindowGeometry.h"

namespace vantrel::runs {

namespace {

const std::string& field(const Setup& v, SetupField f) { return v[std::size_t(f)]; }

QString changesText(const std::vector<StoredRun>& before, const Setup& values) {
    if (before.empty()) return "The meeting's first run.";
    const StoredRun& last = before.back();
    const auto changes = library::changesBetween(last.values, values);
    QString changed = changes.empty() ? QString("Nothing changed since %1.").arg(fromStd(last.name))
                                      : QString("Changed since %1:").arg(fromStd(last.name));
    for (const SetupChange& change : changes) changed += "\n    " + fromStd(library::changeText(change));
    return changed;
}

}  // namespace

QString libraryFailureText(const std::string& libraryPath, const std::exception& failure) {
    std::error_code ec;
    const std::filesystem::path folder = platform::paths::pathOf(libraryPath).parent_path();
    const auto space = std::filesystem::space(folder.empty() ? "." : folder, ec);
    // SQLite says "disk I/O error" when the journal finds no room: the racer is told the reason.
    if (!ec && space.available < 64 * 1024)
        return QString("Cannot write the setup library %1: the disk is full").arg(fromStd(libraryPath));
    return failureText(failure);
}

QString figuresText(const RunFigures& f) {
    if (f.laps == 0) return "No laps";
    return QString("%1 %2 · best %3 · 5 best %4 · median %5 · total %6 · consistency %7 %")
        .arg(f.laps)
        .arg(f.laps == 1 ? "lap" : "laps")
        .arg(fromStd(lapText(f.best)), fromStd(lapText(f.best5)), fromStd(lapText(f.median)), fromStd(lapText(f.total)))
        .arg(f.consistency, 0, 'f', 1);
}

LogRunDialog::LogRunDialog(const std::string& nativePath, const Setup& values, const QString& setupType,
                           Dialogs dialogs, QWidget* parent)
    : QDialog(parent), m_dialogs(std::move(dialogs)), m_path(nativePath), m_values(values), m_setupType(setupType) {
    setObjectName("LogRunDialog");
    setWindowTitle("Log Run");
    // A library that cannot be written now (the disk full, another program
    // holding it) costs no laps: the dialog opens, says so, and Save tries again.
    QString libraryProblem;
    try {
        SetupLibrary library(m_path);
        m_before = meetingRuns(library, m_values);
    } catch (const std::exception& e) {
        libraryProblem = libraryFailureText(m_path, e);
        try {
            SetupLibrary library(m_path, {.readOnly = true});
            m_before = meetingRuns(library, m_values);
        } catch (const std::exception&) {
        }
    }

    auto* lblMeeting = new QLabel(fromStd(meetingText(m_values)), this);
    lblMeeting->setObjectName("lblMeeting");
    QFont bold = lblMeeting->font();
    bold.setBold(true);
    lblMeeting->setFont(bold);

    m_cmbRunName = new QComboBox(this);
    m_cmbRunName->setObjectName("cmbRunName");
    m_cmbRunName->setEditable(true);
    for (const std::string& name : runNames()) m_cmbRunName->addItem(fromStd(name));
    m_cmbRunName->setCurrentText(fromStd(nextRunName(m_before)));
    m_cmbRunName->setMinimumContentsLength(16);

    // What changed since the meeting's run before, in the window's words; a
    // long list scrolls, so the dialog keeps within the screen.
    m_lblChanges = new QLabel(changesText(m_before, m_values), this);
    auto* lblChanges = m_lblChanges;
    lblChanges->setObjectName("lblChanges");
    lblChanges->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblChanges->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* scrollChanges = new QScrollArea(this);
    scrollChanges->setObjectName("scrChanges");
    scrollChanges->setWidget(lblChanges);
    scrollChanges->setWidgetResizable(true);
    scrollChanges->setFrameShape(QFrame::NoFrame);
    // Out of the Tab order: Tab from the run's name goes on to the laps box, as before.
    scrollChanges->setFocusPolicy(Qt::NoFocus);
    scrollChanges->setMaximumHeight(6 * lblChanges->fontMetrics().lineSpacing() + 8);
    scrollChanges->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);

    m_txtLapText = new QPlainTextEdit(this);
    m_txtLapText->setObjectName("txtLapText");
    m_txtLapText->setPlaceholderText(
        "Paste the lap times here: a column of times, or the table a timing printout "
        "or a results page gives when copied");
    m_txtLapText->setTabChangesFocus(true);
    // Return is a new line in the box; Ctrl+Return saves from it as from every field.
    connect(m_txtLapText, &QPlainTextEdit::textChanged, this, &LogRunDialog::readLaps);
    auto* cmdOpenLaps = new QPushButton("Open…", this);
    cmdOpenLaps->setObjectName("cmdOpenLaps");
    cmdOpenLaps->setToolTip("Read the lap times from a CSV or text file");
    connect(cmdOpenLaps, &QPushButton::clicked, this, [this] {
        const QStringList file = m_dialogs.chooseFiles(this, FileChoice::LapTimes, {});
        if (!file.isEmpty()) openLapFile(QDir::toNativeSeparators(file.front()));
    });
    m_cmbLapColumn = new QComboBox(this);
    m_cmbLapColumn->setObjectName("cmbLapColumn");
    m_cmbLapColumn->setPlaceholderText("(choose)");
    m_lblLapColumn = new QLabel("&Driver's column:", this);
    m_lblLapColumn->setBuddy(m_cmbLapColumn);
    connect(m_cmbLapColumn, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_reading) readLaps();
    });
    auto* lapButtons = new QHBoxLayout;
    lapButtons->addWidget(cmdOpenLaps);
    lapButtons->addWidget(m_lblLapColumn);
    lapButtons->addWidget(m_cmbLapColumn, 1);

    m_lstLaps = new QListWidget(this);
    m_lstLaps->setObjectName("lstLaps");
    m_lstLaps->setToolTip("Untick a lap to leave it out (a crash, a marshal)");
    m_lstLaps->setMinimumWidth(m_lstLaps->fontMetrics().horizontalAdvance("Lap 000   0:00.000") + 40);
    connect(m_lstLaps, &QListWidget::itemChanged, this, &LogRunDialog::showFigures);
    m_lblFigures = new QLabel(this);
    m_lblFigures->setObjectName("lblFigures");
    m_lblUnread = new QLabel(this);
    m_lblUnread->setObjectName("lblUnread");
    m_lblUnread->setWordWrap(true);
    m_lblUnread->setStyleSheet("color: #b00020");

    auto* lapsRow = new QHBoxLayout;
    auto* pasteColumn = new QVBoxLayout;
    pasteColumn->addWidget(m_txtLapText, 1);
    pasteColumn->addLayout(lapButtons);
    lapsRow->addLayout(pasteColumn, 3);
    lapsRow->addWidget(m_lstLaps, 1);

    auto line = [this](const char* name, const QString& text = {}) {
        auto* edit = new QLineEdit(text, this);
        edit->setObjectName(name);
        return edit;
    };
    m_txtPosition = line("txtRunPosition");
    m_txtAirTemp = line("txtAirTemp");
    m_txtTrackTemp = line("txtRunTrackTemp", fromStd(field(m_values, SetupField::TrackTemperature)));
    m_txtNote = line("txtRunNote");
    m_txtNote->setPlaceholderText("pushed on entry");
    auto* conditions = new QHBoxLayout;
    for (auto [caption, edit] :
         {std::pair{"&Position:", m_txtPosition}, {"&Air Temp:", m_txtAirTemp}, {"&Track Temp:", m_txtTrackTemp}}) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(edit);
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance("00000000") + 16);
        conditions->addWidget(label);
        conditions->addWidget(edit);
    }
    conditions->addStretch(1);

    auto labelFor = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    auto* form = new QFormLayout;
    form->addRow(labelFor("&Run:", m_cmbRunName), m_cmbRunName);
    form->addRow("", scrollChanges);
    form->addRow(labelFor("&Laps:", m_txtLapText), lapsRow);
    form->addRow("", m_lblFigures);
    form->addRow("", m_lblUnread);
    form->addRow("", conditions);
    form->addRow(labelFor("&Note:", m_txtNote), m_txtNote);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    m_cmdSave = buttons->button(QDialogButtonBox::Save);
    m_cmdSave->setObjectName("cmdSaveRun");
    m_cmdSave->setText("&Save");
    m_cmdSave->setToolTip("Save the run (Ctrl+Return)");
    m_lblLibrary =
        new QLabel(libraryProblem.isEmpty() ? QString()
                                            : libraryProblem +
                                                  ". The run is kept here: Save records it once the library can "
                                                  "be written.",
                   this);
    m_lblLibrary->setObjectName("lblLibrary");
    m_lblLibrary->setWordWrap(true);
    m_lblLibrary->setStyleSheet("color: #b00020");
    m_lblLibrary->setVisible(!libraryProblem.isEmpty());
    m_cmdSave->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &LogRunDialog::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMeeting);
    layout->addLayout(form, 1);
    layout->addWidget(m_lblLibrary);
    layout->addWidget(buttons);
    // Ctrl+Return saves from every field, whatever the field makes of Return.
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
    readLaps();
    // Within the screen with its frame, however long what changed is.
    QSize size(760, 540);
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
        setMaximumSize(screen->availableGeometry().size() - QSize(16, 48));
    }
    resize(size);
    windowgeometry::fitOnShow(this);
}

LogRunDialog::LogRunDialog(const std::string& nativePath, const StoredRun& run, Dialogs dialogs, QWidget* parent)
    : LogRunDialog(nativePath, run.values, fromStd(run.setupType), std::move(dialogs), parent) {
    edit(run);
}

void LogRunDialog::edit(const StoredRun& run) {
    m_editing = run;
    setWindowTitle("Edit Run");
    m_cmbRunName->setCurrentText(fromStd(run.name));
    // What changed before this run, as the meeting shows it.
    std::vector<StoredRun> before;
    for (const StoredRun& other : m_before)
        if (other.seq < run.seq) before.push_back(other);
    m_lblChanges->setText(changesText(before, run.values));
    showRunLaps();
    m_txtLapText->setPlaceholderText("Paste other lap times here to replace the run's; untick a lap to leave it out");
    m_txtPosition->setText(fromStd(run.position));
    m_txtAirTemp->setText(fromStd(run.airTemp));
    m_txtTrackTemp->setText(fromStd(run.trackTemp));
    m_txtNote->setText(fromStd(run.note));
    showFigures();
}

void LogRunDialog::showRunLaps() {
    m_lstLaps->blockSignals(true);
    m_lstLaps->clear();
    for (std::size_t i = 0; i < m_editing->laps.size(); ++i) {
        const Lap& lap = m_editing->laps[i];
        auto* item = new QListWidgetItem(QString("Lap %1   %2").arg(i + 1, 3).arg(fromStd(lapText(lap.ms))), m_lstLaps);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(lap.kept ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::UserRole, QVariant::fromValue<qint64>(lap.ms));
    }
    m_lstLaps->blockSignals(false);
    showFigures();
}

bool LogRunDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & Qt::ControlModifier)) {
            if (m_cmdSave->isEnabled()) save();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void LogRunDialog::reject() {
    // Laps pasted at the pit table are not thrown away by a stray Escape.
    if (!m_txtLapText->toPlainText().trimmed().isEmpty() && result() != QDialog::Accepted &&
        MessageBox::question(this, windowTitle(), "Throw away the lap times pasted here?",
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    QDialog::reject();
}

LogRunDialog::~LogRunDialog() = default;

void LogRunDialog::openLapFile(const QString& nativePath) {
    try {
        m_txtLapText->setPlainText(fromStd(readLapFile(nativePath.toStdString())));
    } catch (const std::exception& e) {
        MessageBox::failure(this, "Log Run", e);
    }
}

void LogRunDialog::readLaps() {
    // Put right, the run's own laps stand until other laps are pasted.
    if (m_editing && m_txtLapText->toPlainText().trimmed().isEmpty()) {
        m_lblUnread->clear();
        m_lblUnread->hide();
        m_cmbLapColumn->clear();
        m_cmbLapColumn->hide();
        m_lblLapColumn->hide();
        m_choiceWaits = false;
        m_cmdSave->setEnabled(true);
        showRunLaps();
        return;
    }
    m_reading = true;
    const std::string text = m_txtLapText->toPlainText().toStdString();
    LapReading reading = runs::readLaps(text);
    QStringList columns;
    for (const std::string& name : reading.columns) columns << fromStd(name);
    QStringList shown;
    for (int i = 0; i < m_cmbLapColumn->count(); ++i) shown << m_cmbLapColumn->itemText(i);
    if (columns.size() > 1) {
        // The racer's choice stands while the columns do; else the column of the setup's driver, else none yet.
        std::optional<std::size_t> column;
        if (shown == columns && m_cmbLapColumn->currentIndex() >= 0)
            column = std::size_t(m_cmbLapColumn->currentIndex());
        else column = driverColumn(reading.columns, field(m_values, SetupField::DriverName));
        if (column) reading = runs::readLaps(text, column);
    }
    if (shown != columns) {
        m_cmbLapColumn->clear();
        m_cmbLapColumn->addItems(columns);
    }
    m_cmbLapColumn->setCurrentIndex(reading.column ? int(*reading.column) : -1);
    m_cmbLapColumn->setVisible(columns.size() > 1);
    m_lblLapColumn->setVisible(columns.size() > 1);
    m_choiceWaits = columns.size() > 1 && !reading.column;
    m_lblLapColumn->setText(m_choiceWaits ? "Whose laps? Choose the &driver's column:" : "&Driver's column:");
    m_lblLapColumn->setStyleSheet(m_choiceWaits ? "color: #b00020; font-weight: bold" : "");
    m_cmdSave->setEnabled(!m_choiceWaits);

    m_lstLaps->blockSignals(true);
    m_lstLaps->clear();
    QStringList said;
    for (std::size_t i = 0; i < reading.laps.size(); ++i) {
        const Lap& lap = reading.laps[i];
        const QString mark = fromStd(reading.marks[i]);
        auto* item = new QListWidgetItem(QString("Lap %1   %2%3")
                                             .arg(i + 1, 3)
                                             .arg(fromStd(lapText(lap.ms)), mark.isEmpty() ? QString() : "   slow"),
                                         m_lstLaps);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(lap.kept ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::UserRole, QVariant::fromValue<qint64>(lap.ms));
        if (!mark.isEmpty()) {
            item->setToolTip("Left out: " + mark + " Tick it to keep it.");
            said << QString("Lap %1 (%2) is left out: %3 Tick it to keep it.")
                        .arg(i + 1)
                        .arg(fromStd(lapText(lap.ms)), mark);
        }
    }
    m_lstLaps->blockSignals(false);
    const bool pasted = !m_txtLapText->toPlainText().trimmed().isEmpty();
    for (const std::string& warning : reading.warnings) said << fromStd(warning) + ".";
    QString unread = fromStd(unreadText(reading)).trimmed();
    if (!said.isEmpty()) unread = said.join("\n") + (unread.isEmpty() ? "" : "\n" + unread);
    if (pasted && reading.laps.empty() && !m_choiceWaits) unread = "No lap times could be read.\n" + unread;
    m_lblUnread->setText(unread.trimmed());
    m_lblUnread->setVisible(!unread.trimmed().isEmpty());
    m_reading = false;
    showFigures();
}

std::vector<Lap> LogRunDialog::chosenLaps() const {
    std::vector<Lap> laps;
    for (int i = 0; i < m_lstLaps->count(); ++i) {
        const QListWidgetItem* item = m_lstLaps->item(i);
        laps.push_back({item->data(Qt::UserRole).toLongLong(), item->checkState() == Qt::Checked});
    }
    return laps;
}

void LogRunDialog::showFigures() { m_lblFigures->setText(figuresText(figuresOf(chosenLaps()))); }

void LogRunDialog::showLibraryFailure(const std::exception& failure) {
    const QString text = libraryFailureText(m_path, failure);
    m_lblLibrary->setText(text + ". The run is kept here: Save records it once the library can be written.");
    m_lblLibrary->show();
    MessageBox::critical(this, windowTitle(), text);
}

void LogRunDialog::save() {
    // A table of several drivers gives no laps until the racer says whose.
    if (m_choiceWaits) return;
    RunEntry entry;
    if (m_editing) entry = *m_editing;
    entry.name = m_cmbRunName->currentText().trimmed().toStdString();
    try {
        // The name is settled now: another program may have logged the meeting's runs meanwhile.
        SetupLibrary library(m_path);
        std::vector<StoredRun> now = meetingRuns(library, m_values);
        if (m_editing)
            now.erase(std::remove_if(now.begin(), now.end(), [&](const StoredRun& r) { return r.uid == entry.uid; }),
                      now.end());
        if (entry.name.empty()) entry.name = nextRunName(now);
        if (const std::string free = freeRunName(now, entry.name); free != entry.name) {
            MessageBox::warning(this, "Log Run",
                                QString("The meeting has a run named %1 already (logged meanwhile). The next free "
                                        "name, %2, is offered: Save again to log the run so.")
                                    .arg(fromStd(entry.name), fromStd(free)));
            m_cmbRunName->setCurrentText(fromStd(free));
            m_cmbRunName->setFocus();
            return;
        }
    } catch (const std::exception& e) {
        showLibraryFailure(e);
        return;
    }
    entry.setupType = m_setupType.toStdString();
    entry.values = m_values;
    entry.laps = chosenLaps();
    // The other drivers of a heat's table are what the track did meanwhile.
    if (m_editing && m_txtLapText->toPlainText().trimmed().isEmpty()) entry.field = m_editing->field;
    else entry.field = {};
    if (m_cmbLapColumn->count() > 1 && m_cmbLapColumn->currentIndex() >= 0)
        entry.field =
            runs::fieldOfTable(m_txtLapText->toPlainText().toStdString(), std::size_t(m_cmbLapColumn->currentIndex()));
    else  // the heat's start, where the printout gives it
        entry.field.timeOfDay = runs::heatTimeOfDay(m_txtLapText->toPlainText().toStdString()).value_or("");
    entry.position = m_txtPosition->text().trimmed().toStdString();
    entry.airTemp = m_txtAirTemp->text().trimmed().toStdString();
    entry.trackTemp = m_txtTrackTemp->text().trimmed().toStdString();
    entry.note = m_txtNote->text().trimmed().toStdString();
    try {
        SetupLibrary library(m_path);
        m_saved = m_editing ? editRun(library, entry) : logRun(library, entry);
    } catch (const std::exception& e) {
        // Nothing was recorded: the dialog stays with everything the racer typed.
        showLibraryFailure(e);
        return;
    }
    accept();
}

}  // namespace vantrel::runs
