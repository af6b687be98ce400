#pragma once
// The File tab of the main window: the setup type, an external raw data
// file, the target folder, the new sheet's path, and the ways to other
// setups (Open Setup, the library, the team folder), which the window's
// other parts make.

#include <QWidget>

#include "SheetRequest.h"

class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrel {

class ControlFactory;
class FolderList;
class SetupLoader;
class WindowLaunchers;

class FileTab : public QWidget {
    Q_OBJECT
public:
    FileTab(const ControlFactory& make, SetupLoader& loader, WindowLaunchers& launchers);

    // The target folder's list; its path goes into txtTargetPDFDirectory.
    FolderList* targetFolders() const { return m_dir1; }
    // "Choose Data File:" and its box and button, shown while
    // "Use External Data file?" is ticked.
    void showDataFileRow(bool shown);

    // What a run is asked to make, as the tab stands.
    SheetRequest sheetRequest() const;
    // The sheet a run made, below "Your New Setup Sheet:" (a native path).
    void showNewSheet(const QString& path);

private:
    void externalDataClicked();
    void openDataFileClicked();
    void folderChanged(const QString& path);

    QComboBox* m_cmbSetupName = nullptr;
    QCheckBox* m_chkExternalData = nullptr;
    QLabel* m_lblChooseDataFile = nullptr;
    QLineEdit* m_txtRawDataFile = nullptr;
    QPushButton* m_cmdOpenDataFile = nullptr;
    FolderList* m_dir1 = nullptr;
    QLineEdit* m_txtTargetPDFDirectory = nullptr;
    QLineEdit* m_txtTargetPDF = nullptr;
    QLabel* m_label3 = nullptr;
    QFileDialog* m_commonDialog1 = nullptr;
};

}  // namespace vantrel
