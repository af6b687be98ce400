#pragma once
// The team folder on the File tab: where it is, "Choose…" to set it (written
// as TeamFolder into section "Vantrel" of bin/Vantrel.ini) and "Stop Sharing"
// to clear it. A folder that holds the setup library is refused.

#include <QWidget>
#include <functional>

class QLineEdit;

namespace vantrel {

class TeamFolderControl : public QWidget {
    Q_OBJECT
public:
    explicit TeamFolderControl(QWidget* parent = nullptr);

    // Tests answer the folder dialog ahead of time; an empty function gives it back.
    static void setChooserForTesting(std::function<QString()> chooser);

    // Shows the setting as it stands in the settings file.
    void refresh();
    // Sets the team folder (an empty path stops sharing). False, with a
    // message naming the reason, when it cannot be used or written.
    bool setTeamFolder(const QString& nativePath);

signals:
    void changed();

private:
    QLineEdit* m_path = nullptr;
};

}  // namespace vantrel
