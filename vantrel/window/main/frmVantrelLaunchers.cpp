// What the main window opens beside itself: the setup library's window and
// New Setup Type, with the list of setup types read anew after it.

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QFileDialog>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>

#include "CSetupManager.h"
#include "LibraryWindow.h"
#include "MessageBox.h"
#include "TeamFolderControl.h"
#include "TeamWatch.h"
#include "SetupTypeFiles.h"
#include "frmNewSetupType.h"
#include "frmVantrel.h"
#include "platform/Error.h"

namespace vantrel {

QPushButton* frmVantrel::buildLibraryButton() {
    auto* cmdLibrary = new QPushButton("Library…", this);
    cmdLibrary->setObjectName("cmdLibrary");
    cmdLibrary->setToolTip("Every setup made so far (Ctrl+L)");
    connect(cmdLibrary, &QPushButton::clicked, this, &frmVantrel::openLibrary);
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(shortcut, &QShortcut::activated, this, &frmVantrel::openLibrary);
    return cmdLibrary;
}

void frmVantrel::buildTeamFolderRow(QFormLayout* form) {
    auto* teamFolder = new TeamFolderControl(this);
    QLabel* lblTeamFolder = label("lblTeamFolder", "Team Folder:");
    form->addRow(lblTeamFolder, teamFolder);
    m_teamWatch = new TeamWatch(this);
    connect(teamFolder, &TeamFolderControl::changed, m_teamWatch, &TeamWatch::restart);
    connect(m_teamWatch, &TeamWatch::status, this, &frmVantrel::showStatusWarning);
    connect(m_teamWatch, &TeamWatch::setupsAdded, this, [this] {
        if (auto* window = qobject_cast<library::LibraryWindow*>(m_libraryWindow.data())) window->reload();
    });
}

void frmVantrel::openLibrary() {
    if (!m_libraryWindow) {
        std::string path;
        try {
            path = library::LibraryWindow::programLibraryPath();
        } catch (const platform::Error& error) {
            // As the run does: the source names the operation and carries the reason.
            MessageBox::critical(this, "Vantrel",
                                 QString::fromStdString("Error: frmVantrel::openLibrary-" + error.description()));
            return;
        }
        auto* window = new library::LibraryWindow(path, this, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        connect(window, &library::LibraryWindow::loadRequested, this,
                [this](const std::vector<std::string>& values, const QString& setupType) {
                    std::array<std::string, SetupFieldCount> setup;
                    for (std::size_t i = 0; i < setup.size() && i < values.size(); ++i) setup[i] = values[i];
                    loadSetup(setup, "the setup library (" + setupType + ")");
                });
        m_libraryWindow = window;
    }
    m_libraryWindow->show();
    m_libraryWindow->raise();
    m_libraryWindow->activateWindow();
}

void frmVantrel::refreshSetupTypes(const QString& select) {
    auto* cmbSetupName = control<QComboBox>("cmbSetupName");
    const QString chosen = select.isEmpty() ? cmbSetupName->currentText() : select;
    QStringList names;
    try {
        CSetupManager manager;
        manager.LoadConfig();
        if (const auto config = manager.GetConfig())
            for (const std::string& name : setuptype::setupTypeNames(setuptype::foldersOf(*config).config))
                names << QString::fromStdString(name);
    } catch (const platform::Error&) {
        // Without the settings the list keeps what it offers.
        return;
    }
    cmbSetupName->clear();
    cmbSetupName->addItems(names);
    cmbSetupName->setCurrentText(chosen);
}

void frmVantrel::newSetupTypeClicked() {
    QFileDialog chooser(this, "Choose a Fillable PDF");
    chooser.setObjectName("CommonDialog2");
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setNameFilter("PDF forms (*.pdf *.PDF)");
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    const std::string pdf = QDir::toNativeSeparators(chooser.selectedFiles().first()).toStdString();
    try {
        CSetupManager manager;
        manager.LoadConfig();
        const auto config = manager.GetConfig();
        if (!config) platform::raise(platform::ErrObjectNotSet, "frmVantrel");
        frmNewSetupType dialog(pdf, setuptype::foldersOf(*config), this);
        if (dialog.exec() == QDialog::Accepted) refreshSetupTypes(dialog.savedName());
    } catch (const platform::Error& e) {
        MessageBox::critical(this, "Vantrel", QString::fromStdString(e.description()));
    }
}

}  // namespace vantrel
