#include "frmVantrel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ChassisPictureWidget.h"
#include "SetupControls.h"
#include "FileTab.h"
#include "FolderList.h"
#include "InstallationCheck.h"
#include "LastHereOffer.h"
#include "MessageBox.h"
#include "SetupLoader.h"
#include "StatusLine.h"
#include "WindowGeometry.h"
#include "WindowLaunchers.h"
#include "WindowState.h"
#include "modStartProgram.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Process.h"

namespace vantrel {

namespace {

using F = SetupField;

// The Tyres grid's rows, front and rear; "same as front" copies along them.
constexpr std::pair<SetupField, SetupField> kTyreRows[] = {{F::FrontTyres, F::RearTyres},
                                                           {F::FrontTyreCompound, F::RearTyreCompound},
                                                           {F::FrontInsert, F::RearInsert},
                                                           {F::FrontWheel, F::RearWheel}};

QString nameOf(SetupField field) { return QString::fromUtf8(SetupControls[std::size_t(field)].control); }

}  // namespace

frmVantrel::frmVantrel(Installation installation, MainWindowOptions options, QWidget* parent)
    : QWidget(parent), m_installation(std::move(installation)), m_options(std::move(options)) {
    setObjectName("frmVantrel");
    setWindowTitle("Vantrel");
    // Closing the window unloads it; the program ends with its last window.
    setAttribute(Qt::WA_DeleteOnClose);
    m_loader = new SetupLoader(*this);
    m_launchers = new WindowLaunchers(*this, m_installation, m_options.dialogs, *m_loader);
    buildWindow();
    // The setup of the last meeting at the track typed, offered in the status line.
    m_lastHere = new library::LastHereOffer(*this, [this](const auto& values, const QString& from) {
        // Loaded, in whole or in part, unless the racer kept their typing.
        // The car alone: the meeting and the day's conditions typed stay.
        return m_loader->loadCar(values, from) || !m_loader->typedSinceKept();
    });
    connect(control<QLineEdit>(nameOf(F::TrackCity)), &QLineEdit::editingFinished, m_lastHere,
            [this] { m_lastHere->offerFor(typedMeeting()); });
    // Room for every picture at its natural size where the screen allows; a
    // new window otherwise opens at two thirds of the screen.
    QSize size = sizeHint();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size);
    // The places of every window travel with the program folder, beside the window's own state.
    windowgeometry::keepPlacesIn(QFileInfo(WindowState::fileOf(m_installation)).dir().filePath("WindowPlaces.json"));
    windowgeometry::remember(this);
    loadWindow();
    // Back as the racer left it: an addition after the start, which stays as it is.
    m_state = new WindowState(this, m_tabs, m_fileTab->targetFolders(), m_installation);
    if (const QString warning = m_state->restore(); !warning.isEmpty()) m_statusLine->showWarning(warning);
}

frmVantrel::~frmVantrel() = default;

bool frmVantrel::loadSetup(const Setup& values, const QString& from) { return m_loader->loadSetup(values, from); }

bool frmVantrel::openSetupFile(const QString& path) { return m_loader->openSetupFile(path); }

SheetRequest frmVantrel::sheetRequest() const { return m_fileTab->sheetRequest(); }

void frmVantrel::showNewSheet(const QString& path) { m_fileTab->showNewSheet(path); }

void frmVantrel::showSheetCreated(const QString& sheetPath, const QString& warnings) {
    m_statusLine->showSheetCreated(sheetPath, warnings);
    // A sheet made from the controls keeps what they hold: a load over them
    // loses nothing. One made from a chosen data file keeps none of it.
    if (control<QCheckBox>("chkExternalData")->checkState() == Qt::Unchecked) m_loader->markKept();
}

void frmVantrel::showStatusWarning(const QString& text) { m_statusLine->showWarning(text); }

void frmVantrel::showStatusText(const QString& text) { m_statusLine->showText(text); }

void frmVantrel::showStatusAbout(const QString& before, const QString& path, const QString& after, bool warning) {
    m_statusLine->showAbout(before, path, after, warning);
}

QString frmVantrel::textOf(SetupField field) const {
    const auto* box = control<QLineEdit>(nameOf(field));
    return box ? box->text() : QString();
}

