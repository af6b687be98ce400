#include "TeamFolderControl.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "Installation.h"
#include "MessageBox.h"
#include "TeamFolder.h"
#include "TeamRuns.h"
#include "library/SetupLibrary.h"
#include "runs/RunLog.h"
#include "TeamSync.h"
#include "platform/Error.h"
#include "platform/Profile.h"

namespace vantrel {

TeamFolderControl::TeamFolderControl(Installation& installation, Dialogs dialogs, QWidget* parent)
    : QWidget(parent), m_installation(installation), m_dialogs(std::move(dialogs)) {
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
        const QStringList folder = m_dialogs.chooseFiles(this, FileChoice::TeamFolder, m_path->text());
        if (!folder.isEmpty()) setTeamFolder(folder.front());
    });
    connect(stop, &QPushButton::clicked, this, [this] { setTeamFolder({}); });
    refresh();
}

void TeamFolderControl::refresh() { m_path->setText(QString::fromStdString(m_installation.teamFolder())); }

void TeamFolderControl::offerRunsLoggedBefore() {
    try {
        library::SetupLibrary setups(m_installation.libraryFile());
        const std::vector<runs::RunEntry> before = team::ownRunsNotShared(setups, m_installation.teamFolder());
        if (before.empty()) return;
        std::vector<std::string> uids;
        for (const runs::RunEntry& run : before) uids.push_back(run.uid);
        if (MessageBox::question(this, "Vantrel",
                                 QString("Share the %1 runs you logged before with the team? Yes puts them into the "
                                         "team folder now; No keeps them on this machine.")
                                     .arg(before.size()),
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
            runs::keepFromTeam(setups, uids);
            return;
        }
        for (const runs::RunEntry& run : before)
            if (const auto failed = publishRunToTeam(m_installation, run)) {
                MessageBox::warning(this, "Vantrel", QString::fromStdString(failed->description()));
                return;
            }
    } catch (const std::exception& e) {
        // The next scan shares what is missing.
        MessageBox::warning(this, "Vantrel", failureText(e));
    }
}

bool TeamFolderControl::setTeamFolder(const QString& nativePath) {
    const std::string folder = nativePath.isEmpty()
                                   ? std::string()
                                   : QDir::toNativeSeparators(QFileInfo(nativePath).absoluteFilePath()).toStdString();
    try {
        const TeamSettings settings = teamSettings(m_installation);
        if (const std::string refusal = team::libraryInTeamFolder(settings.libraryFile, folder); !refusal.empty()) {
            MessageBox::warning(this, "Vantrel", QString::fromStdString(refusal));
            return false;
        }
    } catch (const platform::Error& e) {
        MessageBox::warning(this, "Vantrel", failureText(e));
        return false;
    }
    if (!platform::profile::writeEntry(m_installation.settingsFile(), "Vantrel", "TeamFolder", folder)) {
        MessageBox::warning(this, "Vantrel",
                            QString::fromStdString("The team folder could not be written into the settings file " +
                                                   m_installation.settingsFile()));
        return false;
    }
    m_installation = Installation::read(m_installation.programFolder());
    refresh();
    if (!folder.empty()) offerRunsLoggedBefore();
    emit changed();
    return true;
}

}  // namespace vantrel
