// The main window on its own: start state, load sequence, the handlers of its
// controls, the option buttons on their holes, and the text limits.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <memory>

#include "ChassisPictureWidget.h"
#include "FolderList.h"
#include "HoleButton.h"
#include "MainWindowTest.h"
#include "MessageBox.h"
#include "TallTextBox.h"
#include "WindowDriver.h"
#include "WindowTestFolder.h"
#include "frmVantrel.h"
#include "platform/Error.h"
#include "platform/Paths.h"

using vantrel::frmVantrel;
using vantrel::MessageBox;
using namespace windowtest;

MainWindowTest::MainWindowTest() = default;
MainWindowTest::~MainWindowTest() = default;

void MainWindowTest::init() {
    m_folder = std::make_unique<WindowTestFolder>(false);
    MessageBox::clearHistory();
    m_window = new frmVantrel;
}

void MainWindowTest::cleanup() {
    delete m_window.data();
    frmVantrel::setLoadStepHookForTesting({});
    m_folder.reset();
}

void MainWindowTest::startState() {
    QCOMPARE(m_window->windowTitle(), QString("Vantrel"));
    QCOMPARE(m_window->control<QLabel>("lblTitle")->text(), QString("Vantrel"));
    QVERIFY(m_window->control<QLabel>("lblTitle")->font().pointSizeF() > m_window->font().pointSizeF() * 1.5);

    auto* tabs = m_window->control<QTabWidget>("SSTab1");
    const QStringList titles = {"Event Details", "Front", "Rear", "Tyres", "Other", "File"};
    QCOMPARE(tabs->count(), titles.size());
    for (int i = 0; i < titles.size(); ++i) QCOMPARE(tabs->tabText(i), titles[i]);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(m_window->control<QPushButton>("cmdCreateSetupSheet")->text(), QString("Create >"));
    QCOMPARE(m_window->control<QPushButton>("cmdCancel")->text(), QString("Close"));

    // The load sequence ran: program folder as target, data folder in the
    // hidden raw data box, nothing asked of the user.
    const QString programFolder = QString::fromStdString(m_folder->str());
    QCOMPARE(m_window->control<QLineEdit>("txtTargetPDFDirectory")->text(), programFolder);
    QCOMPARE(m_window->control<vantrel::FolderList>("Dir1")->path(), programFolder);
    QCOMPARE(m_window->control<QLineEdit>("txtRawDataFile")->text(), programFolder + "/Data/");
    for (const char* hidden : {"lblChooseDataFile", "txtRawDataFile", "cmdOpenDataFile", "Label3", "txtTargetPDF"})
        QVERIFY2(m_window->control<QWidget>(hidden)->isHidden(), hidden);
    QVERIFY(MessageBox::history().isEmpty());
    QCOMPARE(m_window->control<QCheckBox>("chkExternalData")->checkState(), Qt::Unchecked);
    QCOMPARE(m_window->control<QCheckBox>("chkSameFrontRearTyres")->checkState(), Qt::Unchecked);
    QCOMPARE(m_window->control<QCheckBox>("chkSameFrontRearTyres")->text(), QString("same as front"));
}