library::TypedMeeting frmVantrel::typedMeeting() const {
    return {textOf(F::DriverName), textOf(F::TrackCity), textOf(F::TrackTemperature), textOf(F::TrackTraction),
            textOf(F::TrackSurface)};
}

void frmVantrel::addToStatusLine(const std::vector<QWidget*>& widgets) { m_statusLine->addFirst(widgets); }

void frmVantrel::statusOfferShown() { m_statusLine->offerShown(); }

void frmVantrel::statusOfferWithdrawn() { m_statusLine->offerWithdrawn(); }

// ---------------------------------------------------------------- building

void frmVantrel::buildWindow() {
    // A little larger than the desktop's text: the window is read at the track.
    QFont windowFont = font();
    windowFont.setPointSizeF(windowFont.pointSizeF() * 1.1);
    setFont(windowFont);

    auto* lblTitle = m_make.label("lblTitle", "Vantrel");
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
    m_tabs->addTab(m_fileTab = new FileTab(m_make, *m_loader, *m_launchers), "File");
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
    // The sheet from whatever field has the focus, without tabbing to Create.
    cmdCreateSetupSheet->setToolTip("Build the setup sheet (Ctrl+Return)");
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setObjectName("shortcutCreateSetupSheet");
        connect(shortcut, &QShortcut::activated, cmdCreateSetupSheet, &QPushButton::click);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdCreateSetupSheet);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 8, 14, 12);
    layout->addWidget(lblTitle);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    m_statusLine = new StatusLine(this);
    layout->addWidget(m_statusLine);
}

