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
#include <QTabWidget>
#include <QVBoxLayout>

#include "CSetupManager.h"
#include "ChassisArt.h"
#include "ChassisPictureWidget.h"
#include "FolderList.h"
#include "HoleButton.h"
#include "LastHereOffer.h"
#include "LibraryWindow.h"
#include "TeamWatch.h"
#include "MessageBox.h"
#include "TallTextBox.h"
#include "TextLimit.h"
#include "CharactersLeft.h"
#include "SetupControls.h"
#include "WheelGuard.h"
#include "WindowGeometry.h"
#include "modStartProgram.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Process.h"

namespace vantrel {

namespace {

std::function<void(int)> g_loadStepHook;

void loadStep(int step) {
    if (g_loadStepHook) g_loadStepHook(step);
}

}  // namespace

frmVantrel::frmVantrel(QWidget* parent) : QWidget(parent) {
    setObjectName("frmVantrel");
    setWindowTitle("Vantrel");
    // Closing the window unloads it; the program ends with its last window.
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
    // The setup of the last meeting at the track typed, offered in the status line.
    new library::LastHereOffer(this, [this](const auto& values, const QString& from) { loadSetup(values, from); });
    // Room for every picture at its natural size where the screen allows; a
    // new window otherwise opens at two thirds of the screen.
    QSize size = sizeHint();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size);
    windowgeometry::remember(this);
    loadWindow();
}

frmVantrel::~frmVantrel() = default;

frmVantrel* frmVantrel::instance() { return dynamic_cast<frmVantrel*>(MainForm::current()); }

void frmVantrel::setLoadStepHookForTesting(std::function<void(int)> hook) { g_loadStepHook = std::move(hook); }

// ---------------------------------------------------------------- building

// The control factories are in frmVantrelControls.cpp, the launchers of the
// other windows in frmVantrelLaunchers.cpp.

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

// The File tab is built in frmVantrelFileTab.cpp.

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
    // The team's sheets come in from the start.
    m_teamWatch->restart();
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

void frmVantrel::folderChanged(const QString& path) { control<QLineEdit>("txtTargetPDFDirectory")->setText(path); }

void frmVantrel::createSetupSheetClicked() { RunSetupSheet(); }

// A window hidden before its close is no longer visible when it closes, so
// it would not count as the last window and the program would stay running.
void frmVantrel::cancelClicked() { close(); }

}  // namespace vantrel
