// The main window on its own: start state, load sequence, the handlers of its
// controls, the option buttons on their holes, and the text limits.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <memory>

#include "AnsweredDialogs.h"
#include "Installation.h"
#include "platform/Process.h"
#include "ChassisPictureWidget.h"
#include "FolderList.h"
#include "HoleButton.h"
#include "MessageBox.h"
#include "TallTextBox.h"
#include "TeamFolderControl.h"
#include "TeamWatch.h"
#include "WindowDriver.h"
#include "WindowTestFolder.h"
#include "platform/Error.h"
#include "platform/Profile.h"

using vantrel::frmVantrel;
using vantrel::MessageBox;
using namespace windowtest;

class MainWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTestFolder> m_folder;
    windowtest::AnsweredDialogs m_dialogs;
    QPointer<frmVantrel> m_window;

    template <class T = QWidget>
    T* c(const char* name) const {
        return m_window->control<T>(name);
    }
    QString programFolder() const { return QString::fromStdString(m_folder->str()); }
    // The window of the folder's installation, its dialogs answered here.
    frmVantrel* newWindow(std::function<void(int step)> beforeLoadStep = {}) const {
        return new frmVantrel(vantrel::Installation::read(platform::process::programFolder()),
                              {.dialogs = m_dialogs.dialogs(), .beforeLoadStep = std::move(beforeLoadStep)});
    }