QWidget* frmVantrel::buildEventDetailsTab() {
    auto* page = new QWidget(this);
    page->setObjectName("tabEventDetails");

    auto* raceMeeting = m_make.frame("FrameRaceMeeting", "Race Meeting");
    auto* raceForm = m_make.formLayout();
    m_make.addRows(raceForm, {F::DriverName, F::TrackCity, F::EventName, F::EventDate});
    raceMeeting->setLayout(raceForm);

    auto* conditions = m_make.frame("FrameTrackConditions", "Track Conditions");
    auto* conditionsForm = m_make.formLayout();
    m_make.addRows(conditionsForm, {F::TrackSurface, F::TrackTraction, F::TrackComposition, F::TrackTemperature});
    conditions->setLayout(conditionsForm);

    auto* results = m_make.frame("FrameResults", "Results");
    auto* resultsForm = m_make.formLayout();
    m_make.addRows(resultsForm, {F::ResultsMain, F::ResultsQualifyingPos, F::ResultsFinishPos, F::Notes});
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

    auto* single = m_make.formLayout();
    m_make.addRows(single, {F::FrontCastor});
    m_make.addOptionRow(single, F::FrontToeIn);
    m_make.addRows(single, {F::FrontCamber, F::FrontRideHeight, F::FrontDroop, F::FrontWheelBase, F::FrontAntiRollBar,
                            F::FrontDrive, F::FrontSteeringBlock});

    auto* shocks = m_make.frame("FrameFrontShocks", "Shocks");
    auto* shocksForm = m_make.formLayout();
    m_make.addRows(shocksForm, {F::FrontShockOil, F::FrontShockPiston, F::FrontShockSpring});
    shocks->setLayout(shocksForm);

    auto* left = new QVBoxLayout;
    left->addLayout(single);
    left->addWidget(shocks);
    left->addStretch(1);

    auto* geometry = m_make.frame("FrameFrontGeometry", "Shock Tower, Arms, Geometry");
    auto* geometryLayout = new QVBoxLayout(geometry);
    for (auto* picture : m_make.pictures({F::FrontShockTower, F::FrontShockTowerCamber, F::FrontArmShock}))
        geometryLayout->addWidget(picture, 0, Qt::AlignHCenter);
    auto* materialForm = m_make.formLayout();
    m_make.addRows(materialForm, {F::FrontArmMaterial});
    geometryLayout->addLayout(materialForm);

    auto* ackerman = m_make.frame("FrameAckerman", "Ackerman");
    auto* ackermanLayout = new QHBoxLayout(ackerman);
    for (auto* picture : m_make.pictures({F::AckermanBellcrank, F::AckermanHub}))
        ackermanLayout->addWidget(picture, 0, Qt::AlignCenter);

    auto* kickup = m_make.frame("FrameFrontKickup", "Kick-up");
    auto* kickupLayout = new QHBoxLayout(kickup);
    // The picture carries the columns of positions and their two "0" marks.
    for (auto* picture : m_make.pictures({F::FrontKickupF, F::FrontKickupR}))
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

    auto* single = m_make.formLayout();
    m_make.addRows(single, {F::RearToeIn, F::RearCamber, F::RearRideHeight, F::RearDroop, F::RearWheelBase,
                            F::RearAntiRollBar, F::RearUprightToeIn});

    auto* shocks = m_make.frame("FrameRearShocks", "Shocks");
    auto* shocksForm = m_make.formLayout();
    m_make.addRows(shocksForm, {F::RearShockOil, F::RearShockPiston, F::RearShockSpring});
    shocks->setLayout(shocksForm);

    auto* left = new QVBoxLayout;
    left->addLayout(single);
    left->addWidget(shocks);
    left->addStretch(1);

    auto* geometry = m_make.frame("FrameRearGeometry", "Shock Tower, Arms, Geometry");
    // The tower with the tall hub carrier beside it, the arms below both.
    auto* geometryLayout = new QGridLayout(geometry);
    const auto towerAndArms = m_make.pictures({F::RearShockTower, F::RearShockTowerCamber, F::RearArmShock});
    int row = 0;
    for (auto* picture : towerAndArms) {
        if (row == 0) geometryLayout->addWidget(picture, row, 0, Qt::AlignCenter);
        else geometryLayout->addWidget(picture, row, 0, 1, 2, Qt::AlignCenter);
        ++row;
    }
    for (auto* picture : m_make.pictures({F::RearHubCamber})) geometryLayout->addWidget(picture, 0, 1, Qt::AlignCenter);
    auto* materialForm = m_make.formLayout();
    m_make.addRows(materialForm, {F::RearArmMaterial});
    geometryLayout->addLayout(materialForm, row, 0, 1, 2);

    auto* kickup = m_make.frame("FrameRearKickup", "Kick-up");
    auto* kickupLayout = new QHBoxLayout(kickup);
    for (auto* picture : m_make.pictures({F::RearAntisquatF, F::RearAntisquatR}))
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

    auto* tyres = m_make.frame("FrameTyres", "Tyres");
    auto* grid = new QGridLayout(tyres);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    QFont headingFont = font();
    headingFont.setBold(true);
    QLabel* front = m_make.label("lblFrontHeading", "Front");
    QLabel* rear = m_make.label("lblRearHeading", "Rear");
    front->setFont(headingFont);
    rear->setFont(headingFont);
    grid->addWidget(front, 0, 1);
    grid->addWidget(rear, 0, 2);
    auto* chkSame = new QCheckBox("same as front", this);
    chkSame->setObjectName("chkSameFrontRearTyres");
    // The tick stays over whatever the racer types afterwards: it says it copied once.
    chkSame->setToolTip(
        "Copies the front tyres into the rear column once, when ticked; later front edits are not copied. "
        "Unticking empties the rear column.");
    grid->addWidget(chkSame, 1, 2);
    connect(chkSame, &QCheckBox::stateChanged, this, &frmVantrel::sameFrontRearTyresClicked);

    // A row each, its caption the words after the column's heading.
    int row = 2;
    QList<QWidget*> frontBoxes, rearBoxes;
    for (const auto& [frontField, rearField] : kTyreRows) {
        QWidget* frontBox = m_make.control(frontField);
        QLabel* caption = m_make.labelFor(frontField, frontBox, front->text());
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(caption, row, 0);
        grid->addWidget(frontBox, row, 1);
        frontBoxes.append(frontBox);
        rearBoxes.append(m_make.control(rearField));
        ++row;
    }
    for (int i = 0; i < rearBoxes.size(); ++i) grid->addWidget(rearBoxes[i], 2 + i, 2);

    auto* additive = m_make.formLayout();
    m_make.addRows(additive, {F::TyreAdditive});

    // Tab goes as the headings read: down the front column, then down the
    // rear one from its "same as front", then on to the additive.
    QList<QWidget*> order = frontBoxes;
    order << chkSame << rearBoxes << additive->itemAt(0, QFormLayout::FieldRole)->widget();
    for (int i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(tyres);
    layout->addLayout(additive);
    layout->addStretch(1);
    return page;
}

QWidget* frmVantrel::buildOtherTab() {
    auto* page = new QWidget(this);
    page->setObjectName("tabOther");

    auto* motor = m_make.frame("FrameMotor", "Motor");
    auto* motorForm = m_make.formLayout();
    m_make.addRows(motorForm, {F::Motor, F::MotorBrush, F::MotorSpring, F::Pinion, F::Spur});
    motor->setLayout(motorForm);

    auto* electronics = m_make.frame("FrameElectronics", "Electronics");
    auto* electronicsForm = m_make.formLayout();
    m_make.addRows(electronicsForm, {F::Radio, F::ESC, F::Servo});
    electronics->setLayout(electronicsForm);

    auto* frames = new QHBoxLayout;
    frames->addWidget(motor, 1, Qt::AlignTop);
    frames->addWidget(electronics, 1, Qt::AlignTop);

    // Body, wing and lead weights as wide as the frames' fields; the
    // comments across the whole tab.
    auto* rest = new QGridLayout;
    rest->setColumnStretch(1, 1);
    rest->setColumnStretch(2, 1);
    int row = 0;
    for (const SetupField field : {F::Body, F::Wing, F::LeadWeights, F::Comments}) {
        QWidget* box = m_make.control(field);
        QLabel* l = m_make.labelFor(field, box);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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

// ---------------------------------------------------------------- handlers

void frmVantrel::loadWindow() {
    auto* txtTargetPDFDirectory = control<QLineEdit>("txtTargetPDFDirectory");
    auto* txtRawDataFile = control<QLineEdit>("txtRawDataFile");
    const auto loadStep = [this](int step) {
        if (m_options.beforeLoadStep) m_options.beforeLoadStep(step);
    };
    QString failure = "Error reading config file.";
    try {
        loadStep(1);
        // A settings file that is empty or missing would make the program
        // folder every folder: said at once, naming the file and what is wrong.
        try {
            checkSettings(m_installation);
        } catch (const std::exception& e) {
            failure = QString::fromStdString(platform::errorText(e));
            throw;
        }
        loadStep(2);
        m_fileTab->targetFolders()->setPath(QString::fromStdString(platform::process::programFolder()));
        loadStep(3);
        txtTargetPDFDirectory->setText(m_fileTab->targetFolders()->path());
        loadStep(4);
        txtRawDataFile->setText(QString::fromStdString(m_installation.dataFolder()));
        loadStep(5);
        m_fileTab->showDataFileRow(false);
        m_launchers->refreshSetupTypes();
    } catch (...) {
        // The window opens all the same; what did not run keeps its start state.
        MessageBox::critical(this, "Vantrel", failure);
    }
    // The team's sheets come in from the start.
    m_launchers->restartTeamWatch();
    // The start values are no one's typing.
    m_loader->markKept();
}

bool frmVantrel::event(QEvent* event) {
    if (event->type() == QEvent::Close && m_state) m_state->save();
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate) windowActivated();
    return handled;
}

void frmVantrel::windowActivated() {
    // Only while its tab shows: typing into a box on a hidden tab would go
    // where the racer cannot see it.
    if (m_tabs->currentIndex() == 0) control<QWidget>(nameOf(F::DriverName))->setFocus(Qt::ActiveWindowFocusReason);
}

void frmVantrel::tabChanged(int index) {
    static const QString firstFields[] = {nameOf(F::DriverName), nameOf(F::FrontCastor), nameOf(F::RearToeIn),
                                          nameOf(F::FrontTyres), nameOf(F::Motor),       "cmbSetupName"};
    if (index < 0 || index >= int(std::size(firstFields))) return;
    if (auto* field = control<QWidget>(firstFields[index])) field->setFocus(Qt::TabFocusReason);
}

void frmVantrel::sameFrontRearTyresClicked() {
    const bool same = control<QCheckBox>("chkSameFrontRearTyres")->checkState() == Qt::Checked;
    for (const auto& [front, rear] : kTyreRows)
        control<QLineEdit>(nameOf(rear))->setText(same ? control<QLineEdit>(nameOf(front))->text() : QString());
}

void frmVantrel::createSetupSheetClicked() { RunSetupSheet(*this); }

// A window hidden before its close is no longer visible when it closes, so
// it would not count as the last window and the program would stay running.
void frmVantrel::cancelClicked() { close(); }

}  // namespace vantrel
