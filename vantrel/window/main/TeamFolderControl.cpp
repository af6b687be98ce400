#include "TeamFolderControl.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "CSetupManager.h"
#include "MessageBox.h"
#include "TeamFolder.h"
#include "TeamSync.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Profile.h"

namespace vantrel {

namespace {

std::function<QString()>& testChooser() {
    static std::function<QString()> chooser;
    return chooser;
}

std::string settingsFile() { return platform::process::programFolder() + "\\bin\\Vantrel.ini"; }

}  // namespace

void TeamFolderControl::setChooserForTesting(std::function<QString()> chooser) { testChooser() = std::move(chooser); }

TeamFolderControl::TeamFolderControl(QWidget* parent) : QWidget(parent) {
    m_path = new QLineEdit(this);
    m_path->setObjectName("txtTeamFolder");
    m_path->setReadOnly(true);
    m_path->setPlaceholderText("Not shared: choose a folder your file sync keeps alike for the team");
    auto* choose = new QPushButton("Choose…", this);
    choose->setObjectName("cmdTeamFolder");
    choose->setToolTip("Every sheet you make goes there too; your team mates' sheets come into your library");
    auto* stop = new QPushButton("Stop Sharing", this);
    stop->setObjectName("cmdNoTeamFolder");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_path, 1);
    row->addWidget(choose);
    row->addWidget(stop);
    connect(choose, &QPushButton::clicked, this, [this] {
        const QString folder =
            testChooser() ? testChooser()() : QFileDialog::getExistingDirectory(this, "Team Folder", m_path->text());
        if (!folder.isEmpty()) setTeamFolder(folder);
    });
    connect(stop, &QPushButton::clicked, this, [this] { setTeamFolder({}); });
    refresh();
}

void TeamFolderControl::refresh() {
    m_path->setText(QString::fromStdString(team::teamFolderOf(settingsFile(), platform::process::programFolder())));
}

bool TeamFolderControl::setTeamFolder(const QString& nativePath) {
    const std::string folder =
        nativePath.isEmpty() ? std::string() : QFileInfo(nativePath).absoluteFilePath().toStdString();
    try {
        CSetupManager manager;
        manager.LoadConfig();
        const TeamSettings settings = teamSettings(*manager.GetConfig());
        if (const std::string refusal = team::libraryInTeamFolder(settings.libraryFile, folder); !refusal.empty()) {
            MessageBox::warning(this, "Vantrel", QString::fromStdString(refusal));
            return false;
        }
    } catch (const platform::Error& e) {
        MessageBox::warning(this, "Vantrel", failureText(e));
        return false;
    }
    if (!platform::profile::writeEntry(settingsFile(), "Vantrel", "TeamFolder", folder)) {
        MessageBox::warning(this, "Vantrel",
                            QString::fromStdString("The team folder could not be written into the settings file " +
                                                   platform::paths::toNative(settingsFile())));
        return false;
    }
    refresh();
    emit changed();
    return true;
}

}  // namespace vantrel
