#include "FileTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "AboutVantrel.h"
#include "ControlFactory.h"
#include "FolderList.h"
#include "LogRunLauncher.h"
#include "SetupLoader.h"
#include "TeamFolderControl.h"
#include "WindowLaunchers.h"

namespace vantrel {

FileTab::FileTab(const ControlFactory& make, SetupLoader& loader, WindowLaunchers& launchers) : QWidget(make.window()) {
    setObjectName("tabFile");
    auto* form = ControlFactory::formLayout();

    auto* cmbSetupName = m_cmbSetupName = make.comboBox("cmbSetupName", {"RDX"}, "RDX");
    cmbSetupName->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    cmbSetupName->setMinimumContentsLength(18);
    QLabel* lblSetupName = make.label("lblSetupName", "Choose Setup Type:");
    lblSetupName->setBuddy(cmbSetupName);
    QPushButton* cmdNewSetupType = launchers.newSetupTypeButton();
    auto* setupRow = new QHBoxLayout;
    setupRow->addWidget(cmbSetupName);
    setupRow->addWidget(cmdNewSetupType);
    setupRow->addStretch(1);
    form->addRow(lblSetupName, setupRow);

    m_chkExternalData = new QCheckBox(this);
    m_chkExternalData->setObjectName("chkExternalData");
    QLabel* label4 = make.label("Label4", "Use External Data file?");
    label4->setBuddy(m_chkExternalData);
    form->addRow(label4, m_chkExternalData);
    connect(m_chkExternalData, &QCheckBox::stateChanged, this, &FileTab::externalDataClicked);

    // Paths are not stored in the raw data file, so they keep their full length.
    m_txtRawDataFile = new QLineEdit(this);
    m_txtRawDataFile->setObjectName("txtRawDataFile");
    m_cmdOpenDataFile = new QPushButton("...", this);
    m_cmdOpenDataFile->setObjectName("cmdOpenDataFile");
    m_cmdOpenDataFile->setFixedWidth(m_cmdOpenDataFile->fontMetrics().horizontalAdvance("...") + 24);
    connect(m_cmdOpenDataFile, &QPushButton::clicked, this, &FileTab::openDataFileClicked);
    auto* dataRow = new QHBoxLayout;
    dataRow->addWidget(m_txtRawDataFile, 1);
    dataRow->addWidget(m_cmdOpenDataFile);
    m_lblChooseDataFile = make.label("lblChooseDataFile", "Choose Data File:");
    m_lblChooseDataFile->setBuddy(m_txtRawDataFile);
    form->addRow(m_lblChooseDataFile, dataRow);

    m_dir1 = new FolderList(this);
    m_dir1->setObjectName("Dir1");
    m_dir1->setMinimumHeight(220);
    connect(m_dir1, &FolderList::pathChanged, this, &FileTab::folderChanged);
    m_txtTargetPDFDirectory = new QLineEdit(this);
    m_txtTargetPDFDirectory->setObjectName("txtTargetPDFDirectory");
    auto* folderColumn = new QVBoxLayout;
    folderColumn->addWidget(m_dir1, 1);
    folderColumn->addWidget(m_txtTargetPDFDirectory);
    QLabel* label2 = make.label("Label2", "Specify Target PDF Folder:");
    label2->setBuddy(m_dir1);
    label2->setAlignment(Qt::AlignRight | Qt::AlignTop);
    form->addRow(label2, folderColumn);

    auto* txtTargetPDF = m_txtTargetPDF = new QLineEdit(this);
    txtTargetPDF->setObjectName("txtTargetPDF");
    txtTargetPDF->setReadOnly(true);
    QLabel* label3 = m_label3 = make.label("Label3", "Your New Setup Sheet:");
    label3->setBuddy(txtTargetPDF);
    form->addRow(label3, txtTargetPDF);
    txtTargetPDF->hide();
    label3->hide();

    m_commonDialog1 = new QFileDialog(make.window(), "Open Data File");
    m_commonDialog1->setObjectName("CommonDialog1");
    m_commonDialog1->setFileMode(QFileDialog::ExistingFile);
    m_commonDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    m_commonDialog1->setNameFilter("*.dat");
    m_commonDialog1->setDefaultSuffix("dat");

    QPushButton* cmdOpenSetup = loader.openSetupButton();
    QLabel* lblOpenSetup = make.label("lblOpenSetup", "Setup From a File:");
    lblOpenSetup->setBuddy(cmdOpenSetup);
    form->addRow(lblOpenSetup, cmdOpenSetup);

    QPushButton* cmdLibrary = launchers.libraryButton();
    cmdLibrary->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QLabel* lblLibrary = make.label("lblLibrary", "Earlier Setups:");
    lblLibrary->setBuddy(cmdLibrary);
    form->addRow(lblLibrary, cmdLibrary);
    QLabel* lblLogRun = make.label("lblLogRun", "This Meeting:");
    QWidget* meeting = launchers.meetingButtons();
    lblLogRun->setBuddy(meeting->findChild<QPushButton*>("cmdLogRun"));
    form->addRow(lblLogRun, meeting);
    TeamFolderControl* teamFolder = launchers.teamFolderControl();
    form->addRow(make.label("lblTeamFolder", "Team Folder:"), teamFolder);
    form->addRow(make.label("lblAbout", "Version:"), new AboutVantrel(this));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
}

void FileTab::showDataFileRow(bool shown) {
    for (QWidget* widget : {static_cast<QWidget*>(m_lblChooseDataFile), static_cast<QWidget*>(m_txtRawDataFile),
                            static_cast<QWidget*>(m_cmdOpenDataFile)})
        widget->setVisible(shown);
}

SheetRequest FileTab::sheetRequest() const {
    return {m_cmbSetupName->currentText(), m_chkExternalData->checkState() == Qt::Checked, m_txtRawDataFile->text(),
            m_txtTargetPDFDirectory->text()};
}

void FileTab::showNewSheet(const QString& path) {
    m_txtTargetPDF->setText(path);
    m_txtTargetPDF->setVisible(true);
    m_label3->setVisible(true);
}

void FileTab::externalDataClicked() { showDataFileRow(m_chkExternalData->checkState() != Qt::Unchecked); }

void FileTab::openDataFileClicked() {
    const QFileInfo current(m_txtRawDataFile->text());
    if (!m_txtRawDataFile->text().isEmpty())
        m_commonDialog1->setDirectory(current.isDir() ? current.filePath() : current.path());
    // A cancelled dialog leaves the box as it was.
    if (m_commonDialog1->exec() != QDialog::Accepted) return;
    const QStringList files = m_commonDialog1->selectedFiles();
    if (!files.isEmpty()) m_txtRawDataFile->setText(QDir::toNativeSeparators(files.first()));
}

void FileTab::folderChanged(const QString& path) { m_txtTargetPDFDirectory->setText(path); }

}  // namespace vantrel
