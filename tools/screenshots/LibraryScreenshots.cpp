// Pictures of the library window and of a comparison, from the real windows
// over a season of setups, as PNG files into the folder given (docs/ for the
// README). A copy of the staged program folder stands in for the program's
// own, and its library holds the season.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <filesystem>

#include "Installation.h"
#include "CAppSettings.h"
#include "CompareWindow.h"
#include "LibraryModel.h"
#include "LibraryWindow.h"
#include "frmVantrel.h"
#include "library/SetupLibrary.h"
#include "ProgramFolderFiles.h"
#include "platform/Process.h"

using namespace vantrel::library;
using vantrel::SetupField;

namespace {

bool save(QWidget* window, const QDir& out, const char* name) {
    // grab() paints at once; the layouts the last change asked for come first.
    QCoreApplication::sendPostedEvents();
    const QString file = out.filePath(name);
    if (!window->grab().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: library_screenshots <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir scratch;
    testsupport::StandInHost host;
    const std::filesystem::path folder = testsupport::useStagedCopy(scratch.path().toStdString(), host);

    // A season from the sample setup: each round the racer changed a few things.
    vantrel::CAppSettings sample;
    sample.setFileName((folder / "Data" / "Sample_RDX.dat").string());
    sample.LoadRawData();
    const vantrel::Setup base = sample.setup();
    struct Round {
        const char* created;
        const char* track;
        const char* event;
        std::vector<std::pair<SetupField, const char*>> changes;
    };
    const Round season[] = {
        {"2026-01-10T14:05:00+01:00",
         "Northfield Raceway, Leeds",
         "Winter Series Round 1",
         {{SetupField::FrontShockOil, "30"},
          {SetupField::ResultsQualifyingPos, "7th"},
          {SetupField::ResultsFinishPos, "6th"},
          {SetupField::ResultsMain, "B Main"}}},
        {"2026-01-24T15:40:00+01:00",
         "Northfield Raceway, Leeds",
         "Winter Series Round 2",
         {{SetupField::FrontShockTower, "3"},
          {SetupField::Notes,
           "Tower hole 3 calmed the front over the bumps on the back straight; it still pushes mid-corner on "
           "power. Next round: a softer front spring, 2 deg more castor, and 35 WT in the rear if the track "
           "stays this dusty."},
          {SetupField::ResultsQualifyingPos, "5th"},
          {SetupField::ResultsFinishPos, "4th"}}},
        {"2026-02-14T16:20:00+01:00", "Northfield Raceway, Leeds", "Winter Series Round 3", {}},
        {"2026-02-28T13:10:00+01:00",
         "Zürich Indoor Arena",
         "Swiss Open Heat 2",
         {{SetupField::TrackComposition, "Indoor Carpet"},
          {SetupField::FrontTyres, "Schumacher Mini Pin"},
          {SetupField::RearTyres, "Schumacher Mini Pin"},
          {SetupField::FrontArmLength, "Short"},
          {SetupField::FrontArmShock, "2"},
          {SetupField::RearShockSpring, "5.0"},
          {SetupField::ResultsQualifyingPos, "2nd"},
          {SetupField::ResultsFinishPos, "1st"}}},
        {"2026-03-07T11:30:00+01:00",
         "Zürich Indoor Arena",
         "Swiss Open Final",
         {{SetupField::TrackComposition, "Indoor Carpet"},
          {SetupField::FrontTyres, "Schumacher Mini Pin"},
          {SetupField::RearTyres, "Schumacher Mini Pin"},
          {SetupField::FrontArmLength, "Short"},
          {SetupField::FrontArmShock, "2"},
          {SetupField::FrontToeOut, ""},
          {SetupField::FrontToeIn, "0.5"},
          {SetupField::RearShockOil, "35"},
          {SetupField::ResultsQualifyingPos, "1st"},
          {SetupField::ResultsFinishPos, "2nd"}}},
        {"2026-03-21T17:45:00+01:00",
         "Besançon Circuit",
         "Coupe de Printemps",
         {{SetupField::FrontCamber, "-1.5"},
          {SetupField::RearHubCamber, "3"},
          {SetupField::Pinion, "46"},
          {SetupField::ResultsQualifyingPos, "3rd"},
          {SetupField::ResultsFinishPos, "3rd"}}},
    };
    {
        SetupLibrary library(vantrel::Installation::read(platform::process::programFolder()).libraryFile());
        int n = 0;
        for (const Round& round : season) {
            SetupEntry e;
            e.created = round.created;
            e.setupType = "RDX";
            e.values = base;
            // The meeting on the day the sheet was made, as a racer dates it.
            e.values[std::size_t(SetupField::EventDate)] = std::string(round.created, 10);
            e.values[std::size_t(SetupField::TrackCity)] = round.track;
            e.values[std::size_t(SetupField::EventName)] = round.event;
            for (const auto& [field, value] : round.changes) e.values[std::size_t(field)] = value;
            e.sheet = (folder / "Sheets" / ("Alex Brennan_SetupSheet_RDX_" + std::to_string(++n) + ".pdf")).string();
            library.record(e);
        }
        for (const auto& [driver, track] :
             {std::pair{"Sam Carter", "Northfield Raceway, Leeds"}, std::pair{"Åsa Lind", "Zürich Indoor Arena"}}) {
            SetupEntry e;
            e.created = driver[0] == 'S' ? "2026-01-24T15:55:00+01:00" : "2026-03-07T12:05:00+01:00";
            e.setupType = "RDX";
            e.values = base;
            e.values[std::size_t(SetupField::DriverName)] = driver;
            e.values[std::size_t(SetupField::TrackCity)] = track;
            e.values[std::size_t(SetupField::EventName)] = "Club practice";
            e.values[std::size_t(SetupField::EventDate)] = e.created.substr(0, 10);
            e.values[std::size_t(SetupField::ResultsMain)] = "";
            e.values[std::size_t(SetupField::ResultsQualifyingPos)] = "";
            e.values[std::size_t(SetupField::ResultsFinishPos)] = "";
            library.record(e);
        }
    }

    auto* main = new vantrel::frmVantrel(vantrel::Installation::read(platform::process::programFolder()));
    main->show();
    if (!QTest::qWaitForWindowExposed(main)) return 1;
    main->findChild<QPushButton*>("cmdLibrary")->click();
    auto* library = main->findChild<LibraryWindow*>("frmLibrary");
    if (!library || !QTest::qWaitForWindowExposed(library)) return 1;
    library->resize(library->width(), 420);  // as wide as it opens
    library->table()->selectRow(1);
    if (!save(library, out, "library-window.png")) return 1;

    // A search as the racer types it, then the three rounds at one track compared.
    QTest::keyClicks(library->findChild<QLineEdit*>("txtSearch"), "northfield alex");
    QTest::qWait(400);  // the search runs once the typing rests
    library->table()->clearSelection();
    for (int r = 0; r < library->table()->model()->rowCount(); ++r)
        library->table()->selectionModel()->select(library->table()->model()->index(r, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    library->findChild<QPushButton*>("cmdCompare")->click();
    auto* compare = library->findChild<CompareWindow*>();
    if (!compare || !QTest::qWaitForWindowExposed(compare)) return 1;
    compare->resize(1000, 760);
    if (!save(compare, out, "compare.png")) return 1;
    compare->findChild<QCheckBox*>("chkOnlyDifferences")->click();
    compare->resize(1000, 420);
    if (!save(compare, out, "compare-differences.png")) return 1;
    // The whole comparison as PDF, when a file is named.
    compare->setOnlyDifferences(false);
    if (argc > 2) compare->writePdf(QString::fromLocal8Bit(argv[2]));
    delete main;
    return 0;
}
