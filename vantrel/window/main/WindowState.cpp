#include "WindowState.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <vector>

#include "FolderList.h"
#include "Installation.h"
#include "SetupControls.h"
#include "Utf8Text.h"
#include "library/EventDate.h"
#include "library/SetupLibrary.h"
#include "logging/Logging.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Runtime.h"

namespace vantrel {

namespace {

constexpr int kFormat = 1;
// A state file is a few kilobytes; anything much larger is not one of ours.
constexpr qint64 kMaxFileBytes = 1 << 20;
constexpr std::size_t kMaxPathBytes = 4096;

// The File tab's controls kept beside the setup controls; the target
// folder's box comes last, after the folder list has followed it.
const char* const kFileControls[] = {"cmbSetupName", "chkExternalData"};
constexpr const char* kRawDataFile = "txtRawDataFile";
constexpr const char* kTargetFolder = "txtTargetPDFDirectory";
constexpr const char* kSameTyres = "chkSameFrontRearTyres";

// Every setup control by name, the toe's box beside its buttons included.
std::vector<QString> setupControlNames() {
    std::vector<QString> names;
    for (const SetupControl& row : SetupControls) {
        const QString name = fromStd(row.control);
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        for (const OptionRun& run : OptionRuns)
            if (run.group == row.control && !run.textBox.empty()) {
                const QString box = fromStd(run.textBox);
                if (std::find(names.begin(), names.end(), box) == names.end()) names.push_back(box);
            }
    }
    return names;
}

// A text as a box holds it: its first line, cut to the bytes the box takes.
QString oneLine(const QString& text, std::size_t maxBytes) {
    const std::string first = text.section('\n', 0, 0).section('\r', 0, 0).toStdString();
    return fromStd(platform::text::cutToBytes(first, maxBytes));
}

QJsonValue valueOf(QWidget* form, const QString& name) {
    if (auto* group = form->findChild<QButtonGroup*>(name)) return group->checkedId();
    QWidget* widget = form->findChild<QWidget*>(name);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) return box->text();
    if (auto* box = qobject_cast<QComboBox*>(widget)) return box->currentText();
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) return box->toPlainText();
    if (auto* box = qobject_cast<QCheckBox*>(widget)) return box->checkState() != Qt::Unchecked;
    return {};
}

// Sets the control from a kept value of its own kind; false (the control
// untouched) when the value is of another kind.
bool setValue(QWidget* form, const QString& name, const QJsonValue& value, std::size_t maxBytes) {
    if (auto* group = form->findChild<QButtonGroup*>(name)) {
        if (!value.isDouble()) return false;
        const double id = value.toDouble();
        QAbstractButton* button = id == double(int(id)) ? group->button(int(id)) : nullptr;
        if (!button && id != -1) return false;
        // An exclusive group cannot be emptied by unchecking its button.
        group->setExclusive(false);
        for (QAbstractButton* b : group->buttons()) b->setChecked(false);
        if (button) button->setChecked(true);
        group->setExclusive(true);
        return true;
    }
    QWidget* widget = form->findChild<QWidget*>(name);
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        if (!value.isBool()) return false;
        box->setChecked(value.toBool());
        return true;
    }
    if (!value.isString()) return false;
    const QString text = oneLine(value.toString(), maxBytes);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) box->setText(text);
    else if (auto* box = qobject_cast<QComboBox*>(widget)) box->setCurrentText(text);
    else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) box->setPlainText(text);
    else return false;
    return true;
}

}  // namespace

WindowState::WindowState(QWidget* form, QTabWidget* tabs, FolderList* targetFolders, const Installation& installation)
    : QObject(form),
      m_form(form),
      m_tabs(tabs),
      m_targetFolders(targetFolders),
      m_file(fileOf(installation)),
      m_logFile(fromStd(installation.loggingFolder() + installation.logFile())),
      m_programFolder(fromStd(installation.programFolder())) {
    m_saveSoon.setSingleShot(true);
    m_saveSoon.setInterval(700);
    connect(&m_saveSoon, &QTimer::timeout, this, [this] { save(); });
}

QString WindowState::fileOf(const Installation& installation) {
    return QFileInfo(fromStd(installation.dataFolder()) + "/Window.json").absoluteFilePath();
}

