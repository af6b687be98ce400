#pragma once
// The team folder on the File tab: where it is, "Choose…" to set it (written
// as TeamFolder into section "Vantrel" of bin/Vantrel.ini) and "Stop Sharing"
// to clear it. A folder that holds the setup library is refused.

#include <QWidget>

#include "Dialogs.h"

class QLineEdit;

namespace vantrel {

class Installation;

class TeamFolderControl : public QWidget {
    Q_OBJECT
public:
    // installation is the window's: after the control writes the settings
    // file, it reads it anew in place, so every part of the window sees it.
    // "Choose…" asks for the folder through dialogs.
    TeamFolderControl(Installation& installation, Dialogs dialogs, QWidget* parent = nullptr);

    // Shows the team folder of the installation.
    void refresh();
    // Sets the team folder (an empty path stops sharing). False, with a
    // message naming the reason, when it cannot be used or written. The
    // racer's runs logged before that the folder lacks are offered: Yes
    // shares them at once, No keeps them from every scan.
    bool setTeamFolder(const QString& nativePath);

signals:
    void changed();

private:
    void offerRunsLoggedBefore();

    Installation& m_installation;
    Dialogs m_dialogs;
    QLineEdit* m_path = nullptr;
};

}  // namespace vantrel
