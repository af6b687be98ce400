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

QWidget* meetingButtons(MainForm& main) {
    QWidget* form = main.formWidget();
    auto* row = new QWidget(form);
    auto* cmdLogRun = new QPushButton("Log Run…", row);
    cmdLogRun->setObjectName("cmdLogRun");
    cmdLogRun->setToolTip("Record this setup as a run of the meeting, with its lap times (Ctrl+R)");
    cmdLogRun->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QObject::connect(cmdLogRun, &QPushButton::clicked, form, [&main] { logRunFromWindow(main); });
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), form);
    QObject::connect(shortcut, &QShortcut::activated, form, [&main] { logRunFromWindow(main); });
    auto* cmdMeetingRuns = new QPushButton("Runs…", row);
    cmdMeetingRuns->setObjectName("cmdMeetingRuns");
    cmdMeetingRuns->setToolTip("The meeting's runs, their lap times and what changed before each");
    QObject::connect(cmdMeetingRuns, &QPushButton::clicked, form, [&main] { showMeetingOfWindow(main); });
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(cmdLogRun);
    layout->addWidget(cmdMeetingRuns);
    layout->addStretch(1);
    return row;
}

namespace {

// The window's setup, when it names a meeting; else the racer is told what is missing.
std::optional<Setup> meetingOfWindow(MainForm& main, const QString& title) {
    QWidget* form = main.formWidget();
    const Setup values = CRawDataBuilder(main).ReadWindow();
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

void showMeetingOfWindow(MainForm& main) {
    QWidget* form = main.formWidget();
    const auto values = meetingOfWindow(main, "Meeting Runs");
    if (!values) return;
    try {
        auto* window = new runs::MeetingWindow(main.installation().libraryFile(), *values, main.dialogs(), form);
        window->setAttribute(Qt::WA_DeleteOnClose);
        // A run put right or deleted here is put right or withdrawn in the team folder too.
        window->setPublisher([&main](const runs::RunEntry& run) { return publishRunToTeam(main.installation(), run); });
        window->show();
    } catch (const std::exception& e) {
        MessageBox::failure(form, "Meeting Runs", e);
    }
}

void logRunFromWindow(MainForm& main) {
    QWidget* form = main.formWidget();
    const auto meeting = meetingOfWindow(main, "Log Run");
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
        const QString setupType = main.chosenSetupType();
        runs::LogRunDialog dialog(main.installation().libraryFile(), values,
                                  setupType.isEmpty() ? QString("RDX") : setupType, main.dialogs(), form);
        if (dialog.exec() != QDialog::Accepted || !dialog.saved()) return;
        const runs::StoredRun& run = *dialog.saved();
        // Every meeting window open shows the new run at once.
        for (auto* meeting : form->findChildren<runs::MeetingWindow*>()) meeting->reload();
        if (const auto failed = publishRunToTeam(main.installation(), run)) {
            main.showStatusWarning(QString::fromStdString("Run logged. Warning: " + failed->description()));
            return;
        }
        main.showStatusText(QString("Logged %1 (run %2 of %3): %4")
                                .arg(QString::fromStdString(run.name))
                                .arg(run.seq)
                                .arg(QString::fromStdString(runs::meetingText(run.values)))
                                .arg(runs::figuresText(run.figures)));
    } catch (const std::exception& e) {
        MessageBox::failure(form, "Log Run", e);
    }
}

}  // namespace vantrel
