#pragma once
// The team folder on the File tab: where it is, "Choose…" to set it (written
// as TeamFolder into section "Vantrel" of bin/Vantrel.ini) and "Stop Sharing"
// to clear it. A folder that holds the setup library is refused.

#include <QWidget>
#include <functional>

class QLineEdit;

namespace vantrel {

class Installation;

class TeamFolderControl : public QWidget {
    Q_OBJECT
public:
    // installation is the window's: after the control writes the settings
    // file, it reads it anew in place, so every part of the window sees it.
    explicit TeamFolderControl(Installation& installation, QWidget* parent = nullptr);

    // Tests answer the folder dialog ahead of time; an empty function gives it back.
    static void setChooserForTesting(std::function<QString()> chooser);

    // Shows the team folder of the installation.
    void refresh();
    // Sets the team folder (an empty path stops sharing). False, with a
    // message naming the reason, when it cannot be used or written.
    bool setTeamFolder(const QString& nativePath);

signals:
    void changed();

private:
    Installation& m_installation;
    QLineEdit* m_path = nullptr;
};

}  // namespace vantrel
