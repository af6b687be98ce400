#include "frmVantrel.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "CSetupManager.h"
#include "ChassisArt.h"
#include "ChassisPictureWidget.h"
#include "FolderList.h"
#include "HoleButton.h"
#include "LibraryWindow.h"
#include "MessageBox.h"
#include "frmNewSetupType.h"
#include "TallTextBox.h"
#include "TextLimit.h"
#include "modStartProgram.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Process.h"

namespace vantrel {

namespace {

frmVantrel* g_instance = nullptr;
std::function<void(int)> g_loadStepHook;

void loadStep(int step) {
    if (g_loadStepHook) g_loadStepHook(step);
}

// Pixels per picture unit at the window's natural size.
constexpr double PictureScale = 1.3;

QString fromStd(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

frmVantrel::frmVantrel(QWidget* parent) : QWidget(parent) {
    g_instance = this;
    setObjectName("frmVantrel");
    setWindowTitle("Vantrel");
    // Closing the window unloads it; the program ends with its last window.
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
    // Room for every picture at its natural size where the screen allows; a
    // new window otherwise opens at two thirds of the screen.
    QSize size = sizeHint();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size);
    loadWindow();
}

frmVantrel::~frmVantrel() {
    if (g_instance == this) g_instance = nullptr;
}

frmVantrel* frmVantrel::instance() { return g_instance; }

void frmVantrel::setLoadStepHookForTesting(std::function<void(int)> hook) { g_loadStepHook = std::move(hook); }

// ---------------------------------------------------------------- building

QLineEdit* frmVantrel::textBox(const QString& name) {
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setMaxLength(textlimit::MaxValueBytes);
    box->setValidator(new textlimit::ByteLimitValidator(textlimit::MaxValueBytes, box));
    return box;
}

QComboBox* frmVantrel::comboBox(const QString& name, const QStringList& items, const QString& start) {
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    box->setEditable(true);
    // Typed text is a value of its own, not a new list item.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    box->setCurrentText(start);
    box->lineEdit()->setMaxLength(textlimit::MaxValueBytes);
    box->setValidator(new textlimit::ByteLimitValidator(textlimit::MaxValueBytes, box));
    box->setMinimumContentsLength(10);
    return box;
}

QLabel* frmVantrel::label(const QString& name, const QString& text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    return l;
}

QGroupBox* frmVantrel::frame(const QString& name, const QString& title) {
    auto* f = new QGroupBox(title, this);
    f->setObjectName(name);
    // Frames keep to their contents; spare height goes below them.
    f->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    return f;
}

QFormLayout* frmVantrel::formLayout() {
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    return form;
}

void frmVantrel::addRow(QFormLayout* form, const QString& caption, QWidget* field) {
    QLabel* l = label("lbl" + field->objectName().mid(3), caption);
    l->setBuddy(field);
    form->addRow(l, field);
}

void frmVantrel::addRow(QFormLayout* form, const QString& caption, QWidget* field, const QString& unit) {
    QLabel* l = label("lbl" + field->objectName().mid(3), caption);
    l->setBuddy(field);
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    QLabel* u = label("lblUnit" + field->objectName().mid(3), unit);
    u->setMinimumWidth(u->fontMetrics().horizontalAdvance("lbs") + 4);
    row->addWidget(u);
    form->addRow(l, row);
}

QButtonGroup* frmVantrel::buttonGroup(const QString& name) {
    if (auto* group = findChild<QButtonGroup*>(name, Qt::FindDirectChildrenOnly)) return group;
    auto* group = new QButtonGroup(this);
    group->setObjectName(name);
    group->setExclusive(true);
    return group;
}

QList<ChassisPictureWidget*> frmVantrel::pictures(const QStringList& groups) {
    QList<ChassisPictureWidget*> result;
    for (const art::Picture& picture : art::pictures()) {
        bool wanted = false;
        for (const art::Hole& hole : picture.holes) wanted = wanted || groups.contains(fromStd(hole.group));
        if (!wanted) continue;
        auto* widget = new ChassisPictureWidget(picture, PictureScale, this);
        for (HoleButton* button : widget->buttons())
            buttonGroup(button->objectName())->addButton(button, button->property("index").toInt());
        result.append(widget);
    }
    return result;
}

void frmVantrel::buildWindow() {
    // A little larger than the desktop's text: the window is read at the track.
    QFont windowFont = font();
    windowFont.setPointSizeF(windowFont.pointSizeF() * 1.1);
    setFont(windowFont);

    auto* lblTitle = label("lblTitle", "Vantrel");
    QFont titleFont("DejaVu Serif");
    titleFont.setPointSizeF(windowFont.pointSizeF() * 2.4);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    titleFont.setLetterSpacing(QFont::PercentageSpacing, 104);
    lblTitle->setFont(titleFont);
    QPalette titlePalette = lblTitle->palette();
    titlePalette.setColor(QPalette::WindowText, QColor(176, 48, 16));
    lblTitle->setPalette(titlePalette);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName("SSTab1");
    m_tabs->addTab(buildEventDetailsTab(), "Event Details");
    m_tabs->addTab(buildFrontTab(), "Front");
    m_tabs->addTab(buildRearTab(), "Rear");
    m_tabs->addTab(buildTyresTab(), "Tyres");
    m_tabs->addTab(buildOtherTab(), "Other");
    m_tabs->addTab(buildFileTab(), "File");
    m_tabs->setCurrentIndex(0);
    // Tabs are picked with the mouse; keyboard focus belongs to the fields.
    m_tabs->setFocusPolicy(Qt::NoFocus);
    m_tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
    connect(m_tabs, &QTabWidget::currentChanged, this, &frmVantrel::tabChanged);

    auto* cmdCancel = new QPushButton("Close", this);
    cmdCancel->setObjectName("cmdCancel");
    auto* cmdCreateSetupSheet = new QPushButton("Create >", this);
    cmdCreateSetupSheet->setObjectName("cmdCreateSetupSheet");
    cmdCreateSetupSheet->setDefault(true);
    for (QPushButton* button : {cmdCancel, cmdCreateSetupSheet}) button->setMinimumWidth(110);
    connect(cmdCancel, &QPushButton::clicked, this, &frmVantrel::cancelClicked);
    connect(cmdCreateSetupSheet, &QPushButton::clicked, this, &frmVantrel::createSetupSheetClicked);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdCreateSetupSheet);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 8, 14, 12);
    layout->addWidget(lblTitle);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    layout->addWidget(buildStatusLine());
}

