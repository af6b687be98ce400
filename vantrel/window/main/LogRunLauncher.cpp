#include "LogRunLauncher.h"

#include <QComboBox>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>

#include "CRawDataBuilder.h"
#include "LibraryWindow.h"
#include "LogRunDialog.h"
#include "MainForm.h"
#include "MessageBox.h"

namespace vantrel {

QPushButton* logRunButton(QWidget* form) {
    auto* cmdLogRun = new QPushButton("Log Run…", form);
    cmdLogRun->setObjectName("cmdLogRun");
    cmdLogRun->setToolTip("Record this setup as a run of the meeting, with its lap times (Ctrl+R)");
    cmdLogRun->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QObject::connect(cmdLogRun, &QPushButton::clicked, form, [form] { logRunFromWindow(form); });
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), form);
    QObject::connect(shortcut, &QShortcut::activated, form, [form] { logRunFromWindow(form); });
    return cmdLogRun;
}

void logRunFromWindow(QWidget* form) {
    const library::SetupValues values = CRawDataBuilder().ReadWindow();
    if (const std::string problem = runs::meetingProblem(values); !problem.empty()) {
        MessageBox::warning(form, "Log Run",
                            QString::fromStdString("A run belongs to a meeting, and this one is not named: " + problem +
                                                   ". Fill in Driver Name, Track / City and Event or "
                                                   "Date on the Event tab."));
        return;
    }
    try {
        const auto* setupType = form->findChild<QComboBox*>("cmbSetupName");
        runs::LogRunDialog dialog(library::LibraryWindow::programLibraryPath(), values,
                                  setupType ? setupType->currentText() : QString("RDX"), form);
        if (dialog.exec() != QDialog::Accepted || !dialog.saved()) return;
        const runs::StoredRun& run = *dialog.saved();
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
