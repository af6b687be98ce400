// The capture of the main window into the raw data file: which control feeds
// which field, and the index rules of the option readers.

#include <map>
#include <memory>

#include "platform/PathParts.h"
#include "Installation.h"
#include "platform/Process.h"
#include "CAppSettings.h"
#include "CRawDataBuilder.h"
#include "WindowDriver.h"
#include "WindowTestFolder.h"
#include "platform/Error.h"

using vantrel::CRawDataBuilder;
using vantrel::frmVantrel;
using namespace windowtest;

namespace {

const char* const kOptionFields[] = {
    "FrontKickupF",          "FrontKickupR",         "AckermanHub",    "AckermanBellcrank", "FrontShockTower",
    "FrontShockTowerCamber", "FrontArmShock",        "FrontArmLength", "RearAntisquatF",    "RearAntisquatR",
    "RearShockTower",        "RearShockTowerCamber", "RearHubCamber",  "RearArmShock",      "RearArmLength"};

}  // namespace

class RawDataCaptureTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTestFolder> m_folder;
    QPointer<frmVantrel> m_window;

    std::map<std::string, std::string> capture() {
        CRawDataBuilder builder(*m_window);
        builder.CreateRawData();
        // The data folder of the window's installation, native.
        if (builder.RawDataFilename() !=
            platform::paths::joined(platform::paths::joined(m_folder->str(), "Data"), "RawData.dat"))
            throw std::runtime_error("unexpected raw data file " + builder.RawDataFilename());
        const auto entries = WindowTestFolder::rawEntries(m_folder->rawDataFile());
        return {entries.begin(), entries.end()};
    }
    // Clicks the holes named "group index group index ...".
    bool pick(const QString& picks) {
        const QStringList parts = picks.split(' ', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
            if (!clickOption(m_window, parts[i].toLatin1().constData(), parts[i + 1].toInt())) return false;
        return true;
    }

private slots:
    void init() {
        m_folder = std::make_unique<WindowTestFolder>(false);
        m_window = new frmVantrel(vantrel::Installation::read(platform::process::programFolder()));
    }
    void cleanup() {
        delete m_window.data();
        m_folder.reset();
    }

    void everyFieldFromItsControl() {
        // Every text and combo box its own value; blanks at the ends stay.
        for (const FieldSource& source : kFieldSources)
            if (!isOptionSource(source.control))
                setTextOf(m_window, source.control, QString(" %1 value ").arg(source.control));
        setTextOf(m_window, "txtFrontToe", "1.5");
        QVERIFY(
            pick("OptionFrontToe 1 OptionFrontKickupF 3 OptionFrontKickupR 1 OptionAckermanHub 2 "
                 "OptionAckermanBellcrank 1 OptionFrontShockTower 4 OptionFrontShockTowerCamber 7 "
                 "OptionFrontShockArm 3 OptionRearAntisquatF 0 OptionRearAntisquatR 4 OptionRearShockTower 2 "
                 "OptionRearShockTowerCamber 5 OptionRearHubCamber 4 OptionRearShockArm 7"));
        const std::map<std::string, std::string> options = {
            {"FrontToeIn", ""},         {"FrontToeOut", "1.5"},         {"FrontKickupF", "3"},
            {"FrontKickupR", "1"},      {"AckermanHub", "2"},           {"AckermanBellcrank", "1"},
            {"FrontShockTower", "4"},   {"FrontShockTowerCamber", "7"}, {"FrontArmShock", "3"},
            {"FrontArmLength", "Long"}, {"RearAntisquatF", "0"},        {"RearAntisquatR", "4"},
            {"RearShockTower", "2"},    {"RearShockTowerCamber", "5"},  {"RearHubCamber", "4"},
            {"RearArmShock", "3"},      {"RearArmLength", "Short"}};

        CRawDataBuilder(*m_window).CreateRawData();
        const auto entries = WindowTestFolder::rawEntries(m_folder->rawDataFile());
        QCOMPARE(entries.size(), vantrel::SetupFieldCount);
        QCOMPARE(entries.size(), std::size(kFieldSources));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const FieldSource& source = kFieldSources[i];
            QCOMPARE(entries[i].first, std::string(source.field));
            const std::string expected = isOptionSource(source.control) ? options.at(source.field)
                                                                        : " " + std::string(source.control) + " value ";
            QVERIFY2(entries[i].second == expected, source.field);
        }
        // The capture changes no control.
        QCOMPARE(textOf(m_window, "txtDriverName"), QString(" txtDriverName value "));
        QCOMPARE(m_window->control<QButtonGroup>("OptionRearShockArm")->checkedId(), 7);
    }

    void optionReaders_data() {
        // Holes to click, and the option fields that must hold a value;
        // every other option field must be empty.
        QTest::addColumn<QString>("picks");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lowest indices, long arms")
            << "OptionFrontShockArm 2 OptionRearShockArm 1 OptionFrontKickupF 0 OptionFrontKickupR 0 "
               "OptionAckermanHub 1 OptionAckermanBellcrank 1 OptionFrontShockTower 1 OptionFrontShockTowerCamber 1 "
               "OptionRearAntisquatF 0 OptionRearAntisquatR 0 OptionRearShockTower 1 OptionRearShockTowerCamber 1 "
               "OptionRearHubCamber 1"
            << "FrontArmShock=2 FrontArmLength=Long RearArmShock=1 RearArmLength=Long FrontKickupF=0 FrontKickupR=0 "
               "AckermanHub=1 AckermanBellcrank=1 FrontShockTower=1 FrontShockTowerCamber=1 RearAntisquatF=0 "
               "RearAntisquatR=0 RearShockTower=1 RearShockTowerCamber=1 RearHubCamber=1";
        QTest::newRow("highest indices, last long-arm holes")
            << "OptionFrontShockArm 4 OptionRearShockArm 4 OptionFrontKickupF 4 OptionFrontKickupR 2 "
               "OptionAckermanHub 2 OptionAckermanBellcrank 2 OptionFrontShockTower 4 OptionFrontShockTowerCamber 8 "
               "OptionRearAntisquatF 4 OptionRearAntisquatR 4 OptionRearShockTower 4 OptionRearShockTowerCamber 8 "
               "OptionRearHubCamber 4"
            << "FrontArmShock=4 FrontArmLength=Long RearArmShock=4 RearArmLength=Long FrontKickupF=4 FrontKickupR=2 "
               "AckermanHub=2 AckermanBellcrank=2 FrontShockTower=4 FrontShockTowerCamber=8 RearAntisquatF=4 "
               "RearAntisquatR=4 RearShockTower=4 RearShockTowerCamber=8 RearHubCamber=4";
        QTest::newRow("first short-arm holes")
            << "OptionFrontShockArm 5 OptionRearShockArm 5"
            << "FrontArmShock=2 FrontArmLength=Short RearArmShock=1 RearArmLength=Short";
        QTest::newRow("front arm 6, rear arm 8") << "OptionFrontShockArm 6 OptionRearShockArm 8"
                                                 << "FrontArmShock=3 FrontArmLength=Short RearArmShock=4 "
                                                    "RearArmLength=Short";
        QTest::newRow("front arm 7, rear arm 6") << "OptionFrontShockArm 7 OptionRearShockArm 6"
                                                 << "FrontArmShock=4 FrontArmLength=Short RearArmShock=2 "
                                                    "RearArmLength=Short";
    }
    void optionReaders() {
        QFETCH(QString, picks);
        QFETCH(QString, expected);
        QVERIFY(pick(picks));
        std::map<std::string, std::string> want;
        for (const char* field : kOptionFields) want[field] = "";
        for (const QString& pair : expected.split(' '))
            want[pair.section('=', 0, 0).toStdString()] = pair.section('=', 1).toStdString();
        const auto fields = capture();
        for (const auto& [field, value] : want)
            QVERIFY2(fields.count(field) && fields.at(field) == value, field.c_str());
    }

    void toe_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("toeIn");
        QTest::addColumn<QString>("toeOut");
        QTest::newRow("toe-in") << 0 << " 2.5 "
                                << "";
        QTest::newRow("toe-out") << 1 << ""
                                 << " 2.5 ";
        QTest::newRow("neither") << -1 << ""
                                 << "";
    }
    void toe() {
        QFETCH(int, choice);
        QFETCH(QString, toeIn);
        QFETCH(QString, toeOut);
        setTextOf(m_window, "txtFrontToe", " 2.5 ");
        if (choice < 0) clearGroup(m_window, "OptionFrontToe");
        else QVERIFY(clickOption(m_window, "OptionFrontToe", choice));
        const auto fields = capture();
        QCOMPARE(QString::fromStdString(fields.at("FrontToeIn")), toeIn);
        QCOMPARE(QString::fromStdString(fields.at("FrontToeOut")), toeOut);
        // No other group has a selection: every option field is empty.
        for (const char* field : kOptionFields) QVERIFY2(fields.at(field).empty(), field);
    }

    void secondCaptureReplacesTheFirst() {
        setTextOf(m_window, "txtDriverName", "First");
        setTextOf(m_window, "txtMotor", "27T");
        QVERIFY(pick("OptionRearHubCamber 3"));
        capture();
        setTextOf(m_window, "txtDriverName", "Second");
        setTextOf(m_window, "txtMotor", "");
        clearGroup(m_window, "OptionRearHubCamber");
        const auto fields = capture();
        QCOMPARE(WindowTestFolder::rawEntries(m_folder->rawDataFile()).size(), vantrel::SetupFieldCount);
        QCOMPARE(fields.at("DriverName"), std::string("Second"));
        QCOMPARE(fields.at("Motor"), std::string());
        QCOMPARE(fields.at("RearHubCamber"), std::string());
    }

    void failureNamesTheCapture() {
        CRawDataBuilder builder(*m_window);
        builder.setRawDataFilename("previous");
        delete m_window->control<QWidget>("txtMotor");
        try {
            builder.CreateRawData();
            QFAIL("a capture without txtMotor succeeded");
        } catch (const platform::Error& error) {
            QCOMPARE(error.number(), 1);
            QCOMPARE(error.source(), std::string("CRawDataBuilderCreateRawData"));
            QVERIFY(error.description().find("txtMotor") != std::string::npos);
        }
        QCOMPARE(builder.RawDataFilename(), std::string("previous"));
        QVERIFY(!std::filesystem::exists(m_folder->rawDataFile()));
    }
};

QObject* createRawDataCaptureTest() { return new RawDataCaptureTest; }

#include "RawDataCaptureTest.moc"