private slots:
    void init() {
        m_folder = std::make_unique<WindowTestFolder>(false);
        MessageBox::clearHistory();
        m_window = newWindow();
    }
    void cleanup() {
        delete m_window.data();
        m_folder.reset();
    }

    void startState() {
        QCOMPARE(m_window->windowTitle(), QString("Vantrel"));
        QCOMPARE(c<QLabel>("lblTitle")->text(), QString("Vantrel"));
        QVERIFY(c<QLabel>("lblTitle")->font().pointSizeF() > m_window->font().pointSizeF() * 1.5);
        auto* tabs = c<QTabWidget>("SSTab1");
        QStringList titles;
        for (int i = 0; i < tabs->count(); ++i) titles << tabs->tabText(i);
        QCOMPARE(titles, (QStringList{"Event Details", "Front", "Rear", "Tyres", "Other", "File"}));
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(c<QPushButton>("cmdCreateSetupSheet")->text(), QString("Create >"));
        QCOMPARE(c<QPushButton>("cmdCancel")->text(), QString("Close"));

        // The load sequence ran: program folder as target, data folder in the
        // hidden raw data box, nothing asked of the user.
        QCOMPARE(c<QLineEdit>("txtTargetPDFDirectory")->text(), programFolder());
        QCOMPARE(c<vantrel::FolderList>("Dir1")->path(), programFolder());
        QCOMPARE(c<QLineEdit>("txtRawDataFile")->text(), QDir::toNativeSeparators(programFolder() + "/Data/"));
        for (const char* name : {"lblChooseDataFile", "txtRawDataFile", "cmdOpenDataFile", "Label3", "txtTargetPDF"})
            QVERIFY2(c(name)->isHidden(), name);
        QVERIFY(MessageBox::history().isEmpty());
        QCOMPARE(c<QCheckBox>("chkExternalData")->checkState(), Qt::Unchecked);
        QCOMPARE(c<QCheckBox>("chkSameFrontRearTyres")->checkState(), Qt::Unchecked);

        // A setup type that is not in the list is taken as typed.
        auto* setup = c<QComboBox>("cmbSetupName");
        QCOMPARE(setup->currentText(), QString("RDX"));
        setup->lineEdit()->selectAll();
        QTest::keyClicks(setup, "Club 2WD");
        QCOMPARE(setup->currentText(), QString("Club 2WD"));
        QCOMPARE(setup->count(), 1);
    }

    // Each group holds exactly the indices the capture reads, none chosen
    // but "Toe-in".
    void optionGroups() {
        const struct {
            const char* group;
            int first, last;
        } groups[] = {{"OptionFrontToe", 0, 1},
                      {"OptionFrontShockTower", 1, 4},
                      {"OptionFrontShockTowerCamber", 1, 8},
                      {"OptionFrontShockArm", 2, 7},
                      {"OptionAckermanBellcrank", 1, 2},
                      {"OptionAckermanHub", 1, 2},
                      {"OptionFrontKickupF", 0, 4},
                      {"OptionFrontKickupR", 0, 2},
                      {"OptionRearShockTower", 1, 4},
                      {"OptionRearShockTowerCamber", 1, 8},
                      {"OptionRearShockArm", 1, 8},
                      {"OptionRearHubCamber", 1, 4},
                      {"OptionRearAntisquatF", 0, 4},
                      {"OptionRearAntisquatR", 0, 4}};
        for (const auto& g : groups) {
            auto* buttons = c<QButtonGroup>(g.group);
            QVERIFY2(buttons && buttons->exclusive(), g.group);
            QList<int> ids, expected;
            for (QAbstractButton* b : buttons->buttons()) {
                QCOMPARE(b->objectName(), QString(g.group));
                QCOMPARE(b->property("index").toInt(), buttons->id(b));
                ids << buttons->id(b);
            }
            for (int i = g.first; i <= g.last; ++i) expected << i;
            std::sort(ids.begin(), ids.end());
            QVERIFY2(ids == expected, g.group);
            QCOMPARE(buttons->checkedId(), g.first == 0 && g.last == 1 ? 0 : -1);
        }
        QCOMPARE(option(m_window, "OptionFrontToe", 0)->text(), QString("Toe-in"));
        QCOMPARE(option(m_window, "OptionFrontToe", 1)->text(), QString("Toe-out"));
    }

    void holesFollowThePictures() {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        auto* tabs = c<QTabWidget>("SSTab1");
        // Smaller than the window's own size, then larger.
        for (const QSize size : {QSize(1000, 700), QSize(1500, 1100)}) {
            m_window->resize(size);
            for (int tab : {1, 2}) {
                tabs->setCurrentIndex(tab);
                QCoreApplication::processEvents();
                const auto pictures = tabs->widget(tab)->findChildren<vantrel::ChassisPictureWidget*>();
                QVERIFY(!pictures.isEmpty());
                for (auto* picture : pictures) {
                    const auto& holes = picture->picture().holes;
                    for (std::size_t i = 0; i < holes.size(); ++i) {
                        vantrel::HoleButton* button = picture->buttons().at(qsizetype(i));
                        const QPointF want = picture->toWidget(holes[i].x, holes[i].y);
                        QVERIFY2(QLineF(want, QRectF(button->geometry()).center()).length() <= 1.0,
                                 qPrintable(button->objectName()));
                        QVERIFY(button->width() >= 14);
                        QVERIFY(picture->rect().contains(button->geometry()));
                    }
                }
            }
        }
    }

    void focusOnTabChange_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("field");
        QTest::newRow("Front") << 1 << "cmbCastor";
        QTest::newRow("Rear") << 2 << "txtRearToeIn";
        QTest::newRow("Tyres") << 3 << "txtFrontTyres";
        QTest::newRow("Other") << 4 << "txtMotor";
        QTest::newRow("File") << 5 << "cmbSetupName";
        QTest::newRow("Event Details") << 0 << "txtDriverName";
    }
    void focusOnTabChange() {
        QFETCH(int, tab);
        QFETCH(QString, field);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        auto* tabs = c<QTabWidget>("SSTab1");
        tabs->setCurrentIndex(tab == 0 ? 3 : 0);
        // Focus outside the pages, so only the tab change can move it there.
        c("cmdCreateSetupSheet")->setFocus();
        tabs->setCurrentIndex(tab);
        QWidget* expected = m_window->control<QWidget>(field);
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(focus == expected || (focus && expected->isAncestorOf(focus)),
                 qPrintable(focus ? focus->objectName() : QString("nothing")));
    }

    void tabGoesDownTheTyreColumnsAsTheHeadingsRead() {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        c<QTabWidget>("SSTab1")->setCurrentIndex(3);
        QCOMPARE(QApplication::focusWidget(), c("txtFrontTyres"));
        QStringList visited{"txtFrontTyres"};
        for (int i = 0; i < 9; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, QStringList({"txtFrontTyres", "txtFrontCompound", "txtFrontInsert", "txtFrontRims",
                                       "chkSameFrontRearTyres", "txtRearTyres", "txtRearCompound", "txtRearInsert",
                                       "txtRearRims", "txtAdditive"}));
    }

    void focusOnActivation() {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QCOMPARE(QApplication::focusWidget(), c("txtDriverName"));
        // Coming back to the window puts the racer back on the driver name.
        c("txtEventName")->setFocus();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QTRY_COMPARE(QApplication::focusWidget(), c("txtDriverName"));
    }

    void externalDataShowsItsControls() {
        auto* chk = c<QCheckBox>("chkExternalData");
        const QString before = c<QLineEdit>("txtRawDataFile")->text();
        const std::pair<Qt::CheckState, bool> steps[] = {
            {Qt::Checked, true}, {Qt::Unchecked, false}, {Qt::PartiallyChecked, true}, {Qt::Unchecked, false}};
        for (const auto& [state, shown] : steps) {
            chk->setCheckState(state);
            for (const char* name : {"lblChooseDataFile", "txtRawDataFile", "cmdOpenDataFile"})
                QVERIFY2(c(name)->isHidden() == !shown, name);
            QCOMPARE(c<QLineEdit>("txtRawDataFile")->text(), before);
            QVERIFY(c("txtTargetPDF")->isHidden());
        }
    }

    void sameAsFront() {
        const char* const front[] = {"txtFrontTyres", "txtFrontCompound", "txtFrontInsert", "txtFrontRims"};
        const char* const rear[] = {"txtRearTyres", "txtRearCompound", "txtRearInsert", "txtRearRims"};
        for (int i = 0; i < 4; ++i) setTextOf(m_window, front[i], QString("front %1").arg(i));
        setTextOf(m_window, "txtRearRims", "typed by hand");
        auto* chk = c<QCheckBox>("chkSameFrontRearTyres");
        QTest::mouseClick(chk, Qt::LeftButton, {}, QPoint(8, chk->height() / 2));
        QCOMPARE(chk->checkState(), Qt::Checked);
        for (int i = 0; i < 4; ++i) QCOMPARE(textOf(m_window, rear[i]), QString("front %1").arg(i));

        // Later edits stay where they are made; the rear boxes stay editable.
        setTextOf(m_window, "txtFrontTyres", "changed later");
        QCOMPARE(textOf(m_window, "txtRearTyres"), QString("front 0"));
        QVERIFY(!c<QLineEdit>("txtRearTyres")->isReadOnly());
        // The tick left over different values says it copied once.
        QVERIFY2(chk->toolTip().contains("once") && chk->toolTip().contains("not copied"), qPrintable(chk->toolTip()));
        setTextOf(m_window, "txtRearInsert", "rear by hand");

        QTest::mouseClick(chk, Qt::LeftButton, {}, QPoint(8, chk->height() / 2));
        QCOMPARE(chk->checkState(), Qt::Unchecked);
        for (const char* name : rear) QCOMPARE(textOf(m_window, name), QString());
        QCOMPARE(textOf(m_window, "txtFrontTyres"), QString("changed later"));
    }

    void targetFolder() {
        auto* dir1 = c<vantrel::FolderList>("Dir1");
        auto* box = c<QLineEdit>("txtTargetPDFDirectory");
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

    void openDataFileDialog() {
        auto* dialog = c<QFileDialog>("CommonDialog1");
        QCOMPARE(dialog->windowTitle(), QString("Open Data File"));
        QCOMPARE(dialog->nameFilters(), QStringList{"*.dat"});
        QCOMPARE(dialog->defaultSuffix(), QString("dat"));
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        const QString chosen = QString::fromStdString(m_folder->write("Data/Other.dat", "[SetupData]\r\n").string());
        c<QCheckBox>("chkExternalData")->setCheckState(Qt::Checked);

        QTimer::singleShot(0, dialog, [dialog, chosen] {
            dialog->selectFile(chosen);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        c<QPushButton>("cmdOpenDataFile")->click();
        QCOMPARE(c<QLineEdit>("txtRawDataFile")->text(), chosen);
        // A cancelled dialog leaves the box as it was.
        QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
        c<QPushButton>("cmdOpenDataFile")->click();
        QCOMPARE(c<QLineEdit>("txtRawDataFile")->text(), chosen);
    }

    void loadFailure_data() {
        QTest::addColumn<int>("failingStep");
        QTest::addColumn<bool>("targetFolderSet");
        QTest::addColumn<bool>("dataFolderSet");
        QTest::newRow("reading the settings") << 1 << false << false;
        QTest::newRow("opening the program folder") << 2 << false << false;
        QTest::newRow("filling the target folder") << 3 << true << false;
        QTest::newRow("filling the data file box") << 4 << true << false;
        QTest::newRow("hiding the external data controls") << 5 << true << true;
    }
    void loadFailure() {
        QFETCH(int, failingStep);
        QFETCH(bool, targetFolderSet);
        QFETCH(bool, dataFolderSet);
        delete m_window.data();
        MessageBox::clearHistory();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        m_window = newWindow([failingStep](int step) {
            if (step == failingStep) platform::raise(platform::ErrPathAccess, "test");
        });

        QCOMPARE(MessageBox::history().size(), 1);
        const MessageBox::Shown& box = MessageBox::history().first();
        QCOMPARE(box.text, QString("Error reading config file."));
        QCOMPARE(box.title, QString("Vantrel"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        // The steps that did not run keep their start state; the window still opens.
        QCOMPARE(c<QLineEdit>("txtTargetPDFDirectory")->text(), targetFolderSet ? programFolder() : QString());
        QCOMPARE(c<QLineEdit>("txtRawDataFile")->text(),
                 dataFolderSet ? QDir::toNativeSeparators(programFolder() + "/Data/") : QString());
        for (const char* name : {"lblChooseDataFile", "txtRawDataFile", "cmdOpenDataFile"})
            QVERIFY2(!c(name)->isHidden(), name);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    // A settings file a failed save or a sync left empty, or took away: the
    // window says so at its start, naming the file and what is wrong, and
    // opens as it does on any failure to read its settings.
    void emptyOrMissingSettings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("problem");
        QTest::newRow("missing") << QByteArray() << false << "is missing";
        QTest::newRow("empty") << QByteArray() << true << "is not a settings file: it has no [Vantrel] section";
        QTest::newRow("blank lines") << QByteArray("\r\n \r\n") << true << "it has no [Vantrel] section";
        QTest::newRow("another program's")
            << QByteArray("[Other]\r\nDataDirectory=Data\r\n") << true << "it has no [Vantrel] section";
    }
    void emptyOrMissingSettings() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, present);
        QFETCH(QString, problem);
        delete m_window.data();
        const QString settings = QDir::toNativeSeparators(programFolder() + "/bin/Vantrel.ini");
        QVERIFY(QFile::remove(settings));
        if (present) m_folder->write("bin/Vantrel.ini", bytes.toStdString());
        MessageBox::clearHistory();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        m_window = newWindow();

        QCOMPARE(MessageBox::history().size(), 1);
        const MessageBox::Shown& box = MessageBox::history().first();
        QVERIFY2(box.text.startsWith("The settings file " + settings + " "), qPrintable(box.text));
        QVERIFY2(box.text.contains(problem), qPrintable(box.text));
        QCOMPARE(box.icon, QMessageBox::Critical);
        // Nothing of the program folder is offered as the data folder.
        QCOMPARE(c<QLineEdit>("txtRawDataFile")->text(), QString());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QVERIFY(!QFile::exists(programFolder() + "/Library.sqlite"));
    }

    void textLimits() {
        // Every box whose text goes into the raw data file holds at most 254 bytes.
        const QStringList paths = {"txtRawDataFile", "txtTargetPDFDirectory", "txtTargetPDF", "txtTeamFolder"};
        int limited = 0;
        for (QLineEdit* box : m_window->findChildren<QLineEdit*>()) {
            if (c("CommonDialog1")->isAncestorOf(box)) continue;
            auto* combo = qobject_cast<QComboBox*>(box->parent());
            const QString name = combo ? combo->objectName() : box->objectName();
            if (paths.contains(name)) continue;
            box->clear();
            box->setFocus();
            QTest::keyClicks(box, QString(300, 'x'));
            QVERIFY2(box->text().toUtf8().size() == 254, qPrintable(name));
            // At the limit the box says so; far from it, it says nothing.
            const auto* sign = box->findChild<QLabel*>("lblCharactersLeft");
            QVERIFY2(sign && sign->isVisibleTo(box) && sign->text() == "0 characters left", qPrintable(name));
            box->setText(QString(230, 'x'));
            QCOMPARE(sign->text(), QString("24 characters left"));
            box->clear();
            QVERIFY(!sign->isVisibleTo(box));
            typeText(box, QString(200, QChar(0x00E9)));  // é takes two bytes
            QVERIFY2(box->text() == QString(127, QChar(0x00E9)), qPrintable(name));
            ++limited;
        }
        QCOMPARE(limited, 45 + 12);  // text boxes and editable combo boxes

        // Paths keep their full length.
        const QString longPath = "/" + QString(400, 'p');
        c<QLineEdit>("txtTargetPDFDirectory")->setText(longPath);
        QCOMPARE(c<QLineEdit>("txtTargetPDFDirectory")->text(), longPath);

        // The tall notes box: wrapped on screen, one line in the file.
        auto* notes = c<vantrel::TallTextBox>("txtNotes");
        notes->setFocus();
        QTest::keyClicks(notes, "ride");
        QTest::keyClick(notes, Qt::Key_Return);
        QTest::keyClicks(notes, "height ");
        QTest::keyClick(notes, Qt::Key_Return);
        QTest::keyClicks(notes, "next");
        // Return parts the words as the sheet's one line shows them, with one blank.
        QCOMPARE(notes->toPlainText(), QString("ride height next"));
        notes->setPlainText(QString(250, 'x'));
        QCOMPARE(notes->findChild<QLabel*>("lblCharactersLeft")->text(), QString("4 characters left"));
        notes->setPlainText("line one\nline two");
        QCOMPARE(notes->toPlainText(), QString("line one line two"));
        notes->setPlainText(QString(150, QChar(0x00E9)));
        QCOMPARE(notes->toPlainText(), QString(127, QChar(0x00E9)));
    }

    void shareWithTeam_data() {
        QTest::addColumn<QString>("before");  // TeamFolder in the settings at the start
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("chosen");  // below the program folder
        QTest::addColumn<QString>("after");   // the window's team folder afterwards
        QTest::addColumn<bool>("refused");
        QTest::newRow("share") << ""
                               << "cmdTeamFolder"
                               << "Team"
                               << "Team" << false;
        QTest::newRow("share another") << "Team"
                                       << "cmdTeamFolder"
                                       << "Club"
                                       << "Club" << false;
        QTest::newRow("inside the data folder") << "Team"
                                                << "cmdTeamFolder"
                                                << "Data/Team"
                                                << "Team" << true;
        QTest::newRow("stop sharing") << "Team"
                                      << "cmdNoTeamFolder"
                                      << ""
                                      << "" << false;
    }
    void shareWithTeam() {
        QFETCH(QString, before);
        QFETCH(QString, button);
        QFETCH(QString, chosen);
        QFETCH(QString, after);
        QFETCH(bool, refused);
        const QString settings = QDir::toNativeSeparators(programFolder() + "/bin/Vantrel.ini");
        auto folder = [this](const QString& name) {
            return name.isEmpty() ? name : QDir::toNativeSeparators(programFolder() + "/" + name);
        };
        for (const QString& name : {before, chosen})
            if (!name.isEmpty()) QDir().mkpath(folder(name));
        if (!before.isEmpty()) {
            QVERIFY(platform::profile::writeEntry(settings.toStdString(), "Vantrel", "TeamFolder",
                                                  folder(before).toStdString()));
            delete m_window.data();
            m_window = newWindow();
        }
        auto* watch = m_window->findChild<vantrel::TeamWatch*>();
        QVERIFY(watch);
        m_dialogs.answerFiles(vantrel::FileChoice::TeamFolder,
                              chosen.isEmpty() ? QStringList() : QStringList{folder(chosen)});
        MessageBox::setNextAnswer(QMessageBox::Ok);
        c<QPushButton>(button.toUtf8().constData())->click();

        // The window's installation, what it shows, its watch and the file agree.
        QCOMPARE(MessageBox::history().size(), qsizetype(refused ? 1 : 0));
        QCOMPARE(QString::fromStdString(m_window->installation().teamFolder()), folder(after));
        QCOMPARE(c<QLineEdit>("txtTeamFolder")->text(), folder(after));
        if (!refused) QCOMPARE(QString::fromStdString(watch->teamFolder()), folder(after));
        QCOMPARE(QString::fromStdString(
                     platform::profile::readEntry(settings.toStdString(), "Vantrel", "TeamFolder", {}, 4096)),
                 folder(after));
        QCOMPARE(QString::fromStdString(vantrel::Installation::read(platform::process::programFolder()).teamFolder()),
                 folder(after));
    }

    // The team's runs that came, and a run file refused, each said in the status line.
    void theStatusLineSaysWhichRunsCameAndWhichWereRefused() {
        const std::string settings = (programFolder() + "/bin/Vantrel.ini").toStdString();
        const QString team = programFolder() + "/RunsTeam";
        auto runFile = [&](const QString& path, const std::string& uid, const std::string& driver) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::fromStdString("[Run]\r\nRun.Uid=" + uid + "\r\nRun.Name=Q1\r\nDriverName=" + driver +
                                                 "\r\nTrackCity=Lostock\r\nEventName=Cup\r\n[End]\r\n"));
        };
        runFile(team + "/Sam Jones/Run a.vrun", "aa", "Sam Jones");
        runFile(team + "/Sam Jones/Run b.vrun", "bb", "Sam Jones");
        runFile(team + "/Sam Jones/Run c.vrun", "cc", "Kim Lee");
        QVERIFY(platform::profile::writeEntry(settings, "Vantrel", "TeamFolder", team.toStdString()));
        delete m_window.data();
        m_window = newWindow();
        auto* watch = m_window->findChild<vantrel::TeamWatch*>();
        QVERIFY(watch);
        QSignalSpy said(watch, &vantrel::TeamWatch::status);
        QSignalSpy scanned(watch, &vantrel::TeamWatch::scanned);
        QTRY_VERIFY(scanned.count() > 0);
        QStringList lines;
        for (const auto& args : said) lines << args.at(0).toString();
        QVERIFY2(lines.contains("Sam Jones: 2 runs at Lostock"), qPrintable(lines.join(" | ")));
        QVERIFY2(lines.filter("Run c.vrun: it names Kim Lee but lies in Sam Jones's folder").size() == 1,
                 qPrintable(lines.join(" | ")));
    }

    // A team folder beside a library setting that names no file of the data
    // folder: the team's sheets are not taken in, and the window says why.
    void aLibrarySettingThatCannotBeUsedStopsSharingAndSaysWhy() {
        const std::string settings = (programFolder() + "/bin/Vantrel.ini").toStdString();
        QDir().mkpath(programFolder() + "/Team");
        QVERIFY(platform::profile::writeEntry(settings, "Vantrel", "TeamFolder",
                                              (programFolder() + "/Team").toStdString()));
        QVERIFY(platform::profile::writeEntry(settings, "Vantrel", "LibraryFile", "../Library.sqlite"));
        delete m_window.data();
        m_window = newWindow();
        QVERIFY2(c<QLabel>("lblStatus")->text().contains("LibraryFile=../Library.sqlite"),
                 qPrintable(c<QLabel>("lblStatus")->text()));
    }

    void closeUnloadsTheWindow() {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        c<QPushButton>("cmdCancel")->click();
        QTRY_VERIFY(m_window.isNull());
    }
};

QObject* createMainWindowTest() { return new MainWindowTest; }

#include "MainWindowTest.moc"
