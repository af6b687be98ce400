#include "SetupLoader.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <vector>

#include "LastHereOffer.h"
#include "MessageBox.h"
#include "SetupControls.h"
#include "SetupReaders.h"
#include "SheetRuns.h"
#include "TeamSync.h"
#include "Installation.h"
#include "MainForm.h"
#include "platform/Error.h"
#include "platform/Text.h"
#include "Utf8Text.h"

namespace vantrel {

namespace {

QString nameOf(SetupField field) { return fromStd(SetupFieldKeys[std::size_t(field)]); }

// Why a text box cannot show a value as it is; empty when it can.
QString textProblem(const std::string& value) {
    if (value.size() > MaxValueBytes) return "longer than " + QString::number(MaxValueBytes) + " bytes";
    if (value.find_first_of("\r\n") != std::string::npos) return "holds a line break";
    if (fromStd(value).toUtf8().toStdString() != value) return "is not UTF-8 text";
    return {};
}

// As much of a value as a text box can show: up to a line break, cut to the
// byte limit.
QString shownPart(const std::string& value) {
    const std::string firstLine = value.substr(0, value.find_first_of("\r\n"));
    return fromStd(platform::text::cutToBytes(firstLine, MaxValueBytes));
}

// The option number a run stores for button `index`, as the capture writes
// it: plain decimal digits, so "03" or " 3" are no number of any button.
bool isNumberOf(const std::string& value, int number) { return value == std::to_string(number); }

// The button of `group` that shows the setup's values, -1 for none; the
// fields that no button can show go to problems.
int buttonFor(std::string_view group, const Setup& values, std::vector<SetupField>& problems, QLineEdit* textBox) {
    std::vector<const OptionRun*> runs;
    for (const OptionRun& run : OptionRuns)
        if (run.group == group) runs.push_back(&run);
    const OptionRun& first = *runs.front();
    auto value = [&values](SetupField field) -> const std::string& { return values[std::size_t(field)]; };

    if (!first.textBox.empty()) {
        // The toe: the text box holds the value, the button says which field.
        std::vector<const OptionRun*> set;
        for (const OptionRun* run : runs)
            if (!value(run->field).empty()) set.push_back(run);
        if (textBox) textBox->clear();
        if (set.empty()) return -1;
        if (set.size() > 1) {
            for (const OptionRun* run : set) problems.push_back(run->field);
            return -1;
        }
        const std::string& text = value(set.front()->field);
        if (!textProblem(text).isEmpty()) problems.push_back(set.front()->field);
        if (textBox) textBox->setText(shownPart(text));
        return set.front()->first;
    }

    if (first.lengthField) {
        // An arm: its length picks the run, its position the button.
        const std::string& length = value(*first.lengthField);
        const std::string& position = value(first.field);
        if (length.empty() && position.empty()) return -1;
        for (const OptionRun* run : runs) {
            if (!platform::text::equalsIgnoreCase(length, run->length)) continue;
            for (int i = run->first; i <= run->last; ++i)
                if (isNumberOf(position, run->value(i))) return i;
        }
        problems.push_back(*first.lengthField);
        problems.push_back(first.field);
        return -1;
    }

    const std::string& number = value(first.field);
    if (number.empty()) return -1;
    for (const OptionRun* run : runs)
        for (int i = run->first; i <= run->last; ++i)
            if (isNumberOf(number, run->value(i))) return i;
    problems.push_back(first.field);
    return -1;
}

// The one local file a drag carries, or an empty text.
QString droppedFile(const QMimeData* data) {
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    return urls.size() == 1 && urls.front().isLocalFile() ? urls.front().toLocalFile() : QString();
}

// What the racer reads when a setup file cannot be read. The system's error
// says it in full, unless it is about this very file: then the file is named
// once, with the reason. Any other error is put after the file.
QString openFailure(const QString& file, const std::exception& error) {
    const std::string path = file.toStdString();
    const auto* systemError = dynamic_cast<const platform::Error*>(&error);
    if (systemError && systemError->file() != path) return fromStd(platform::errorText(error));
    const std::string why = systemError ? systemError->reason() : platform::errorText(error);
    return fromStd(platform::fileFailure("Cannot open the setup", path, why));
}

}  // namespace

SetupLoader::SetupLoader(MainForm& window)
    : QObject(window.formWidget()), m_window(window), m_form(window.formWidget()) {
    setObjectName("SetupLoader");
    auto* shortcut = new QShortcut(QKeySequence::Open, m_form);
    shortcut->setObjectName("shortcutOpenSetup");
    connect(shortcut, &QShortcut::activated, this, &SetupLoader::openSetupClicked);
    m_form->setAcceptDrops(true);
    qApp->installEventFilter(this);
}

bool SetupLoader::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_form) return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const QString file = droppedFile(drop->mimeData());
    if (file.isEmpty()) return false;
    drop->acceptProposedAction();
    if (type == QEvent::Drop) openSetupFile(file);
    return true;
}

