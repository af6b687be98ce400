#include "LogRunLauncher.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <optional>

#include "CRawDataBuilder.h"
#include "Installation.h"
#include "LogRunDialog.h"
#include "MainForm.h"
#include "MeetingWindow.h"
#include "MessageBox.h"
#include "SetupControls.h"
#include "TeamSync.h"
#include "platform/Error.h"

namespace vantrel {

QWidget* meetingButtons(QWidget* form) {
    auto* row = new QWidget(form);
    auto* cmdLogRun = new QPushButton("Log Run…", row);
    cmdLogRun->setObjectName("cmdLogRun");
    cmdLogRun->setToolTip("Record this setup as a run of the meeting, with its lap times (Ctrl+R)");
    cmdLogRun->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QObject::connect(cmdLogRun, &QPushButton::clicked, form, [form] { logRunFromWindow(form); });
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), form);
    QObject::connect(shortcut, &QShortcut::activated, form, [form] { logRunFromWindow(form); });
    auto* cmdMeetingRuns = new QPushButton("Runs…", row);
    cmdMeetingRuns->setObjectName("cmdMeetingRuns");
    cmdMeetingRuns->setToolTip("The meeting's runs, their lap times and what changed before each");
    QObject::connect(cmdMeetingRuns, &QPushButton::clicked, form, [form] { showMeetingOfWindow(form); });
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(cmdLogRun);
    layout->addWidget(cmdMeetingRuns);
    layout->addStretch(1);
    return row;
}

namespace {

// The window the buttons are in: its installation, and the dialogs it asks through.
MainForm& mainForm() {
    MainForm* main = MainForm::current();
    if (!main) platform::raise(platform::ErrObjectNotSet, "LogRunLauncher", "There is no main window");
    return *main;
}
const Installation& installation() { return mainForm().installation(); }

// The window's setup, when it names a meeting; else the racer is told what is missing.
std::optional<Setup> meetingOfWindow(QWidget* form, const QString& title) {
    const Setup values = CRawDataBuilder().ReadWindow();
    if (const std::string problem = runs::meetingProblem(values); !problem.empty()) {
        MessageBox::warning(form, title,
                            QString::fromStdString("A run belongs to a meeting, and this one is not named: " + problem +
                                                   ". Fill in Driver Name, Track / City and Event or "
                                                   "Date on the Event tab."));
        return std::nullopt;
    }
    return values;
}

}  // namespace

void showMeetingOfWindow(QWidget* form) {
    const auto values = meetingOfWindow(form, "Meeting Runs");
    if (!values) return;
    try {
        auto* window = new runs::MeetingWindow(installation().libraryFile(), *values, mainForm().dialogs(), form);
        window->setAttribute(Qt::WA_DeleteOnClose);
        // A run put right or deleted here is put right or withdrawn in the team folder too.
        window->setPublisher([](const runs::RunEntry& run) { return publishRunToTeam(installation(), run); });
        window->show();
    } catch (const std::exception& e) {
        MessageBox::failure(form, "Meeting Runs", e);
    }
}

void logRunFromWindow(QWidget* form) {
    const auto meeting = meetingOfWindow(form, "Log Run");
    if (!meeting) return;
    const Setup& values = *meeting;
    // A window whose car is empty (after a restart, before a setup is loaded) is no setup to log:
    // nothing typed in a text box of the car (a list or an option group always holds one of its choices).
    bool carEmpty = true;
    for (const SetupControl& row : SetupControls)
        if (isCarField(row.field) && !values[row.field].empty() &&
            qobject_cast<QLineEdit*>(form->findChild<QWidget*>(QString::fromStdString(std::string(row.control)))))
            carEmpty = false;
    if (carEmpty &&
        MessageBox::question(form, "Log Run",
                             "The window holds no setup of the car: every field of the chassis, shocks, geometry, "
                             "tyres and electronics is empty. Log the run without the car's setup?",
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    try {
        const auto* setupType = form->findChild<QComboBox*>("cmbSetupName");
        runs::LogRunDialog dialog(installation().libraryFile(), values,
                                  setupType ? setupType->currentText() : QString("RDX"), mainForm().dialogs(), form);
        if (dialog.exec() != QDialog::Accepted || !dialog.saved()) return;
        const runs::StoredRun& run = *dialog.saved();
        // Every meeting window open shows the new run at once.
        for (auto* meeting : form->findChildren<runs::MeetingWindow*>()) meeting->reload();
        if (const std::string warning = publishRunToTeam(installation(), run); !warning.empty()) {
            if (MainForm* main = MainForm::current())
                main->showStatusWarning(QString::fromStdString("Run logged. Warning: " + warning));
            return;
        }
        if (MainForm* main = MainForm::current())
            main->showStatusText(QString("Logged %1 (run %2 of %3): %4")
                                     .arg(QString::fromStdString(run.name))
                                     .arg(run.seq)
                                     .arg(QString::fromStdString(runs::meetingText(run.values)))
                                     .arg(runs::figuresText(run.figures)));
    } catch (const std::exception& e) {
        MessageBox::failure(form, "Log Run", e);
    }
}

}  // namespace vantrel