QString WindowState::restore() {
    QString warning;
    QFile file(m_file);
    QStringList skipped;
    if (!file.exists()) {
        // A window never left opens as it always did.
    } else if (!file.open(QIODevice::ReadOnly)) {
        log("The window's last state " + m_file + " cannot be read (" + file.errorString() +
            "): the window opens as it starts");
    } else if (file.size() > kMaxFileBytes) {
        log("The window's last state " + m_file + " is larger than " + QString::number(kMaxFileBytes) +
            " bytes, no state of the window: the window opens as it starts");
    } else {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(file.read(kMaxFileBytes), &error);
        const QJsonObject controls = document.object().value("controls").toObject();
        if (error.error != QJsonParseError::NoError || document.object().value("format").toInt() != kFormat) {
            log("The window's last state " + m_file + " is not one the window wrote (" +
                (error.error != QJsonParseError::NoError
                     ? error.errorString() + " at byte " + QString::number(error.offset)
                     : QString("no format %1").arg(kFormat)) +
                "): the window opens as it starts");
        } else {
            // "Same as front" first and without its copy: the rear boxes come back as they were typed.
            if (controls.contains(kSameTyres)) {
                auto* same = m_form->findChild<QCheckBox*>(kSameTyres);
                const QSignalBlocker quiet(same);
                if (!setValue(m_form, kSameTyres, controls.value(kSameTyres), 0)) skipped << kSameTyres;
            }
            for (const QString& name : setupControlNames())
                if (controls.contains(name) && !setValue(m_form, name, controls.value(name), MaxValueBytes))
                    skipped << name;
            for (const char* name : kFileControls)
                if (controls.contains(name) && !setValue(m_form, name, controls.value(name), kMaxPathBytes))
                    skipped << name;
            if (controls.contains(kRawDataFile))
                setValue(m_form, kRawDataFile, keptPath(controls, kRawDataFile), kMaxPathBytes);
            // A target folder no longer there keeps the one the start chose.
            const QString folder = keptPath(controls, kTargetFolder);
            if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
                m_targetFolders->setPath(folder);
                setValue(m_form, kTargetFolder, folder, kMaxPathBytes);
            } else if (controls.contains(kTargetFolder)) {
                log("The window's last target folder " + folder + " is not there: the start's own is kept");
            }
            const QJsonValue tab = controls.value("SSTab1");
            if (tab.isDouble() && tab.toInt() >= 0 && tab.toInt() < m_tabs->count() && tab.toDouble() == tab.toInt())
                m_tabs->setCurrentIndex(tab.toInt());
            else if (!tab.isUndefined()) skipped << "SSTab1";
            if (!skipped.isEmpty())
                log("The window's last state " + m_file +
                    " holds values of the wrong kind, left at their start: " + skipped.join(", "));

            // A run logged now goes to the meeting that the Date names.
            const QString date = m_form->findChild<QLineEdit*>("txtEventDate")->text();
            Setup values;
            values[std::size_t(SetupField::EventDate)] = date.toStdString();
            const std::string now = library::localTimestampNow();
            const std::string meetingDay = library::eventDateOf(values, now, library::userDateOrder());
            if (meetingDay != now.substr(0, 10))
                warning = "The Date is " + date +
                          (fromStd(meetingDay) == date ? QString() : " (" + fromStd(meetingDay) + ")") +
                          ", not today: a run logged now goes to that meeting";
        }
    }

    // From now on every change is kept.
    if (!m_watching) {
        m_watching = true;
        const auto soon = [this] { changed(); };
        for (auto* box : m_form->findChildren<QLineEdit*>()) connect(box, &QLineEdit::textChanged, this, soon);
        for (auto* box : m_form->findChildren<QComboBox*>()) connect(box, &QComboBox::currentTextChanged, this, soon);
        for (auto* box : m_form->findChildren<QPlainTextEdit*>())
            connect(box, &QPlainTextEdit::textChanged, this, soon);
        for (auto* box : m_form->findChildren<QAbstractButton*>())
            if (box->isCheckable()) connect(box, &QAbstractButton::toggled, this, soon);
        connect(m_tabs, &QTabWidget::currentChanged, this, soon);
    }
    return warning;
}

void WindowState::changed() { m_saveSoon.start(); }

void WindowState::save() {
    m_saveSoon.stop();
    QJsonObject controls;
    for (const QString& name : setupControlNames()) controls.insert(name, valueOf(m_form, name));
    for (const char* name : kFileControls) controls.insert(name, valueOf(m_form, name));
    controls.insert(kSameTyres, valueOf(m_form, kSameTyres));
    keepPath(controls, kRawDataFile);
    keepPath(controls, kTargetFolder);
    controls.insert("SSTab1", m_tabs->currentIndex());
    const QByteArray bytes = QJsonDocument(QJsonObject{{"format", kFormat}, {"controls", controls}}).toJson();
    const auto failed = platform::files::replaceAtomically(m_file.toStdString(), [&](int fd) {
        return platform::files::writeAll(fd, std::string_view(bytes.constData(), std::size_t(bytes.size())))
                   ? std::string()
                   : std::string("the system refused the write");
    });
    if (failed) log("The window's state cannot be kept in " + m_file + ": " + fromStd(failed->reason()));
}

void WindowState::keepPath(QJsonObject& controls, const QString& name) const {
    const QString path = valueOf(m_form, name).toString();
    controls.insert(name, path);
    if (path.isEmpty() || QFileInfo(path).isRelative()) return;
    const QString relative = QDir(m_programFolder).relativeFilePath(path);
    if (relative != ".." && !relative.startsWith("../") && QFileInfo(relative).isRelative())
        controls.insert(name + "InProgramFolder", relative);
}

QString WindowState::keptPath(const QJsonObject& controls, const QString& name) const {
    const QJsonValue relative = controls.value(name + "InProgramFolder");
    QString path = controls.value(name).toString();
    if (relative.isString()) {
        // Written with the system's separators, as the racer chose it.
        path = QDir::toNativeSeparators(QDir::cleanPath(m_programFolder + "/" + relative.toString()));
        if (QFileInfo(controls.value(name).toString()).fileName().isEmpty() && !path.endsWith(QDir::separator()))
            path += QDir::separator();
    }
    return oneLine(path, kMaxPathBytes);
}

void WindowState::log(const QString& line) const {
    // Never raises: a log that cannot be written costs the window nothing.
    try {
        auto logger = com::create<logging::ICLog>(logging::CLSID_CLog, logging::IID_CLog);
        com::check(logger->put_FileName(m_logFile.toStdString()));
        com::check(logger->LogMe("frmVantrel::WindowState-" + line.toStdString()));
    } catch (...) {
    }
}

}  // namespace vantrel