QWidget* frmVantrel::buildEventDetailsTab() {
    auto* page = new QWidget(this);
    page->setObjectName("tabEventDetails");

    auto* raceMeeting = frame("FrameRaceMeeting", "Race Meeting");
    auto* raceForm = formLayout();
    addRow(raceForm, "Driver Name:", textBox("txtDriverName"));
    addRow(raceForm, "Track / City:", textBox("txtTrackCity"));
    addRow(raceForm, "Event:", textBox("txtEventName"));
    addRow(raceForm, "Date:", textBox("txtEventDate"));
    raceMeeting->setLayout(raceForm);

    auto* conditions = frame("FrameTrackConditions", "Track Conditions");
    auto* conditionsForm = formLayout();
    addRow(conditionsForm, "Surface:", textBox("txtTrackSurface"));
    addRow(conditionsForm, "Traction:", textBox("txtTrackTraction"));
    addRow(
        conditionsForm, "Composition:",
        comboBox("cmbTrackComposition",
                 {"Asphalt", "Concrete", "Carpet", "Indoor Asphalt", "Indoor Concrete", "Indoor Carpet"}, "Asphalt"));
    addRow(conditionsForm, "Track Temp:", textBox("txtTrackTemp"));
    conditions->setLayout(conditionsForm);

    auto* results = frame("FrameResults", "Results");
    auto* resultsForm = formLayout();
    addRow(resultsForm, "Main:", textBox("txtMain"));
    addRow(resultsForm, "Qualifying Position:", textBox("txtQualPos"));
    addRow(resultsForm, "Finishing Position:", textBox("txtFinishPos"));
    auto* txtNotes = new TallTextBox(this);
    txtNotes->setObjectName("txtNotes");
    txtNotes->setMaxBytes(textlimit::MaxValueBytes);
    addRow(resultsForm, "Notes:", txtNotes);
    if (auto* notesLabel = qobject_cast<QLabel*>(resultsForm->labelForField(txtNotes)))
        notesLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    results->setLayout(resultsForm);

    auto* left = new QVBoxLayout;
    left->addWidget(raceMeeting);
    left->addWidget(conditions);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(results);
    right->addStretch(1);

    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);
    return page;
}