void MainWindowTest::comboBoxes_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("items");
    const QStringList arms = {"Moulded", "Composite", "Composite 50%", "Composite 75%", "Aluminium"};
    QTest::newRow("cmbTrackComposition")
        << "Asphalt"
        << QStringList{"Asphalt", "Concrete", "Carpet", "Indoor Asphalt", "Indoor Concrete", "Indoor Carpet"};
    QTest::newRow("cmbCastor") << "4 deg" << QStringList{"0 deg", "2 deg", "4 deg", "6 deg"};
    QTest::newRow("cmbFrontWheelbase") << "Middle" << QStringList{"Short", "Middle", "Long"};
    QTest::newRow("cmbFrontAntiRollBar") << "No" << QStringList{"No", "1.3mm", "1.9mm"};
    QTest::newRow("cmbFrontDrive") << "One-way" << QStringList{"One-way", "Spool", "Diff"};
    QTest::newRow("cmbFrontSteeringBlock") << "Moulded" << QStringList{"Moulded", "Aluminium"};
    QTest::newRow("cmbFrontArmMaterial") << "Moulded" << arms;
    QTest::newRow("cmbRearWheelbase") << "Middle" << QStringList{"Short", "Middle", "Long"};
    QTest::newRow("cmbRearAntiRollBar") << "No" << QStringList{"No", "1.3mm", "1.9mm"};
    QTest::newRow("cmbRearUprightToeIn") << "0 deg" << QStringList{"0 deg", "2 deg"};
    QTest::newRow("cmbRearArmMaterial") << "Moulded" << arms;
    QTest::newRow("cmbSetupName") << "RDX" << QStringList{"RDX"};
}

void MainWindowTest::comboBoxes() {
    QFETCH(QString, start);
    QFETCH(QStringList, items);
    auto* combo = m_window->control<QComboBox>(QTest::currentDataTag());
    QVERIFY(combo);
    QVERIFY(combo->isEditable());
    QCOMPARE(combo->currentText(), start);
    QStringList actual;
    for (int i = 0; i < combo->count(); ++i) actual << combo->itemText(i);
    QCOMPARE(actual, items);
    // A typed value that is not in the list is taken as typed.
    combo->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, "Custom 7");
    QCOMPARE(combo->currentText(), QString("Custom 7"));
    QCOMPARE(combo->count(), items.size());
}

void MainWindowTest::optionGroups_data() {
    QTest::addColumn<QList<int>>("indices");
    QTest::newRow("OptionFrontToe") << QList<int>{0, 1};
    QTest::newRow("OptionFrontShockTower") << QList<int>{1, 2, 3, 4};
    QTest::newRow("OptionFrontShockTowerCamber") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("OptionFrontShockArm") << QList<int>{2, 3, 4, 5, 6, 7};
    QTest::newRow("OptionAckermanBellcrank") << QList<int>{1, 2};
    QTest::newRow("OptionAckermanHub") << QList<int>{1, 2};
    QTest::newRow("OptionFrontKickupF") << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("OptionFrontKickupR") << QList<int>{0, 1, 2};
    QTest::newRow("OptionRearShockTower") << QList<int>{1, 2, 3, 4};
    QTest::newRow("OptionRearShockTowerCamber") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("OptionRearShockArm") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("OptionRearHubCamber") << QList<int>{1, 2, 3, 4};
    QTest::newRow("OptionRearAntisquatF") << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("OptionRearAntisquatR") << QList<int>{0, 1, 2, 3, 4};
}

void MainWindowTest::optionGroups() {
    QFETCH(QList<int>, indices);
    const QString group = QTest::currentDataTag();
    auto* buttons = m_window->control<QButtonGroup>(group);
    QVERIFY(buttons);
    QVERIFY(buttons->exclusive());
    QList<int> actual;
    for (QAbstractButton* b : buttons->buttons()) {
        QCOMPARE(b->objectName(), group);
        QCOMPARE(b->property("index").toInt(), buttons->id(b));
        actual << buttons->id(b);
    }
    std::sort(actual.begin(), actual.end());
    QCOMPARE(actual, indices);
    // Only "Toe-in" is chosen at start.
    if (group == "OptionFrontToe") {
        QCOMPARE(buttons->checkedId(), 0);
        QCOMPARE(buttons->button(0)->text(), QString("Toe-in"));
        QCOMPARE(buttons->button(1)->text(), QString("Toe-out"));
    } else {
        QCOMPARE(buttons->checkedId(), -1);
    }
}