// ---------------------------------------------------------------- loading

QPushButton* SetupLoader::openSetupButton() {
    auto* cmdOpenSetup = new QPushButton("Open Setup…", m_form);
    cmdOpenSetup->setObjectName("cmdOpenSetup");
    cmdOpenSetup->setToolTip("Load a raw data file or a setup sheet into the window (Ctrl+O)");
    cmdOpenSetup->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(cmdOpenSetup, &QPushButton::clicked, this, &SetupLoader::openSetupClicked);
    return cmdOpenSetup;
}

void SetupLoader::openSetupClicked() {
    const QStringList path = m_window.dialogs().chooseFiles(m_form, FileChoice::SetupFile, QDir::homePath());
    if (!path.isEmpty()) openSetupFile(path.front());
}

bool SetupLoader::openSetupFile(const QString& path) {
    const QString native = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    SetupRead read;
    try {
        read = readSetup(native.toStdString(), setupTypeFolders(m_window.installation()));
    } catch (const std::exception& error) {
        MessageBox::critical(m_form, "Vantrel", openFailure(native, error));
        return false;
    }
    // Fields a racer edited in the sheet after the run won over its attachment.
    const bool edited = !read.fromEdits.empty();
    const QString after = edited ? ", " + fromStd(editsNote(read)) : QString();
    if (load(read.values, "the setup of " + native, native, after, edited) == Outcome::Kept) return false;
    // The meeting's runs a sheet carries go back into the library; a
    // library that cannot take them costs the load nothing.
    std::size_t runs = 0;
    try {
        // A team mate's or a stranger's sheet brings its runs as theirs.
        const Installation& installation = m_window.installation();
        std::string racer;
        {
            library::SetupLibrary setups(installation.libraryFile());
            racer = installationDriver(installation, setups);
        }
        takeSheetRuns(installation.libraryFile(), native.toStdString(), runs, racer);
    } catch (const std::exception&) {
    }
    if (runs > 0)
        m_window.showStatusAbout("Loaded the setup of ", native,
                                 QString(" and %1 runs of its meeting").arg(runs) + after, edited);
    return true;
}

bool SetupLoader::loadFromLibrary(const Setup& values) {
    return loadSetup(values, library::LastHereOffer::setupOf(values) + " from the setup library");
}

QStringList SetupLoader::controlValues(bool carOnly) const {
    QStringList shown;
    for (const SetupControl& row : SetupControls) {
        if (carOnly && !isCarField(row.field)) continue;
        const QString name = fromStd(row.control);
        if (isOptionControl(row.control)) {
            const auto* group = m_form->findChild<QButtonGroup*>(name);
            shown << QString::number(group ? group->checkedId() : -1);
            // The toe's box beside its buttons holds the value.
            for (const OptionRun& run : OptionRuns)
                if (run.group == row.control && !run.textBox.empty())
                    if (const auto* box = m_form->findChild<QLineEdit*>(fromStd(run.textBox))) shown << box->text();
            continue;
        }
        QWidget* widget = m_form->findChild<QWidget*>(name);
        if (auto* box = qobject_cast<QLineEdit*>(widget)) shown << box->text();
        else if (auto* box = qobject_cast<QComboBox*>(widget)) shown << box->currentText();
        else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) shown << box->toPlainText();
        else shown << QString();
    }
    return shown;
}