QWidget* frmVantrel::buildFrontTab() {
    auto* page = new QWidget(this);
    page->setObjectName("tabFront");

    auto* single = formLayout();
    addRow(single, "Castor:", comboBox("cmbCastor", {"0 deg", "2 deg", "4 deg", "6 deg"}, "4 deg"));

    auto* toeRow = new QHBoxLayout;
    QLineEdit* txtFrontToe = textBox("txtFrontToe");
    toeRow->addWidget(txtFrontToe, 1, Qt::AlignVCenter);
    auto* toeFrame = new QFrame(this);
    toeFrame->setObjectName("FrameFrontToe");
    toeFrame->setFrameShape(QFrame::StyledPanel);
    auto* toeLayout = new QHBoxLayout(toeFrame);
    toeLayout->setContentsMargins(8, 1, 8, 1);
    QButtonGroup* toeGroup = buttonGroup("OptionFrontToe");
    const QStringList toeCaptions = {"Toe-in", "Toe-out"};
    for (int index = 0; index < toeCaptions.size(); ++index) {
        auto* option = new QRadioButton(toeCaptions[index], toeFrame);
        option->setObjectName("OptionFrontToe");
        option->setProperty("index", index);
        toeGroup->addButton(option, index);
        toeLayout->addWidget(option);
    }
    toeGroup->button(0)->setChecked(true);
    toeRow->addWidget(toeFrame);
    QLabel* toeLabel = label("lblFrontToe", "Toe:");
    toeLabel->setBuddy(txtFrontToe);
    single->addRow(toeLabel, toeRow);

    addRow(single, "Camber:", textBox("txtFrontCamber"));
    addRow(single, "Ride Height:", textBox("txtFrontRideHeight"));
    addRow(single, "Droop:", textBox("txtFrontDroop"));
    addRow(single, "Wheelbase:", comboBox("cmbFrontWheelbase", {"Short", "Middle", "Long"}, "Middle"));
    addRow(single, "Anti-Roll Bar:", comboBox("cmbFrontAntiRollBar", {"No", "1.3mm", "1.9mm"}, "No"));
    addRow(single, "Front Drive:", comboBox("cmbFrontDrive", {"One-way", "Spool", "Diff"}, "One-way"));
    addRow(single, "Steering Block:", comboBox("cmbFrontSteeringBlock", {"Moulded", "Aluminium"}, "Moulded"));

    auto* shocks = frame("FrameFrontShocks", "Shocks");
    auto* shocksForm = formLayout();
    addRow(shocksForm, "Oil:", textBox("txtFrontShockOil"), "WT");
    addRow(shocksForm, "Piston:", textBox("txtFrontPiston"));
    addRow(shocksForm, "Spring:", textBox("txtFrontSpring"), "lbs");
    shocks->setLayout(shocksForm);

    auto* left = new QVBoxLayout;
    left->addLayout(single);
    left->addWidget(shocks);
    left->addStretch(1);

    auto* geometry = frame("FrameFrontGeometry", "Shock Tower, Arms, Geometry");
    auto* geometryLayout = new QVBoxLayout(geometry);
    for (auto* picture : pictures({"OptionFrontShockTower", "OptionFrontShockTowerCamber", "OptionFrontShockArm"}))
        geometryLayout->addWidget(picture, 0, Qt::AlignHCenter);
    auto* materialForm = formLayout();
    addRow(materialForm, "Arm Material:",
           comboBox("cmbFrontArmMaterial", {"Moulded", "Composite", "Composite 50%", "Composite 75%", "Aluminium"},
                    "Moulded"));
    geometryLayout->addLayout(materialForm);

    auto* ackerman = frame("FrameAckerman", "Ackerman");
    auto* ackermanLayout = new QHBoxLayout(ackerman);
    for (auto* picture : pictures({"OptionAckermanBellcrank", "OptionAckermanHub"}))
        ackermanLayout->addWidget(picture, 0, Qt::AlignCenter);

    auto* kickup = frame("FrameFrontKickup", "Kick-up");
    auto* kickupLayout = new QHBoxLayout(kickup);
    // The picture carries the columns of positions and their two "0" marks.
    for (auto* picture : pictures({"OptionFrontKickupF", "OptionFrontKickupR"}))
        kickupLayout->addWidget(picture, 0, Qt::AlignCenter);

    // Side by side, the two frames share one height.
    for (QGroupBox* f : {ackerman, kickup}) f->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    auto* lower = new QHBoxLayout;
    lower->addWidget(ackerman, 1);
    lower->addWidget(kickup, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(geometry);
    right->addLayout(lower);
    right->addStretch(1);

    auto* layout = new QHBoxLayout(page);
    // The fields keep their natural width; the pictures take the rest.
    layout->addLayout(left, 0);
    layout->addLayout(right, 1);
    return page;
}

QWidget* frmVantrel::buildRearTab() {
    auto* page = new QWidget(this);
    page->setObjectName("tabRear");

    auto* single = formLayout();
    addRow(single, "Toe-in:", textBox("txtRearToeIn"));
    addRow(single, "Camber:", textBox("txtRearCamber"));
    addRow(single, "Ride Height:", textBox("txtRearRideHeight"));
    addRow(single, "Droop:", textBox("txtRearDroop"));
    addRow(single, "Wheelbase:", comboBox("cmbRearWheelbase", {"Short", "Middle", "Long"}, "Middle"));
    addRow(single, "Anti-Roll Bar:", comboBox("cmbRearAntiRollBar", {"No", "1.3mm", "1.9mm"}, "No"));
    addRow(single, "Upright Toe-in:", comboBox("cmbRearUprightToeIn", {"0 deg", "2 deg"}, "0 deg"));

    auto* shocks = frame("FrameRearShocks", "Shocks");
    auto* shocksForm = formLayout();
    addRow(shocksForm, "Oil:", textBox("txtRearOil"), "WT");
    addRow(shocksForm, "Piston:", textBox("txtRearPiston"));
    addRow(shocksForm, "Spring:", textBox("txtRearSpring"), "lbs");
    shocks->setLayout(shocksForm);

    auto* left = new QVBoxLayout;
    left->addLayout(single);
    left->addWidget(shocks);
    left->addStretch(1);

    auto* geometry = frame("FrameRearGeometry", "Shock Tower, Arms, Geometry");
    // The tower with the tall hub carrier beside it, the arms below both.
    auto* geometryLayout = new QGridLayout(geometry);
    const auto towerAndArms = pictures({"OptionRearShockTower", "OptionRearShockTowerCamber", "OptionRearShockArm"});
    int row = 0;
    for (auto* picture : towerAndArms) {
        if (row == 0) geometryLayout->addWidget(picture, row, 0, Qt::AlignCenter);
        else geometryLayout->addWidget(picture, row, 0, 1, 2, Qt::AlignCenter);
        ++row;
    }
    for (auto* picture : pictures({"OptionRearHubCamber"})) geometryLayout->addWidget(picture, 0, 1, Qt::AlignCenter);
    auto* materialForm = formLayout();
    addRow(materialForm, "Arm Material:",
           comboBox("cmbRearArmMaterial", {"Moulded", "Composite", "Composite 50%", "Composite 75%", "Aluminium"},
                    "Moulded"));
    geometryLayout->addLayout(materialForm, row, 0, 1, 2);

    auto* kickup = frame("FrameRearKickup", "Kick-up");
    auto* kickupLayout = new QHBoxLayout(kickup);
    for (auto* picture : pictures({"OptionRearAntisquatF", "OptionRearAntisquatR"}))
        kickupLayout->addWidget(picture, 0, Qt::AlignCenter);

    auto* right = new QVBoxLayout;
    right->addWidget(geometry);
    right->addWidget(kickup);
    right->addStretch(1);

    auto* layout = new QHBoxLayout(page);
    // The fields keep their natural width; the pictures take the rest.
    layout->addLayout(left, 0);
    layout->addLayout(right, 1);
    return page;
}

QWidget* frmVantrel::buildTyresTab() {
    auto* page = new QWidget(this);
    page->setObjectName("tabTyres");

    auto* tyres = frame("FrameTyres", "Tyres");
    auto* grid = new QGridLayout(tyres);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    QFont headingFont = font();
    headingFont.setBold(true);
    QLabel* front = label("lblFrontHeading", "Front");
    QLabel* rear = label("lblRearHeading", "Rear");
    front->setFont(headingFont);
    rear->setFont(headingFont);
    grid->addWidget(front, 0, 1);
    grid->addWidget(rear, 0, 2);
    auto* chkSame = new QCheckBox("same as front", this);
    chkSame->setObjectName("chkSameFrontRearTyres");
    grid->addWidget(chkSame, 1, 2);
    connect(chkSame, &QCheckBox::stateChanged, this, &frmVantrel::sameFrontRearTyresClicked);

    const struct {
        const char* caption;
        const char* front;
        const char* rear;
    } rows[] = {{"Tyres:", "txtFrontTyres", "txtRearTyres"},
                {"Compound:", "txtFrontCompound", "txtRearCompound"},
                {"Inserts:", "txtFrontInsert", "txtRearInsert"},
                {"Rims:", "txtFrontRims", "txtRearRims"}};
    int row = 2;
    QList<QLineEdit*> rearBoxes;
    for (const auto& r : rows) {
        QLineEdit* frontBox = textBox(r.front);
        QLabel* caption = label(QString("lbl") + (r.front + 8), r.caption);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        caption->setBuddy(frontBox);
        grid->addWidget(caption, row, 0);
        grid->addWidget(frontBox, row, 1);
        rearBoxes.append(textBox(r.rear));
        ++row;
    }
    // Rear boxes come after all front ones in the tab order, so a racer
    // types the front column top to bottom, then the rear one.
    for (int i = 0; i < rearBoxes.size(); ++i) grid->addWidget(rearBoxes[i], 2 + i, 2);

    auto* additive = formLayout();
    addRow(additive, "Additive:", textBox("txtAdditive"));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(tyres);
    layout->addLayout(additive);
    layout->addStretch(1);
    return page;
}

QWidget* frmVantrel::buildOtherTab() {
    auto* page = new QWidget(this);
    page->setObjectName("tabOther");

    auto* motor = frame("FrameMotor", "Motor");
    auto* motorForm = formLayout();
    addRow(motorForm, "Motor:", textBox("txtMotor"));
    addRow(motorForm, "Brush:", textBox("txtMotorBrush"));
    addRow(motorForm, "Spring:", textBox("txtMotorSpring"));
    addRow(motorForm, "Pinion:", textBox("txtPinion"));
    addRow(motorForm, "Spur:", textBox("txtSpur"));
    motor->setLayout(motorForm);

    auto* electronics = frame("FrameElectronics", "Electronics");
    auto* electronicsForm = formLayout();
    addRow(electronicsForm, "Radio:", textBox("txtRadio"));
    addRow(electronicsForm, "ESC:", textBox("txtESC"));
    addRow(electronicsForm, "Servo:", textBox("txtServo"));
    electronics->setLayout(electronicsForm);

    auto* frames = new QHBoxLayout;
    frames->addWidget(motor, 1, Qt::AlignTop);
    frames->addWidget(electronics, 1, Qt::AlignTop);

    // Body, wing and lead weights as wide as the frames' fields; the
    // comments across the whole tab.
    auto* rest = new QGridLayout;
    rest->setColumnStretch(1, 1);
    rest->setColumnStretch(2, 1);
    const std::pair<const char*, const char*> single[] = {
        {"Body:", "txtBody"}, {"Wing:", "txtWing"}, {"Lead Weights:", "txtLeadWeights"}, {"Comments:", "txtComments"}};
    int row = 0;
    for (const auto& [caption, name] : single) {
        QLineEdit* box = textBox(name);
        QLabel* l = label(QString("lbl") + (name + 3), caption);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setBuddy(box);
        rest->addWidget(l, row, 0);
        rest->addWidget(box, row, 1, 1, row == 3 ? 2 : 1);
        ++row;
    }

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(frames);
    layout->addLayout(rest);
    layout->addStretch(1);
    return page;
}

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

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch(1);
    return page;
}