void MainWindowTest::holesFollowThePictures() {
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    auto* tabs = m_window->control<QTabWidget>("SSTab1");
    for (const QSize size : {QSize(1000, 760), QSize(1500, 1100)}) {
        m_window->resize(size);
        for (int tab : {1, 2}) {
            tabs->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            const auto pictures = tabs->widget(tab)->findChildren<vantrel::ChassisPictureWidget*>();
            QVERIFY(!pictures.isEmpty());
            for (auto* picture : pictures) {
                QVERIFY(picture->isVisible());
                const auto& art = picture->picture();
                for (std::size_t i = 0; i < art.holes.size(); ++i) {
                    vantrel::HoleButton* button = picture->buttons().at(qsizetype(i));
                    const QPointF want = picture->toWidget(art.holes[i].x, art.holes[i].y);
                    const QPointF got = QRectF(button->geometry()).center();
                    QVERIFY2(QLineF(want, got).length() <= 1.0, qPrintable(button->objectName()));
                    QVERIFY(button->width() >= 14);
                    // The button stays inside its picture, where the racer sees it.
                    QVERIFY(picture->rect().contains(button->geometry()));
                }
            }
        }
    }
}

void MainWindowTest::focusOnTabChange_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("field");
    // Starting on another tab, so every row is a real change.
    QTest::newRow("Front") << 1 << "cmbCastor";
    QTest::newRow("Rear") << 2 << "txtRearToeIn";
    QTest::newRow("Tyres") << 3 << "txtFrontTyres";
    QTest::newRow("Other") << 4 << "txtMotor";
    QTest::newRow("File") << 5 << "cmbSetupName";
    QTest::newRow("Event Details") << 0 << "txtDriverName";
}

void MainWindowTest::focusOnTabChange() {
    QFETCH(int, tab);
    QFETCH(QString, field);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    auto* tabs = m_window->control<QTabWidget>("SSTab1");
    tabs->setCurrentIndex(tab == 0 ? 3 : 0);
    // Focus outside the pages, so only the tab change can move it there.
    m_window->control<QPushButton>("cmdCreateSetupSheet")->setFocus();
    tabs->setCurrentIndex(tab);
    QWidget* expected = m_window->control<QWidget>(field);
    QWidget* focus = QApplication::focusWidget();
    QVERIFY2(focus == expected || (focus && expected->isAncestorOf(focus)),
             qPrintable(focus ? focus->objectName() : QString("nothing")));
}

void MainWindowTest::focusOnActivation() {
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QCOMPARE(QApplication::focusWidget(), m_window->control<QWidget>("txtDriverName"));

    // Coming back to the window puts the racer back on the driver name.
    m_window->control<QWidget>("txtEventName")->setFocus();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QTRY_COMPARE(QApplication::focusWidget(), m_window->control<QWidget>("txtDriverName"));
}

void MainWindowTest::externalDataShowsItsControls_data() {
    QTest::addColumn<Qt::CheckState>("state");
    QTest::addColumn<bool>("shown");
    QTest::newRow("ticked") << Qt::Checked << true;
    QTest::newRow("grey") << Qt::PartiallyChecked << true;
    QTest::newRow("unticked again") << Qt::Unchecked << false;
}

void MainWindowTest::externalDataShowsItsControls() {
    QFETCH(Qt::CheckState, state);
    QFETCH(bool, shown);
    auto* chk = m_window->control<QCheckBox>("chkExternalData");
    auto* txtRawDataFile = m_window->control<QLineEdit>("txtRawDataFile");
    const QString before = txtRawDataFile->text();
    chk->setCheckState(Qt::Checked);
    chk->setCheckState(state);
    for (const char* name : {"lblChooseDataFile", "txtRawDataFile", "cmdOpenDataFile"})
        QCOMPARE(m_window->control<QWidget>(name)->isHidden(), !shown);
    QCOMPARE(txtRawDataFile->text(), before);
    QVERIFY(m_window->control<QWidget>("txtTargetPDF")->isHidden());
}

