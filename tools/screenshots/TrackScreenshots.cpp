// Pictures of "Last here" in the main window's status line and of a track's
// history with its chart, from the real windows over a season of setups, as
// PNG files of the whole screen into the folder given (docs/ for the README);
// with a second argument, the history's PDF too. Run under Xvfb at 1366x768:
//   xvfb-run -a -s "-screen 0 1366x768x24" build/tests/track_screenshots docs/ [history.pdf]

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QSplitter>
#include <QTest>

#include <cstdio>
#include <filesystem>

#include "Installation.h"
#include "CAppSettings.h"
#include "LibraryWindow.h"
#include "ProgramFolderFiles.h"
#include "TrackHistoryWindow.h"
#include "frmVantrel.h"
#include "library/SetupLibrary.h"
#include "platform/Process.h"

using namespace vantrel::library;
using vantrel::SetupField;

namespace {

// The whole screen, as the racer sees it.
bool shoot(const QDir& out, const char* name) {
    QTest::qWait(400);
    const QString file = out.filePath(name);
    if (QProcess::execute("import", {"-window", "root", file}) != 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

void type(QWidget* box, const QString& text) {
    for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, box, Qt::Key(c.toUpper().unicode()), QString(c), {});
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: track_screenshots <output folder> [history.pdf]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir scratch;
    testsupport::StandInHost host;
    const std::filesystem::path folder = testsupport::useStagedCopy(scratch.path().toStdString(), host);
    host.setDayBeforeMonth(true);

    vantrel::CAppSettings sample;
    sample.setFileName((folder / "Data" / "Sample_RDX.dat").string());
    sample.LoadRawData();
    vantrel::Setup car = sample.setup();
    struct Meeting {
        const char* event;
        const char* date;  // as the racer wrote it
        const char* qualifying;
        const char* finishing;
        std::vector<std::pair<SetupField, const char*>> changes;
    };
    const Meeting season[] = {
        {"Winter Series Round 1", "10/01/2026", "7th", "6th", {{SetupField::FrontShockOil, "30"}}},
        {"Winter Series Round 2", "24 Jan 2026", "5th", "4th", {{SetupField::FrontShockTower, "3"}}},
        {"Winter Series Round 3", "14.2.2026", "6th", "5th", {{SetupField::RearShockSpring, "5.0"}}},
        {"Spring Cup Heat 1",
         "2026-03-14",
         "3rd",
         "2nd",
         {{SetupField::RearShockSpring, "4.5"}, {SetupField::Pinion, "46"}}},
        {"Spring Cup Final", "Sat 11th April 2026", "2nd", "1st", {{SetupField::FrontShockOil, "35"}}},
        {"Club Championship", "May 9 2026", "1st", "1st", {}},
    };
    {
        SetupLibrary library(vantrel::Installation::read(platform::process::programFolder()).libraryFile());
        int n = 0;
        // Built in another order than they were raced: the dates put them right.
        for (const int i : {2, 0, 1, 5, 3, 4}) {
            const Meeting& m = season[i];
            vantrel::Setup v = car;
            for (int k = 0; k <= i; ++k)
                for (const auto& [field, value] : season[k].changes) v[std::size_t(field)] = value;
            v[std::size_t(SetupField::TrackCity)] = "Northfield Raceway, Leeds";
            v[std::size_t(SetupField::EventName)] = m.event;
            v[std::size_t(SetupField::EventDate)] = m.date;
            v[std::size_t(SetupField::ResultsQualifyingPos)] = m.qualifying;
            v[std::size_t(SetupField::ResultsFinishPos)] = m.finishing;
            SetupEntry e;
            e.created = "2026-05-1" + std::to_string(n) + "T20:00:00+02:00";
            e.setupType = "RDX";
            e.values = v;
            e.sheet = (folder / "Sheets" / ("Alex Brennan_SetupSheet_RDX_" + std::to_string(++n) + ".pdf")).string();
            library.record(e);
        }
        // One meeting elsewhere, far down the field: the history shows it
        // first, so the picture shows a chart drawn anew for another track.
        SetupEntry elsewhere;
        elsewhere.created = "2026-05-20T20:00:00+02:00";
        elsewhere.setupType = "RDX";
        elsewhere.values = car;
        elsewhere.values[std::size_t(SetupField::TrackCity)] = "Southport";
        elsewhere.values[std::size_t(SetupField::EventName)] = "Beach Open";
        elsewhere.values[std::size_t(SetupField::ResultsQualifyingPos)] = "14th";
        elsewhere.values[std::size_t(SetupField::ResultsFinishPos)] = "12th";
        library.record(elsewhere);
    }

    auto* main = new vantrel::frmVantrel(vantrel::Installation::read(platform::process::programFolder()));
    main->show();
    main->activateWindow();
    if (!QTest::qWaitForWindowActive(main)) std::fprintf(stderr, "the window did not become active\n");
    auto* track = main->control<QLineEdit>("txtTrackCity");
    main->control<QLineEdit>("txtDriverName")->setText(QString::fromStdString(car[0]));
    track->setFocus();
    type(track, "northfield raceway, leeds");
    QTest::keyClick(track, Qt::Key_Tab);
    bool ok = shoot(out, "last-here.png");

    QTest::keyClick(main, Qt::Key_L, Qt::ControlModifier);
    auto* libraryWindow = main->findChild<LibraryWindow*>("frmLibrary");
    libraryWindow->move(20, 20);
    QTest::mouseClick(libraryWindow->findChild<QPushButton*>("cmdTrackHistory"), Qt::LeftButton);
    auto* history = libraryWindow->findChild<TrackHistoryWindow*>("frmTrackHistory");
    history->showTrack("Southport");
    QTest::qWait(300);
    history->showTrack("Northfield Raceway, Leeds");
    // The history maximised, as a racer reads it; its meetings given the room
    // the empty paid-off table would take.
    history->showMaximized();
    history->raise();
    history->activateWindow();
    QTest::qWait(300);
    if (auto* split = history->findChild<QSplitter*>()) {
        QList<int> sizes = split->sizes();
        const int moved = std::min(120, sizes.back() / 2);
        sizes.front() += moved;
        sizes.back() -= moved;
        split->setSizes(sizes);
    }
    history->chooseMeeting(3);
    ok = shoot(out, "track-history.png") && ok;
    if (argc > 2) history->writePdf(QString::fromLocal8Bit(argv[2]));
    delete main;
    return ok ? 0 : 1;
}