QPushButton* frmVantrel::buildLibraryButton() {
    auto* cmdLibrary = new QPushButton("Library…", this);
    cmdLibrary->setObjectName("cmdLibrary");
    cmdLibrary->setToolTip("Every setup made so far (Ctrl+L)");
    connect(cmdLibrary, &QPushButton::clicked, this, &frmVantrel::openLibrary);
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(shortcut, &QShortcut::activated, this, &frmVantrel::openLibrary);
    return cmdLibrary;
}

void frmVantrel::openLibrary() {
    if (!m_libraryWindow) {
        std::string path;
        try {
            path = library::LibraryWindow::programLibraryPath();
        } catch (const platform::Error& error) {
            MessageBox::critical(this, "Vantrel", QString::fromStdString("Error: " + error.source()));
            return;
        }
        auto* window = new library::LibraryWindow(path, this, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        connect(window, &library::LibraryWindow::loadRequested, this,
                [this](const QStringList& values, const QString& setupType) {
                    std::array<std::string, SetupFieldCount> setup;
                    for (std::size_t i = 0; i < setup.size() && i < std::size_t(values.size()); ++i)
                        setup[i] = values[int(i)].toStdString();
                    loadSetup(setup, "the setup library (" + setupType + ")");
                });
        m_libraryWindow = window;
    }
    m_libraryWindow->show();
    m_libraryWindow->raise();
    m_libraryWindow->activateWindow();
}

// ---------------------------------------------------------------- handlers

void frmVantrel::loadWindow() {
    auto* txtTargetPDFDirectory = control<QLineEdit>("txtTargetPDFDirectory");
    auto* txtRawDataFile = control<QLineEdit>("txtRawDataFile");
    try {
        loadStep(1);
        CSetupManager manager;
        manager.LoadConfig();
        loadStep(2);
        m_dir1->setPath(QString::fromStdString(platform::process::programFolder()));
        loadStep(3);
        txtTargetPDFDirectory->setText(m_dir1->path());
        loadStep(4);
        const auto config = manager.GetConfig();
        if (!config) platform::raise(platform::ErrObjectNotSet, "frmVantrel");
        txtRawDataFile->setText(QString::fromStdString(platform::paths::toNative(config->DataDirectory())));
        loadStep(5);
        control<QLabel>("lblChooseDataFile")->hide();
        txtRawDataFile->hide();
        control<QPushButton>("cmdOpenDataFile")->hide();
        refreshSetupTypes();
    } catch (...) {
        // The window opens all the same; what did not run keeps its start state.
        MessageBox::critical(this, "Vantrel", "Error reading config file.");
    }
}

bool frmVantrel::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate) windowActivated();
    return handled;
}