void MainWindowTest::sameAsFront() {
    const char* const front[] = {"txtFrontTyres", "txtFrontCompound", "txtFrontInsert", "txtFrontRims"};
    const char* const rear[] = {"txtRearTyres", "txtRearCompound", "txtRearInsert", "txtRearRims"};
    for (int i = 0; i < 4; ++i) setTextOf(m_window, front[i], QString("front %1").arg(i));
    setTextOf(m_window, "txtRearRims", "typed by hand");

    auto* chk = m_window->control<QCheckBox>("chkSameFrontRearTyres");
    QTest::mouseClick(chk, Qt::LeftButton, {}, QPoint(8, chk->height() / 2));
    QCOMPARE(chk->checkState(), Qt::Checked);
    for (int i = 0; i < 4; ++i) QCOMPARE(textOf(m_window, rear[i]), QString("front %1").arg(i));

    // Later edits stay where they are made; the rear boxes stay editable.
    setTextOf(m_window, "txtFrontTyres", "changed later");
    QCOMPARE(textOf(m_window, "txtRearTyres"), QString("front 0"));
    QVERIFY(!m_window->control<QLineEdit>("txtRearTyres")->isReadOnly());
    setTextOf(m_window, "txtRearInsert", "rear by hand");

    QTest::mouseClick(chk, Qt::LeftButton, {}, QPoint(8, chk->height() / 2));
    QCOMPARE(chk->checkState(), Qt::Unchecked);
    for (const char* name : rear) QCOMPARE(textOf(m_window, name), QString());
    QCOMPARE(textOf(m_window, "txtFrontTyres"), QString("changed later"));
}

void MainWindowTest::targetFolder() {
    auto* dir1 = m_window->control<vantrel::FolderList>("Dir1");
    auto* box = m_window->control<QLineEdit>("txtTargetPDFDirectory");
    const QString sheets = QString::fromStdString(m_folder->sheetsFolder().string());

    // The user opens another folder in the list: the box follows.
    dir1->setCurrentIndex(qobject_cast<QFileSystemModel*>(dir1->model())->index(sheets));
    QCOMPARE(dir1->path(), sheets);
    QCOMPARE(box->text(), sheets);

    // Typing into the box leaves the list where it is.
    box->clear();
    QTest::keyClicks(box, "/somewhere/else");
    QCOMPARE(box->text(), QString("/somewhere/else"));
    QCOMPARE(dir1->path(), sheets);
}

