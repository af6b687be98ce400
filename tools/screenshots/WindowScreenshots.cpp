// Pictures of the six tabs of the real main window, filled with a sample
// setup and after one real run, and of New Setup Type over the club's form, as PNG files into the folder given (docs/
// for the README). A copy of the staged program folder stands in for the program's own, so the run writes nothing into
// the build.

#include <QApplication>
#include <QButtonGroup>
#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <filesystem>

#include "Installation.h"
#include "FolderList.h"
#include "MessageBox.h"

#include "WindowDriver.h"
#include "frmVantrel.h"
#include "ProgramFolderFiles.h"
#include "platform/Process.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_screenshots <output folder> [width height]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir scratch;
    testsupport::StandInHost host;
    // In make-screenshots' scratch home the program stands where a racer unpacks it: the File tab's tree shows that.
    const std::filesystem::path home = QDir::homePath().toStdString();
    std::filesystem::path below = scratch.path().toStdString();
    if (std::filesystem::exists(home / ".screenshots-home")) {
        std::filesystem::remove_all(home / "Vantrel");
        below = home;
    }
    testsupport::useStagedCopy(below, host);

    auto* window = new vantrel::frmVantrel(vantrel::Installation::read(platform::process::programFolder()));
    using windowtest::setTextOf;
    const std::pair<const char*, const char*> sample[] = {
        {"txtDriverName", "Sam Carter"},
        {"txtTrackCity", "Northtown Raceway"},
        {"txtEventName", "Club Race 3"},
        {"txtEventDate", "14 February"},
        {"txtTrackSurface", "Smooth, dusty"},
        {"txtTrackTraction", "Medium"},
        {"txtTrackTemp", "24 C"},
        {"txtMain", "A Main"},
        {"txtQualPos", "3"},
        {"txtFinishPos", "2"},
        {"txtNotes", "Loose on power out of the hairpin; try 35 WT rear."},
        {"txtFrontToe", "1"},
        {"txtFrontCamber", "-1"},
        {"txtFrontRideHeight", "5"},
        {"txtFrontDroop", "3"},
        {"txtFrontShockOil", "30"},
        {"txtFrontPiston", "2 hole"},
        {"txtFrontSpring", "4.2"},
        {"txtRearToeIn", "3"},
        {"txtRearCamber", "-2"},
        {"txtRearRideHeight", "6"},
        {"txtRearDroop", "4"},
        {"txtRearOil", "35"},
        {"txtRearPiston", "2 hole"},
        {"txtRearSpring", "3.6"},
        {"txtFrontTyres", "Pink"},
        {"txtFrontCompound", "32"},
        {"txtFrontInsert", "Closed cell"},
        {"txtFrontRims", "White dish"},
        {"txtAdditive", "Odourless, 10 min"},
        {"txtMotor", "17.5T"},
        {"txtMotorBrush", "-"},
        {"txtMotorSpring", "-"},
        {"txtPinion", "34"},
        {"txtSpur", "78"},
        {"txtRadio", "2.4 GHz"},
        {"txtESC", "Blinky"},
        {"txtServo", "Low profile"},
        {"txtBody", "Clear, medium downforce"},
        {"txtWing", "Stock, 2 mm gurney"},
        {"txtLeadWeights", "10 g front"},
        {"txtComments", "Good on the straights, needs more steering mid-corner."}};
    for (const auto& [name, text] : sample) setTextOf(window, name, QString::fromUtf8(text));
    const std::pair<const char*, int> picks[] = {
        {"OptionFrontShockTower", 2},   {"OptionFrontShockTowerCamber", 6}, {"OptionFrontShockArm", 6},
        {"OptionAckermanBellcrank", 1}, {"OptionAckermanHub", 2},           {"OptionFrontKickupF", 2},
        {"OptionFrontKickupR", 0},      {"OptionRearShockTower", 3},        {"OptionRearShockTowerCamber", 2},
        {"OptionRearShockArm", 6},      {"OptionRearHubCamber", 2},         {"OptionRearAntisquatF", 1},
        {"OptionRearAntisquatR", 3}};
    for (const auto& [group, index] : picks)
        if (QAbstractButton* b = windowtest::option(window, group, index)) b->setChecked(true);

    // The window's own size unless one is asked for.
    if (argc > 3) window->resize(std::atoi(argv[2]), std::atoi(argv[3]));
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) return 1;

    // One run, so the File tab shows the new sheet, in the folder a racer keeps sheets in.
    const QString sheets = QDir::home().filePath("Setup Sheets");
    QDir().mkpath(sheets);
    window->control<vantrel::FolderList>("Dir1")->setPath(sheets);
    vantrel::MessageBox::setNextAnswer(QMessageBox::Ok);
    window->control<QPushButton>("cmdCreateSetupSheet")->click();
    if (!vantrel::MessageBox::history().isEmpty())
        std::fprintf(stderr, "the run failed: %s\n", qPrintable(vantrel::MessageBox::history().first().text));

    auto* tabs = window->control<QTabWidget>("SSTab1");
    const char* const names[] = {"event-details", "front", "rear", "tyres", "other", "file"};
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        QCoreApplication::sendPostedEvents();  // the new tab laid out before grab() paints it
        const QString file = out.filePath(QString("window-%1-%2.png").arg(tab + 1).arg(names[tab]));
        if (!window->grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
    }
    // New Setup Type over the club's form, through the button and its file dialog.
    const QString club = QString::fromStdString(
        (std::filesystem::path(VANTREL_TEST_DATA_DIR) / "setuptype" / "ClubSetupSheet.pdf").string());
    bool shot = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, window, [&] {
        if (auto* chooser = window->findChild<QFileDialog*>("CommonDialog2"); chooser && chooser->isVisible()) {
            if (auto* name = chooser->findChild<QLineEdit*>("fileNameEdit")) {
                name->setText(club);
                QMetaObject::invokeMethod(chooser, "accept");
            }
            return;
        }
        auto* dialog = window->findChild<QDialog*>("frmNewSetupType");
        if (!dialog || !dialog->isVisible()) return;
        poll.stop();
        dialog->resize(dialog->size().boundedTo(QSize(1366, 740)));
        QTest::qWait(300);
        const QString file = out.filePath("new-setup-type.png");
        shot = dialog->grab().save(file);
        std::printf("%s\n", qPrintable(file));
        dialog->reject();
    });
    poll.start(50);
    tabs->setCurrentIndex(tabs->count() - 1);
    window->control<QPushButton>("cmdNewSetupType")->click();
    if (!shot) {
        std::fprintf(stderr, "no picture of New Setup Type\n");
        return 1;
    }
    delete window;
    return 0;
}