void frmVantrel::windowActivated() {
    // Only while its tab shows: typing into a box on a hidden tab would go
    // where the racer cannot see it.
    auto* txtDriverName = control<QLineEdit>("txtDriverName");
    if (m_tabs->currentIndex() == 0) txtDriverName->setFocus(Qt::ActiveWindowFocusReason);
}

void frmVantrel::tabChanged(int index) {
    static const char* const firstFields[] = {"txtDriverName", "cmbCastor", "txtRearToeIn",
                                              "txtFrontTyres", "txtMotor",  "cmbSetupName"};
    if (index < 0 || index >= int(std::size(firstFields))) return;
    if (auto* field = control<QWidget>(firstFields[index])) field->setFocus(Qt::TabFocusReason);
}

void frmVantrel::externalDataClicked() {
    const bool shown = control<QCheckBox>("chkExternalData")->checkState() != Qt::Unchecked;
    control<QLabel>("lblChooseDataFile")->setVisible(shown);
    control<QLineEdit>("txtRawDataFile")->setVisible(shown);
    control<QPushButton>("cmdOpenDataFile")->setVisible(shown);
}

void frmVantrel::sameFrontRearTyresClicked() {
    const bool same = control<QCheckBox>("chkSameFrontRearTyres")->checkState() == Qt::Checked;
    const char* const pairs[][2] = {{"txtFrontTyres", "txtRearTyres"},
                                    {"txtFrontCompound", "txtRearCompound"},
                                    {"txtFrontInsert", "txtRearInsert"},
                                    {"txtFrontRims", "txtRearRims"}};
    for (const auto& pair : pairs)
        control<QLineEdit>(pair[1])->setText(same ? control<QLineEdit>(pair[0])->text() : QString());
}

void frmVantrel::openDataFileClicked() {
    auto* txtRawDataFile = control<QLineEdit>("txtRawDataFile");
    const QFileInfo current(txtRawDataFile->text());
    if (!txtRawDataFile->text().isEmpty())
        m_commonDialog1->setDirectory(current.isDir() ? current.filePath() : current.path());
    // A cancelled dialog leaves the box as it was.
    if (m_commonDialog1->exec() != QDialog::Accepted) return;
    const QStringList files = m_commonDialog1->selectedFiles();
    if (!files.isEmpty()) txtRawDataFile->setText(QDir::toNativeSeparators(files.first()));
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

void frmVantrel::folderChanged(const QString& path) { control<QLineEdit>("txtTargetPDFDirectory")->setText(path); }

void frmVantrel::createSetupSheetClicked() { RunSetupSheet(); }

void frmVantrel::cancelClicked() {
    hide();
    close();
}

}  // namespace vantrel