void SetupLoader::markKept() {
    m_kept = controlValues();
    m_keptCar = controlValues(true);
}

bool SetupLoader::typedSinceKept(bool carOnly) const {
    return carOnly ? controlValues(true) != m_keptCar : controlValues() != m_kept;
}

bool SetupLoader::loadSetup(const Setup& values, const QString& from) {
    return load(values, from, {}, {}, false) == Outcome::Loaded;
}

bool SetupLoader::loadCar(const Setup& values, const QString& from) {
    return load(values, from, {}, {}, false, true) == Outcome::Loaded;
}

SetupLoader::Outcome SetupLoader::load(const Setup& values, const QString& from, const QString& file,
                                       const QString& after, bool warn, bool carOnly) {
    // What the racer typed is theirs: no load takes it without asking.
    // Loading the car alone, only what was typed into the car is asked about.
    if (typedSinceKept(carOnly) && MessageBox::question(m_form, "Vantrel", "Replace what you typed with " + from + "?",
                                                        QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return Outcome::Kept;

    // Unticked first: ticking copies the front tyres over the rear ones.
    if (auto* same = m_form->findChild<QCheckBox*>("chkSameFrontRearTyres")) same->setChecked(false);

    std::vector<SetupField> problems;
    std::vector<std::string_view> groupsDone;
    for (const SetupControl& row : SetupControls) {
        if (carOnly && !isCarField(row.field)) continue;
        const QString name = fromStd(row.control);
        if (isOptionControl(row.control)) {
            if (std::find(groupsDone.begin(), groupsDone.end(), row.control) != groupsDone.end()) continue;
            groupsDone.push_back(row.control);
            auto* group = m_form->findChild<QButtonGroup*>(name);
            if (!group) continue;
            QLineEdit* textBox = nullptr;
            for (const OptionRun& run : OptionRuns)
                if (run.group == row.control && !run.textBox.empty())
                    textBox = m_form->findChild<QLineEdit*>(fromStd(run.textBox));
            const int index = buttonFor(row.control, values, problems, textBox);
            // Exclusive groups cannot be emptied by unchecking their button.
            group->setExclusive(false);
            for (QAbstractButton* button : group->buttons()) button->setChecked(false);
            if (QAbstractButton* button = index >= 0 ? group->button(index) : nullptr) button->setChecked(true);
            group->setExclusive(true);
            continue;
        }
        const std::string& value = values[std::size_t(row.field)];
        if (!textProblem(value).isEmpty()) problems.push_back(row.field);
        QWidget* widget = m_form->findChild<QWidget*>(name);
        if (auto* box = qobject_cast<QLineEdit*>(widget)) box->setText(shownPart(value));
        else if (auto* box = qobject_cast<QComboBox*>(widget)) box->setCurrentText(shownPart(value));
        else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) box->setPlainText(shownPart(value));
    }

    markKept();
    // "Loaded the setup of" the file (its path cut in the middle where the line is short) or the setup.
    if (file.isEmpty()) m_window.showStatusAbout("Loaded " + from + after, {}, {}, warn);
    else m_window.showStatusAbout("Loaded the setup of ", file, after, warn);
    if (problems.empty()) return Outcome::Loaded;
    std::sort(problems.begin(), problems.end());
    problems.erase(std::unique(problems.begin(), problems.end()), problems.end());
    QString list;
    for (SetupField field : problems) {
        const std::string& value = values[std::size_t(field)];
        QString shown = fromStd(value);
        shown.replace('\r', "\\r").replace('\n', "\\n");
        if (shown.size() > 60) shown = shown.left(57) + "...";
        list += "\n" + nameOf(field) + " = \"" + shown + "\"";
        if (const QString why = textProblem(value);
            !why.isEmpty() && !isOptionControl(SetupControls[std::size_t(field)].control))
            list += " (" + why + ")";
    }
    MessageBox::warning(
        m_form, "Vantrel",
        "The window cannot show these values of " + from + "; their controls keep what could be set:" + list);
    return Outcome::LoadedInPart;
}

}  // namespace vantrel
