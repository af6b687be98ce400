// One press of "Create >" from a typed setup to the opened sheet, with the
// real pipeline, form filler, logger and PDF automation, and a recording
// viewer in place of the desktop's.

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

#include "CAppSettings.h"
#include "ElidedLabel.h"
#include "FolderList.h"
#include "MessageBox.h"
#include "OtherRunLock.h"
#include "WindowDriver.h"
#include "WindowTestFolder.h"
#include "frmVantrel.h"

using vantrel::frmVantrel;
using vantrel::MessageBox;
using namespace windowtest;
namespace fs = std::filesystem;

namespace {

std::vector<fs::path> sheetsIn(const fs::path& folder) {
    std::vector<fs::path> out;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".pdf") out.push_back(entry.path());
    std::sort(out.begin(), out.end());
    return out;
}

void pressCreate(frmVantrel* window) {
    QTest::mouseClick(window->control<QPushButton>("cmdCreateSetupSheet"), Qt::LeftButton);
}

}  // namespace

class RunSetupSheetTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTestFolder> m_folder;
    QPointer<frmVantrel> m_window;

private slots:
    void init() {
        m_folder = std::make_unique<WindowTestFolder>();
        QVERIFY(showNewMainWindow(m_window));
        // The sheets go to a folder of their own, opened in the folder list.
        auto* dir1 = m_window->control<vantrel::FolderList>("Dir1");
        dir1->setPath(QString::fromStdString(m_folder->sheetsFolder().string()));
    }
    void cleanup() {
        delete m_window.data();
        m_folder.reset();
    }

    void wholeSetupMakesTheSheet() {
        auto type = [this](const char* name, const QString& text) {
            QWidget* box = m_window->control<QWidget>(name);
            box->setFocus();
            QTest::keyClicks(box, text);
        };
        type("txtDriverName", "Driver A");
        type("txtEventName", "Club Race 3");
        type("txtNotes", "Loose on power");
        for (const auto& [name, text] : {std::pair{"txtFrontToe", "1"},
                                         {"txtFrontShockOil", "30"},
                                         {"txtRearCamber", "-1"},
                                         {"cmbFrontAntiRollBar", "1.3mm"},
                                         {"txtFrontTyres", "Pink"},
                                         {"txtFrontCompound", "32"},
                                         {"txtMotor", "17.5T"}})
            setTextOf(m_window, name, text);
        m_window->control<QCheckBox>("chkSameFrontRearTyres")->click();
        QVERIFY(clickOption(m_window, "OptionFrontShockArm", 6));
        QVERIFY(clickOption(m_window, "OptionRearShockArm", 2));
        QVERIFY(clickOption(m_window, "OptionFrontShockTower", 2));
        QVERIFY(clickOption(m_window, "OptionAckermanHub", 1));
        QVERIFY(clickOption(m_window, "OptionFrontKickupF", 3));

        pressCreate(m_window);
        QVERIFY2(MessageBox::history().isEmpty(), qPrintable(MessageBox::history().value(0).text));

        // The capture: 73 entries of what the window showed.
        const auto entries = WindowTestFolder::rawEntries(m_folder->rawDataFile());
        QCOMPARE(entries.size(), vantrel::SetupFieldCount);
        const std::map<std::string, std::string> raw(entries.begin(), entries.end());
        QCOMPARE(raw.at("DriverName"), std::string("Driver A"));
        QCOMPARE(raw.at("RearTyreCompound"), std::string("32"));
        QCOMPARE(raw.at("FrontArmShock"), std::string("3"));
        QCOMPARE(raw.at("FrontArmLength"), std::string("Short"));

        // The sheet: shown in the window by its native path, opened in the viewer.
        const auto sheets = sheetsIn(m_folder->sheetsFolder());
        QCOMPARE(sheets.size(), std::size_t(1));
        auto* txtTargetPDF = m_window->control<QLineEdit>("txtTargetPDF");
        QCOMPARE(txtTargetPDF->text(), QString::fromStdString(sheets[0].string()));
        QVERIFY(!txtTargetPDF->isHidden());
        QVERIFY(!m_window->control<QLabel>("Label3")->isHidden());
        QTRY_VERIFY(m_folder->viewerCalls().contains(QString::fromStdString(sheets[0].string())));

        const auto fields = WindowTestFolder::formFields(sheets[0]);
        const std::map<std::string, std::string> expected = {
            {"fldDriverName", "Driver A"}, {"fldRaceEvent", "Club Race 3"},  {"fldFrontToeIn", "1 deg"},
            {"fldFrontToeOut", ""},        {"fldFrontShockOil", "30 WT"},    {"fldRearCamber", "-1 deg"},
            {"fldFrontCastor", "4 deg"},   {"fldFrontAntiRollBar", "1.3mm"}, {"fldRearTyreCompound", "32"},
            {"fldFrontArmShort", "_"},     {"fldFrontArmShort3", "l"},       {"fldFrontArmLong", ""},
            {"fldRearArmLong", "_"},       {"fldRearArmLong2", "l"},         {"fldFrontShockTowerShock2", "l"},
            {"fldAckermanHub1", "l"},      {"fldFrontKickupF", "3"},         {"fldNotes", "Loose on power"}};
        for (const auto& [name, value] : expected) {
            QVERIFY2(fields.count(name) == 1, name.c_str());
            QVERIFY2(fields.at(name) == value, (name + " = " + fields.at(name)).c_str());
        }

        // A second press makes a second sheet from what the window shows now.
        setTextOf(m_window, "txtDriverName", "Driver B");
        pressCreate(m_window);
        QVERIFY(MessageBox::history().isEmpty());
        const auto after = sheetsIn(m_folder->sheetsFolder());
        QCOMPARE(after.size(), std::size_t(2));
        QVERIFY(txtTargetPDF->text() != QString::fromStdString(sheets[0].string()));
        QCOMPARE(WindowTestFolder::formFields(txtTargetPDF->text().toStdString()).at("fldDriverName"),
                 std::string("Driver B"));

        // Built, but the desktop finds no viewer for it: the status line says so at once.
        m_folder->viewer().findsNone();
        pressCreate(m_window);
        QVERIFY(MessageBox::history().isEmpty());
        // The whole line in the tooltip; on the line a path too long for it
        // loses its folders, never the sheet's name at its end.
        auto* lblStatus = m_window->control<vantrel::ElidedLabel>("lblStatus");
        const QString status = lblStatus->toolTip();
        QVERIFY2(status.startsWith("Sheet saved: " + txtTargetPDF->text() + ". Warning: no viewer could show it"),
                 qPrintable(status));
        const QString warning = status.mid(status.indexOf(". Warning: "));
        QCOMPARE(lblStatus->text(), status);
        const QString shown = lblStatus->shownText();
        const QString sheetName = QFileInfo(txtTargetPDF->text()).fileName();
        // The folders go first, then the end of the warning: the name stays whole.
        QVERIFY2(shown.startsWith("Sheet saved: ") && shown.contains(QDir::separator() + sheetName + ". Warning"),
                 qPrintable(shown));
        QVERIFY2(shown.size() < status.size() && shown.contains(QChar(0x2026)), qPrintable(shown));

        // The run and Open Sheet both say so in the desktop's words, and Open
        // Sheet stays to try again.
        const QString noViewer = lblStatus->toolTip();
        QVERIFY2(noViewer == "Sheet saved: " + txtTargetPDF->text() + ". Warning: no viewer could show it (" +
                                 QString::fromStdString(testsupport::StandInViewer::runWords()) + ")",
                 qPrintable(noViewer));
        auto* openSheet = m_window->control<QPushButton>("cmdOpenSheet");
        QVERIFY(openSheet->isVisible());
        QTest::mouseClick(openSheet, Qt::LeftButton);
        QCOMPARE(m_window->control<QLabel>("lblStatus")->text(),
                 "No viewer could open " + txtTargetPDF->text() + ": " +
                     QString::fromStdString(testsupport::StandInViewer::openWords()) + "; open it by hand");
        // A viewer again: Open Sheet shows it.
        m_folder->viewer().records();
        QTest::mouseClick(openSheet, Qt::LeftButton);
        QTRY_VERIFY(m_folder->viewerCalls().contains(txtTargetPDF->text()));
    }

    void rawDataSource_data() {
        QTest::addColumn<Qt::CheckState>("external");
        QTest::addColumn<QString>("rawDataFile");  // "other": a prepared file of another driver
        QTest::addColumn<QString>("driverOnSheet");
        QTest::addColumn<bool>("captured");
        QTest::newRow("ticked, chosen file") << Qt::Checked << "other"
                                             << "Other Driver" << false;
        QTest::newRow("grey counts as unticked") << Qt::PartiallyChecked << "other"
                                                 << "Window Driver" << true;
        QTest::newRow("unticked") << Qt::Unchecked << "other"
                                  << "Window Driver" << true;
    }
    void rawDataSource() {
        QFETCH(Qt::CheckState, external);
        QFETCH(QString, rawDataFile);
        QFETCH(QString, driverOnSheet);
        QFETCH(bool, captured);
        const fs::path other = m_folder->write("Data/Other.dat", "[SetupData]\r\nDriverName=Other Driver\r\n");
        QString path = rawDataFile;
        if (rawDataFile == "other") path = QString::fromStdString(other.string());
        if (rawDataFile == "missing") path = QString::fromStdString((m_folder->path() / "Data" / "Nope.dat").string());

        setTextOf(m_window, "txtDriverName", "Window Driver");
        m_window->control<QCheckBox>("chkExternalData")->setCheckState(external);
        m_window->control<QLineEdit>("txtRawDataFile")->setText(path);
        pressCreate(m_window);

        QVERIFY2(MessageBox::history().isEmpty(), qPrintable(MessageBox::history().value(0).text));
        QCOMPARE(fs::exists(m_folder->rawDataFile()), captured);
        const auto sheets = sheetsIn(m_folder->sheetsFolder());
        QCOMPARE(sheets.size(), std::size_t(1));
        QCOMPARE(m_window->control<QLineEdit>("txtTargetPDF")->text(), QString::fromStdString(sheets[0].string()));
        QCOMPARE(QString::fromStdString(WindowTestFolder::formFields(sheets[0]).at("fldDriverName")), driverOnSheet);
    }

    // What the racer can put right at once is said plainly before the run.
    void putRightBeforeTheRun_data() {
        QTest::addColumn<QString>("setup");  // "folder as data file", "new target"
        QTest::addColumn<int>("answer");     // to the question asked, if any
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("sheets");
        QTest::newRow("a folder picked as the data file")
            << "folder as data file" << int(QMessageBox::Ok)
            << "The data file %1 is a folder. Choose a raw data file (.dat) in it with the \"...\" button." << 0;
        QTest::newRow("a new target folder, made")
            << "new target" << int(QMessageBox::Yes) << "The folder %1 does not exist. Create it for the sheet?" << 1;
        QTest::newRow("a new target folder, not wanted")
            << "new target" << int(QMessageBox::No) << "The folder %1 does not exist. Create it for the sheet?" << 0;
    }
    void putRightBeforeTheRun() {
        QFETCH(QString, setup);
        QFETCH(int, answer);
        QFETCH(QString, message);
        QFETCH(int, sheets);
        setTextOf(m_window, "txtDriverName", "Driver A");
        fs::path named = m_folder->path() / "Data";
        if (setup == "folder as data file") {
            m_window->control<QCheckBox>("chkExternalData")->setCheckState(Qt::Checked);
            m_window->control<QLineEdit>("txtRawDataFile")->setText(QString::fromStdString(named.string()));
        } else {
            named = m_folder->sheetsFolder() / "Season 2026" / "Round 1";
            m_window->control<QLineEdit>("txtTargetPDFDirectory")->setText(QString::fromStdString(named.string()));
        }
        MessageBox::setNextAnswer(QMessageBox::StandardButton(answer));
        pressCreate(m_window);
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(MessageBox::history().front().text, message.arg(QString::fromStdString(named.string())));
        const fs::path target = setup == "new target" ? named : m_folder->sheetsFolder();
        QCOMPARE(fs::exists(target) ? int(sheetsIn(target).size()) : 0, sheets);
        if (setup == "new target") QCOMPARE(fs::exists(named), answer == int(QMessageBox::Yes));
    }

    void failedRun_data() {
        QTest::addColumn<QString>("breakWhat");
        QTest::addColumn<QString>("message");  // whole text, or its start when it ends in "*"
        QTest::addColumn<bool>("succeedFirst");
        QTest::newRow("capture fails") << "capture"
                                       << "Error: CRawDataBuilderCreateRawData" << false;
        QTest::newRow("template missing") << "template"
                                          << "Error: CSetupManager::BuildSetupSheet-*" << false;
        QTest::newRow("after a good run") << "template"
                                          << "Error: CSetupManager::BuildSetupSheet-*" << true;
        // A raw data file the racer names that cannot be read gives no sheet of empty values.
        QTest::newRow("external file missing") << "external missing"
                                               << "Error: CSetupManager::BuildSetupSheet-The raw data file *" << false;
        QTest::newRow("external file not named")
            << "external empty"
            << "Error: CSetupManager::BuildSetupSheet-The raw data file *" << false;
    }
    void failedRun() {
        QFETCH(QString, breakWhat);
        QFETCH(QString, message);
        QFETCH(bool, succeedFirst);
        setTextOf(m_window, "txtDriverName", "Driver A");
        auto* txtTargetPDF = m_window->control<QLineEdit>("txtTargetPDF");
        QString shownBefore;
        if (succeedFirst) {
            pressCreate(m_window);
            QVERIFY(MessageBox::history().isEmpty());
            shownBefore = txtTargetPDF->text();
            QVERIFY(!shownBefore.isEmpty());
        }

        if (breakWhat == "capture") delete m_window->control<QWidget>("txtMotor");
        if (breakWhat == "template") fs::remove(m_folder->path() / "Templates" / "SetupSheet_RDX.pdf");
        if (breakWhat.startsWith("external")) {
            m_window->control<QCheckBox>("chkExternalData")->setCheckState(Qt::Checked);
            m_window->control<QLineEdit>("txtRawDataFile")
                ->setText(breakWhat == "external empty"
                              ? QString()
                              : QString::fromStdString((m_folder->path() / "Data" / "Nope.dat").string()));
        }
        MessageBox::setNextAnswer(QMessageBox::Ok);
        pressCreate(m_window);

        QCOMPARE(MessageBox::history().size(), 1);
        const MessageBox::Shown& box = MessageBox::history().first();
        if (message.endsWith('*')) QVERIFY2(box.text.startsWith(message.chopped(1)), qPrintable(box.text));
        else QCOMPARE(box.text, message);
        QCOMPARE(box.title, QString("Vantrel"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

        // The status line tells of the failure; the File tab keeps showing the last sheet made, if any.
        QCOMPARE(m_window->control<QLabel>("lblStatus")->text(),
                 "No sheet was made: the run failed (" + box.text + ")");
        QVERIFY(m_window->control<QPushButton>("cmdOpenSheet")->isHidden());
        QCOMPARE(txtTargetPDF->text(), shownBefore);
        QCOMPARE(txtTargetPDF->isHidden(), !succeedFirst);
        QCOMPARE(m_window->control<QLabel>("Label3")->isHidden(), !succeedFirst);
        QVERIFY(sheetsIn(m_folder->sheetsFolder()).size() == (succeedFirst ? 1u : 0u));
    }

    // Another run (a batch, another window) holds the program folder's lock:
    // the click waits for it, and gives up after the wait with one error,
    // having written nothing.
    void anotherRunGoesFirst_data() {
        QTest::addColumn<Qt::CheckState>("external");
        QTest::addColumn<int>("otherRunMs");  // how long the other run goes on; -1: longer than the wait
        QTest::addColumn<QString>("message");
        const QString busy =
            "Another setup sheet is being built in the program folder %1; try again when it is "
            "finished";
        QTest::newRow("capture waits in vain")
            << Qt::Unchecked << -1 << "Error: modStartProgram::RunSetupSheet-" + busy;
        QTest::newRow("external data waits in vain")
            << Qt::Checked << -1 << "Error: CSetupManager::BuildSetupSheet-" + busy;
        QTest::newRow("capture gets its turn") << Qt::Unchecked << 300 << "";
        QTest::newRow("external data gets its turn") << Qt::Checked << 300 << "";
    }
    void anotherRunGoesFirst() {
        QFETCH(Qt::CheckState, external);
        QFETCH(int, otherRunMs);
        QFETCH(QString, message);
        const fs::path other = m_folder->write("Data/Other.dat", "[SetupData]\r\nDriverName=Other Driver\r\n");
        setTextOf(m_window, "txtDriverName", "Window Driver");
        m_window->control<QCheckBox>("chkExternalData")->setCheckState(external);
        m_window->control<QLineEdit>("txtRawDataFile")->setText(QString::fromStdString(other.string()));

        // The other run lets go after otherRunMs, or holds on till the end.
        std::optional<std::chrono::milliseconds> otherRunTime;
        if (otherRunMs >= 0) otherRunTime = std::chrono::milliseconds(otherRunMs);
        testsupport::OtherRunLock otherRun(otherRunTime);
        QVERIFY2(otherRun.held(), qPrintable(otherRun.why()));
        // The run's wait of 30 s passes in a fifth of a second.
        if (otherRunMs < 0) m_folder->host().setWaitSpeed(150);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        pressCreate(m_window);
        m_folder->host().setWaitSpeed(1);

        const std::vector<fs::path> sheets = sheetsIn(m_folder->sheetsFolder());
        if (message.isEmpty()) {
            QVERIFY2(MessageBox::history().isEmpty(), qPrintable(MessageBox::history().value(0).text));
            QCOMPARE(sheets.size(), std::size_t(1));
            QCOMPARE(WindowTestFolder::formFields(sheets[0]).at("fldDriverName"),
                     std::string(external == Qt::Checked ? "Other Driver" : "Window Driver"));
            return;
        }
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(MessageBox::history().first().text, message.arg(QString::fromStdString(m_folder->str())));
        QVERIFY(sheets.empty());
        for (const char* written : {"Data/RawData.dat", "Data/SheetData.txt", "Mapping/Mapping_RDX.map"})
            QVERIFY2(!fs::exists(m_folder->path() / written), written);
        QVERIFY(m_window->control<QLineEdit>("txtTargetPDF")->isHidden());
    }
};

QObject* createRunSetupSheetTest() { return new RunSetupSheetTest; }

#include "RunSetupSheetTest.moc"