void MainWindowTest::openDataFileDialog() {
    auto* dialog = m_window->control<QFileDialog>("CommonDialog1");
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QString("Open Data File"));
    QCOMPARE(dialog->nameFilters(), QStringList{"*.dat"});
    QCOMPARE(dialog->defaultSuffix(), QString("dat"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);

    const std::string chosen = m_folder->write("Data/Other.dat", "[SetupData]\r\n").string();
    auto* txtRawDataFile = m_window->control<QLineEdit>("txtRawDataFile");
    m_window->control<QCheckBox>("chkExternalData")->setCheckState(Qt::Checked);

    QTimer::singleShot(0, dialog, [dialog, chosen] {
        dialog->selectFile(QString::fromStdString(chosen));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    m_window->control<QPushButton>("cmdOpenDataFile")->click();
    QCOMPARE(txtRawDataFile->text(), QString::fromStdString(chosen));

    // A cancelled dialog leaves the box as it was.
    QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
    m_window->control<QPushButton>("cmdOpenDataFile")->click();
    QCOMPARE(txtRawDataFile->text(), QString::fromStdString(chosen));
}

void MainWindowTest::loadFailure_data() {
    QTest::addColumn<int>("failingStep");
    QTest::addColumn<bool>("targetFolderSet");
    QTest::addColumn<bool>("dataFolderSet");
    QTest::newRow("reading the settings") << 1 << false << false;
    QTest::newRow("opening the program folder") << 2 << false << false;
    QTest::newRow("filling the target folder") << 3 << true << false;
    QTest::newRow("filling the data file box") << 4 << true << false;
    QTest::newRow("hiding the external data controls") << 5 << true << true;
}

void MainWindowTest::loadFailure() {
    QFETCH(int, failingStep);
    QFETCH(bool, targetFolderSet);
    QFETCH(bool, dataFolderSet);
    delete m_window.data();
    MessageBox::clearHistory();
    frmVantrel::setLoadStepHookForTesting([failingStep](int step) {
        if (step == failingStep) platform::raise(platform::ErrPathAccess, "test");
    });
    MessageBox::setNextAnswer(QMessageBox::Ok);
    m_window = new frmVantrel;

    QCOMPARE(MessageBox::history().size(), 1);
    const MessageBox::Shown& box = MessageBox::history().first();
    QCOMPARE(box.text, QString("Error reading config file."));
    QCOMPARE(box.title, QString("Vantrel"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    // The steps that did not run keep their start state.
    const QString programFolder = QString::fromStdString(m_folder->str());
    QCOMPARE(m_window->control<QLineEdit>("txtTargetPDFDirectory")->text(),
             targetFolderSet ? programFolder : QString());
    QCOMPARE(m_window->control<QLineEdit>("txtRawDataFile")->text(),
             dataFolderSet ? programFolder + "/Data/" : QString());
    for (const char* name : {"lblChooseDataFile", "txtRawDataFile", "cmdOpenDataFile"})
        QVERIFY2(!m_window->control<QWidget>(name)->isHidden(), name);
    // The window still opens and works.
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void MainWindowTest::textLimits() {
    // Every box whose text goes into the raw data file holds at most 254 bytes.
    const QStringList paths = {"txtRawDataFile", "txtTargetPDFDirectory", "txtTargetPDF"};
    auto* dialog = m_window->control<QFileDialog>("CommonDialog1");
    int limited = 0;
    for (QLineEdit* box : m_window->findChildren<QLineEdit*>()) {
        if (dialog->isAncestorOf(box)) continue;
        auto* combo = qobject_cast<QComboBox*>(box->parent());
        const QString name = combo ? combo->objectName() : box->objectName();
        if (paths.contains(name)) continue;
        box->clear();
        box->setFocus();
        QTest::keyClicks(box, QString(300, 'x'));
        QVERIFY2(box->text().toUtf8().size() == 254, qPrintable(name));
        box->clear();
        typeText(box, QString(200, QChar(0x00E9)));  // é takes two bytes
        QVERIFY2(box->text() == QString(127, QChar(0x00E9)), qPrintable(name));
        ++limited;
    }
    QCOMPARE(limited, 45 + 12);  // text boxes and editable combo boxes

    // Paths keep their full length.
    const QString longPath = "/" + QString(400, 'p');
    m_window->control<QLineEdit>("txtTargetPDFDirectory")->setText(longPath);
    QCOMPARE(m_window->control<QLineEdit>("txtTargetPDFDirectory")->text(), longPath);

    // The tall notes box: wrapped on screen, one line in the file.
    auto* notes = m_window->control<vantrel::TallTextBox>("txtNotes");
    notes->setFocus();
    QTest::keyClicks(notes, "ride");
    QTest::keyClick(notes, Qt::Key_Return);
    QTest::keyClicks(notes, "height");
    QCOMPARE(notes->toPlainText(), QString("rideheight"));
    notes->setPlainText("line one\nline two");
    QCOMPARE(notes->toPlainText(), QString("line one line two"));
    notes->setPlainText(QString(150, QChar(0x00E9)));
    QCOMPARE(notes->toPlainText(), QString(127, QChar(0x00E9)));
}

void MainWindowTest::closeUnloadsTheWindow() {
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QVERIFY(frmVantrel::instance() == m_window);
    m_window->control<QPushButton>("cmdCancel")->click();
    QTRY_VERIFY(m_window.isNull());
    QVERIFY(frmVantrel::instance() == nullptr);
}
