#include "WindowLaunchers.h"

#include "LogRunLauncher.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>

#include "Installation.h"
#include "LibraryWindow.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "SetupLoader.h"
#include "SetupTypeFiles.h"
#include "TeamFolderControl.h"
#include "TeamWatch.h"
#include "frmNewSetupType.h"
#include "platform/Error.h"

namespace vantrel {

WindowLaunchers::WindowLaunchers(MainForm& window, Installation& installation, Dialogs dialogs, SetupLoader& loader)
    : QObject(window.formWidget()),
      m_window(window),
      m_installation(installation),
      m_dialogs(std::move(dialogs)),
      m_loader(loader),
      m_form(window.formWidget()) {
    setObjectName("WindowLaunchers");
}

QPushButton* WindowLaunchers::libraryButton() {
    auto* cmdLibrary = new QPushButton("Library…", m_form);
    cmdLibrary->setObjectName("cmdLibrary");
    cmdLibrary->setToolTip("Every setup made so far (Ctrl+L)");
    connect(cmdLibrary, &QPushButton::clicked, this, &WindowLaunchers::openLibrary);
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), m_form);
    connect(shortcut, &QShortcut::activated, this, &WindowLaunchers::openLibrary);
    return cmdLibrary;
}

QPushButton* WindowLaunchers::newSetupTypeButton() {
    auto* cmdNewSetupType = new QPushButton("New Setup Type…", m_form);
    cmdNewSetupType->setObjectName("cmdNewSetupType");
    connect(cmdNewSetupType, &QPushButton::clicked, this, &WindowLaunchers::newSetupTypeClicked);
    return cmdNewSetupType;
}

TeamFolderControl* WindowLaunchers::teamFolderControl() {
    auto* teamFolder = new TeamFolderControl(m_installation, m_dialogs, m_form);
    m_teamWatch = new TeamWatch(m_installation, m_form);
    connect(teamFolder, &TeamFolderControl::changed, m_teamWatch, &TeamWatch::restart);
    connect(m_teamWatch, &TeamWatch::status, this, [this](const QString& text) { m_window.showStatusWarning(text); });
    connect(m_teamWatch, &TeamWatch::setupsAdded, this, [this] {
        if (auto* window = qobject_cast<library::LibraryWindow*>(m_libraryWindow.data())) window->reload();
    });
    return teamFolder;
}

void WindowLaunchers::restartTeamWatch() {
    if (m_teamWatch) m_teamWatch->restart();
}

QWidget* WindowLaunchers::meetingButtons() { return vantrel::meetingButtons(m_window); }

void WindowLaunchers::openLibrary() {
    if (!m_libraryWindow) {
        std::string path;
        try {
            path = m_installation.libraryFile();
        } catch (const platform::Error& error) {
            // As the run does: the source names the operation and carries the reason.
            const platform::Error failed(error.number(), "frmVantrel::openLibrary-" + error.description());
            MessageBox::critical(m_form, "Vantrel", QString::fromStdString(platform::runErrorLine(failed)));
            return;
        }
        auto* window = new library::LibraryWindow(path, setupTypeFolders(m_installation), m_dialogs, &m_window, m_form);
        window->setAttribute(Qt::WA_DeleteOnClose);
        connect(window, &library::LibraryWindow::loadRequested, this,
                [this](const Setup& setup, const QString&) { m_loader.loadFromLibrary(setup); });
        m_libraryWindow = window;
    }
    m_libraryWindow->show();
    m_libraryWindow->raise();
    m_libraryWindow->activateWindow();
}

void WindowLaunchers::refreshSetupTypes(const QString& select) {
    auto* cmbSetupName = m_form->findChild<QComboBox*>("cmbSetupName");
    if (!cmbSetupName) return;
    const QString chosen = select.isEmpty() ? cmbSetupName->currentText() : select;
    QStringList names;
    for (const std::string& name : setuptype::setupTypeNames(setupTypeFolders(m_installation).config))
        names << QString::fromStdString(name);
    cmbSetupName->clear();
    cmbSetupName->addItems(names);
    cmbSetupName->setCurrentText(chosen);
}

void WindowLaunchers::newSetupTypeClicked() {
    QFileDialog chooser(m_form, "Choose a Fillable PDF");
    chooser.setObjectName("CommonDialog2");
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setNameFilter("PDF forms (*.pdf *.PDF)");
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    const std::string pdf = QDir::toNativeSeparators(chooser.selectedFiles().first()).toStdString();
    try {
        frmNewSetupType dialog(pdf, setupTypeFolders(m_installation), m_dialogs, m_form);
        if (dialog.exec() == QDialog::Accepted) {
            refreshSetupTypes(dialog.savedName());
            m_window.showStatusText("Setup type " + dialog.savedName() + " saved: " + dialog.savedFiles().join(", "));
        }
    } catch (const platform::Error& e) {
        MessageBox::failure(m_form, "Vantrel", e);
    }
}

}  // namespace vantrel
