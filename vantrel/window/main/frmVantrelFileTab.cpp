// The File tab of the main window: the setup type, an external raw data
// file, the target folder, the new sheet's path, and the ways to other
// setups (Open Setup, the library, the team folder).

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "FolderList.h"
#include "frmVantrel.h"

namespace vantrel {

QWidget* frmVantrel::buildFileTab() {
    auto* page = new QWidget(this);
    page->setObjectName("tabFile");
    auto* form = formLayout();

    auto* cmbSetupName = comboBox("cmbSetupName", {"RDX"}, "RDX");
    cmbSetupName->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    cmbSetupName->setMinimumContentsLength(18);
    QLabel* lblSetupName = label("lblSetupName", "Choose Setup Type:");
    lblSetupName->setBuddy(cmbSetupName);
    auto* cmdNewSetupType = new QPushButton("New Setup Type…", this);
    cmdNewSetupType->setObjectName("cmdNewSetupType");
    connect(cmdNewSetupType, &QPushButton::clicked, this, &frmVantrel::newSetupTypeClicked);
    auto* setupRow = new QHBoxLayout;
    setupRow->addWidget(cmbSetupName);
    setupRow->addWidget(cmdNewSetupType);
    setupRow->addStretch(1);
    form->addRow(lblSetupName, setupRow);

    auto* chkExternalData = new QCheckBox(this);
    chkExternalData->setObjectName("chkExternalData");
    QLabel* label4 = label("Label4", "Use External Data file?");
    label4->setBuddy(chkExternalData);
    form->addRow(label4, chkExternalData);
    connect(chkExternalData, &QCheckBox::stateChanged, this, &frmVantrel::externalDataClicked);

    // Paths are not stored in the raw data file, so they keep their full length.
    auto* txtRawDataFile = new QLineEdit(this);
    txtRawDataFile->setObjectName("txtRawDataFile");
    auto* cmdOpenDataFile = new QPushButton("...", this);
    cmdOpenDataFile->setObjectName("cmdOpenDataFile");
    cmdOpenDataFile->setFixedWidth(cmdOpenDataFile->fontMetrics().horizontalAdvance("...") + 24);
    connect(cmdOpenDataFile, &QPushButton::clicked, this, &frmVantrel::openDataFileClicked);
    auto* dataRow = new QHBoxLayout;
    dataRow->addWidget(txtRawDataFile, 1);
    dataRow->addWidget(cmdOpenDataFile);
    QLabel* lblChooseDataFile = label("lblChooseDataFile", "Choose Data File:");
    lblChooseDataFile->setBuddy(txtRawDataFile);
    form->addRow(lblChooseDataFile, dataRow);

    m_dir1 = new FolderList(this);
    m_dir1->setObjectName("Dir1");
    m_dir1->setMinimumHeight(220);
    connect(m_dir1, &FolderList::pathChanged, this, &frmVantrel::folderChanged);
    auto* txtTargetPDFDirectory = new QLineEdit(this);
    txtTargetPDFDirectory->setObjectName("txtTargetPDFDirectory");
    auto* folderColumn = new QVBoxLayout;
    folderColumn->addWidget(m_dir1, 1);
    folderColumn->addWidget(txtTargetPDFDirectory);
    QLabel* label2 = label("Label2", "Specify Target PDF Folder:");
    label2->setBuddy(m_dir1);
    label2->setAlignment(Qt::AlignRight | Qt::AlignTop);
    form->addRow(label2, folderColumn);

    auto* txtTargetPDF = new QLineEdit(this);
    txtTargetPDF->setObjectName("txtTargetPDF");
    txtTargetPDF->setReadOnly(true);
    QLabel* label3 = label("Label3", "Your New Setup Sheet:");
    label3->setBuddy(txtTargetPDF);
    form->addRow(label3, txtTargetPDF);
    txtTargetPDF->hide();
    label3->hide();

    m_commonDialog1 = new QFileDialog(this, "Open Data File");
    m_commonDialog1->setObjectName("CommonDialog1");
    m_commonDialog1->setFileMode(QFileDialog::ExistingFile);
    m_commonDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    m_commonDialog1->setNameFilter("*.dat");
    m_commonDialog1->setDefaultSuffix("dat");

    addOpenSetup(form);

    QPushButton* cmdLibrary = buildLibraryButton();
    cmdLibrary->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QLabel* lblLibrary = label("lblLibrary", "Earlier Setups:");
    lblLibrary->setBuddy(cmdLibrary);
    form->addRow(lblLibrary, cmdLibrary);
    buildTeamFolderRow(form);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch(1);
    return page;
}

}  // namespace vantrel
