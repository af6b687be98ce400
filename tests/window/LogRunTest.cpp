// Log Run in the real main window: Ctrl+R records the window's setup as the
// next run of its meeting, with laps pasted as a timing printout gives them,
// a lap left out and a driver's column chosen; what changed since the run
// before shows before the save; a meeting not named is asked for first.

#include <filesystem>

#include <QApplication>
#include <QDir>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include "PdfText.h"
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QFile>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <sqlite3.h>

#include "AnsweredDialogs.h"
#include "Installation.h"
#include "platform/Process.h"
#include "LibraryWindow.h"
#include "LogRunDialog.h"
#include "MeetingWindow.h"
#include "TrackHistoryWindow.h"
#include "TeamFolderControl.h"
#include "TeamRuns.h"
#include "MessageBox.h"
#include "SetupFile.h"
#include "pdfauto/Document.h"
#include "runs/RunFile.h"
#include "WindowDriver.h"
#include "WindowTestFolder.h"

using namespace vantrel::library;
using vantrel::frmVantrel;
using vantrel::MessageBox;
using vantrel::runs::LogRunDialog;
using vantrel::runs::MeetingWindow;
using namespace windowtest;

class LogRunTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTestFolder> m_folder;
    AnsweredDialogs m_dialogs;
    QPointer<frmVantrel> m_main;

    // `open` (a key or a click that opens a modal dialog), then `fill` on the
    // dialog while it is open; false when none opened. The timer is this
    // call's own: where no dialog opened (a question answered No), it dies
    // with the call and never fires into a later one.
    bool onDialog(const std::function<void()>& open, const std::function<void(LogRunDialog*)>& fill) {
        bool opened = false;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<LogRunDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            opened = true;
            fill(dialog);
            // A check that failed inside leaves the dialog open: close it, so the test ends.
            if (QTest::currentTestFailed()) dialog->done(QDialog::Rejected);
        });
        timer.start(0);
        open();
        return opened;
    }
    // Ctrl+R, then `fill` on the dialog while it is open; false when none opened.
    bool logRun(const std::function<void(LogRunDialog*)>& fill) {
        m_main->activateWindow();
        if (!QTest::qWaitForWindowActive(m_main)) return false;
        return onDialog([&] { QTest::keyClick(m_main, Qt::Key_R, Qt::ControlModifier); }, fill);
    }
    static void paste(LogRunDialog* dialog, const QString& text) {
        QApplication::clipboard()->setText(text);
        auto* box = dialog->findChild<QPlainTextEdit*>("txtLapText");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }
    // The window's setup at Jo's Summer Cup, with this front shock oil.
    void setMeeting(const QString& oil) {
        setTextOf(m_main, "txtDriverName", "Jo Smith");
        setTextOf(m_main, "txtTrackCity", "Lostock");
        setTextOf(m_main, "txtEventName", "Summer Cup");
        setTextOf(m_main, "txtEventDate", "14/06/2026");
        setTextOf(m_main, "txtFrontShockOil", oil);
    }
    static std::vector<vantrel::runs::StoredRun> meetingRuns() {
        SetupLibrary library(vantrel::Installation::read(platform::process::programFolder()).libraryFile());
        return vantrel::runs::trackRuns(library, "Lostock");
    }
    // Clicks the button of a window whose click opens a modal dialog, and
    // `fill` on that dialog while it is open; false when none opened.
    bool withDialog(QPushButton* button, const std::function<void(LogRunDialog*)>& fill) {
        return onDialog([&] { QTest::mouseClick(button, Qt::LeftButton); }, fill);
    }
    static QStringList lapsShown(LogRunDialog* dialog) {
        QStringList out;
        auto* list = dialog->findChild<QListWidget*>("lstLaps");
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text().simplified();
        return out;
    }

private slots:
    void init() {
        m_folder = std::make_unique<WindowTestFolder>(false);
        QVERIFY(showNewMainWindow(m_main, {.dialogs = m_dialogs.dialogs()}));
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main));
    }
    void cleanup() {
        delete m_main.data();
        m_folder.reset();
        MessageBox::clearHistory();
    }

    void logsTheMeetingsRunsWithWhatChanged() {
        setTextOf(m_main, "txtDriverName", "Jo Smith");
        setTextOf(m_main, "txtTrackCity", "Lostock");
        setTextOf(m_main, "txtEventName", "Summer Cup");
        setTextOf(m_main, "txtEventDate", "14/06/2026");
        setTextOf(m_main, "txtFrontShockOil", "30");
        setTextOf(m_main, "txtTrackTemp", "31");

        QVERIFY(logRun([&](LogRunDialog* d) {
            QCOMPARE(d->findChild<QComboBox*>("cmbRunName")->currentText(), QString("Practice 1"));
            QCOMPARE(d->findChild<QLabel*>("lblChanges")->text(), QString("The meeting's first run."));
            QCOMPARE(d->findChild<QLineEdit*>("txtRunTrackTemp")->text(), QString("31"));
            // A printout's table, its header and a line that is no lap.
            paste(d, "Lap\tPos\tTime\n1\t3\t13.012\n2\t2\t12.514\n3\t2\t0:12.398\n4\t1\t19.870\nDNF\n");
            QCOMPARE(lapsShown(d), QStringList({"Lap 1 13.012", "Lap 2 12.514", "Lap 3 12.398", "Lap 4 19.870 slow"}));
            QVERIFY(d->findChild<QLabel*>("lblUnread")->text().contains("Line 6: \"DNF\" holds no lap time"));
            QVERIFY(!d->findChild<QComboBox*>("cmbLapColumn")->isVisible());
            // The crash lap is offered left out, with why.
            QCOMPARE(d->findChild<QListWidget*>("lstLaps")->item(3)->checkState(), Qt::Unchecked);
            QVERIFY(d->findChild<QLabel*>("lblUnread")->text().contains("Lap 4 (19.870) is left out: over 1.5"));
            QVERIFY(d->findChild<QLabel*>("lblFigures")->text().startsWith("3 laps · best 12.398"));
            typeText(d->findChild<QLineEdit*>("txtRunPosition"), "2");
            typeText(d->findChild<QLineEdit*>("txtRunNote"), "pushed on entry");
            QTest::keyClick(d->findChild<QLineEdit*>("txtRunNote"), Qt::Key_Return);
        }));
        QTRY_VERIFY(m_main->control<QLabel>("lblStatus")->text().startsWith("Logged Practice 1 (run 1 of Summer Cup"));

        setTextOf(m_main, "txtFrontShockOil", "35");
        QVERIFY(logRun([&](LogRunDialog* d) {
            QCOMPARE(d->findChild<QComboBox*>("cmbRunName")->currentText(), QString("Practice 2"));
            QCOMPARE(d->findChild<QLabel*>("lblChanges")->text(),
                     QString("Changed since Practice 1:\n    Thicker Front Shocks Oil, 30 → 35"));
            // Three drivers' columns: the racer's own is taken by the setup's name.
            paste(d, "Lap  Al Brown  Jo Smith  Kim Lee\n1 12.800 12.345 13.000\n2 12.700 12.200 13.100\n");
            auto* column = d->findChild<QComboBox*>("cmbLapColumn");
            QVERIFY(column->isVisible());
            QCOMPARE(column->count(), 3);
            QCOMPARE(column->currentIndex(), 1);
            QCOMPARE(lapsShown(d), QStringList({"Lap 1 12.345", "Lap 2 12.200"}));
            QTest::mouseClick(d->findChild<QPushButton*>("cmdSaveRun"), Qt::LeftButton);
        }));
        QTRY_VERIFY(m_main->control<QLabel>("lblStatus")->text().startsWith("Logged Practice 2 (run 2"));

        SetupLibrary library(vantrel::Installation::read(platform::process::programFolder()).libraryFile());
        vantrel::Setup meeting;
        meeting[std::size_t(vantrel::SetupField::DriverName)] = "jo smith";
        meeting[std::size_t(vantrel::SetupField::TrackCity)] = "LOSTOCK";
        meeting[std::size_t(vantrel::SetupField::EventName)] = "summer cup";
        meeting[std::size_t(vantrel::SetupField::EventDate)] = "2026-06-14";
        const auto runs = vantrel::runs::meetingRuns(library, meeting);
        QCOMPARE(runs.size(), std::size_t(2));
        QCOMPARE(runs[0].laps.size(), std::size_t(4));
        QVERIFY(!runs[0].laps[3].kept);
        QCOMPARE(runs[0].figures.best, std::int64_t(12398));
        QCOMPARE(runs[0].position, std::string("2"));
        QCOMPARE(runs[0].note, std::string("pushed on entry"));
        QCOMPARE(runs[0].trackTemp, std::string("31"));
        QCOMPARE(runs[1].figures.best, std::int64_t(12200));
        QCOMPARE(runs[1].values[std::size_t(vantrel::SetupField::FrontShockOil)], std::string("35"));
        QCOMPARE(runs[1].changes.size(), std::size_t(1));

        // The meeting's window: its runs in order, and its page as a PDF.
        QTest::mouseClick(m_main->findChild<QPushButton*>("cmdMeetingRuns"), Qt::LeftButton);
        auto* meetingWindow = m_main->findChild<MeetingWindow*>("frmMeeting");
        QVERIFY(meetingWindow);
        QCOMPARE(meetingWindow->table()->rowCount(), 2);
        QCOMPARE(meetingWindow->table()->item(1, 1)->text(), QString("Practice 2"));
        QCOMPARE(meetingWindow->table()->item(1, 12)->text(), QString("Thicker Front Shocks Oil, 30 → 35"));
        // Save as PDF asks through the window's dialogs, as the comparison
        // does, first in the data folder, then where the racer last saved.
        const QString pdf = QString::fromStdString((m_folder->path() / "meeting.pdf").string());
        QStringList offered;
        m_dialogs.answerFiles([&](vantrel::FileChoice choice, const QString& suggestion) {
            offered << suggestion;
            return choice == vantrel::FileChoice::ComparisonPdf ? QStringList{pdf} : QStringList();
        });
        for (int save = 0; save < 2; ++save)
            QTest::mouseClick(meetingWindow->findChild<QPushButton*>("cmdSavePdf"), Qt::LeftButton);
        QCOMPARE(meetingWindow->findChild<QLabel*>("lblStatus")->text(), "Saved as " + pdf);
        const QString name = "/Meeting Summer Cup 14-06-2026 at Lostock (Jo Smith).pdf";
        // As Qt's file dialogs take paths, with "/" on every system.
        for (QString& suggestion : offered) suggestion = QDir::fromNativeSeparators(suggestion);
        const QString folder = QDir::fromNativeSeparators(QString::fromStdString(m_folder->path().string()));
        QCOMPARE(offered, QStringList({folder + "/Data" + name, folder + name}));
        QFile written(pdf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.read(5) == "%PDF-");
        // Which change paid off at the track, below the runs (its "ff" drawn as
        // one glyph).
        const auto text = testsupport::pdfText(pdf, {"-layout"});
        QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
        const QString page = text.text;
        QVERIFY2(page.contains("Which change paid o") && page.contains("Thicker Front Shocks Oil") &&
                     page.contains("unclear"),
                 qPrintable(page.right(700)));

        // It keeps to the truth while open: a run logged in the window shows
        // at once, one another program logged when it is next activated, and
        // an activation with nothing new leaves the racer's place in the table.
        QVERIFY(logRun([&](LogRunDialog* d) {
            QCOMPARE(d->findChild<QComboBox*>("cmbRunName")->currentText(), QString("Practice 3"));
            QTest::mouseClick(d->findChild<QPushButton*>("cmdSaveRun"), Qt::LeftButton);
        }));
        QCOMPARE(meetingWindow->table()->rowCount(), 3);
        QCOMPARE(meetingWindow->table()->item(2, 1)->text(), QString("Practice 3"));
        QCOMPARE(meetingWindow->table()->item(2, 12)->text(), QString("(nothing changed)"));
        // The window is activated as the racer comes back to it.
        auto activate = [meetingWindow] {
            QEvent activation(QEvent::WindowActivate);
            QApplication::sendEvent(meetingWindow, &activation);
        };
        meetingWindow->table()->selectRow(1);
        activate();
        QCOMPARE(meetingWindow->table()->currentRow(), 1);
        {
            vantrel::runs::RunEntry elsewhere;
            elsewhere.name = "Heat 1";
            elsewhere.values = runs[1].values;
            vantrel::runs::logRun(library, elsewhere);
        }
        activate();
        QCOMPARE(meetingWindow->table()->rowCount(), 4);
        QCOMPARE(meetingWindow->table()->item(3, 1)->text(), QString("Heat 1"));
        meetingWindow->close();

        // A team mate's runs there, with a change of their own.
        for (const auto& [oil, best] : {std::pair{"30", 13000}, {"40", 12500}}) {
            vantrel::runs::RunEntry mate;
            mate.name = "Heat";
            mate.values = runs[1].values;
            mate.values[std::size_t(vantrel::SetupField::DriverName)] = "Sam Jones";
            mate.values[std::size_t(vantrel::SetupField::RearShockOil)] = oil;
            mate.team = "Sam Jones";
            mate.laps = {{best, true}, {best + 50, true}};
            vantrel::runs::logRun(library, mate);
        }

        // Which change paid off, in the track's history: the racer's own, and
        // the team's beside them without choosing "All drivers".
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main));
        QTest::keyClick(m_main, Qt::Key_L, Qt::ControlModifier);
        auto* libraryWindow = m_main->findChild<LibraryWindow*>("frmLibrary");
        QVERIFY(libraryWindow);
        QTest::mouseClick(libraryWindow->findChild<QPushButton*>("cmdTrackHistory"), Qt::LeftButton);
        auto* history = libraryWindow->findChild<TrackHistoryWindow*>("frmTrackHistory");
        QVERIFY(history);
        history->showTrack("Lostock");
        auto* paid = history->findChild<QTableWidget*>("tblPaidOff");
        QVERIFY(paid);
        QCOMPARE(paid->rowCount(), 2);
        QCOMPARE(paid->item(0, 0)->text(), QString("Own"));
        QCOMPARE(paid->item(0, 1)->text(), QString("Thicker Front Shocks Oil"));
        QCOMPARE(paid->item(0, 5)->text(), QString("-0.198"));  // the raw difference
        QCOMPARE(paid->item(0, 9)->text(), QString("unclear"));
        // Behind the row its pairs, and from a pair its meeting's runs.
        auto* pairs = history->findChild<QTableWidget*>("tblPaidOffPairs");
        QVERIFY(pairs);
        QCOMPARE(pairs->rowCount(), 0);
        paid->selectRow(0);
        QCOMPARE(pairs->rowCount(), 1);
        QCOMPARE(pairs->item(0, 1)->text(), QString("Practice 1"));
        QCOMPARE(pairs->item(0, 2)->text(), QString("Practice 2"));
        QCOMPARE(pairs->item(0, 5)->text(), QString("-0.198"));
        QCOMPARE(pairs->item(0, 7)->text(), QString("none"));
        QCOMPARE(history->findChildren<MeetingWindow*>().size(), 0);
        const QRect cell = pairs->visualItemRect(pairs->item(0, 0));
        QTest::mouseClick(pairs->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(pairs->viewport(), Qt::LeftButton, {}, cell.center());
        const auto opened = history->findChildren<MeetingWindow*>();
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0]->runs().size(), std::size_t(4));
        opened[0]->close();
        // And in the history's PDF.
        const QString historyPdf = QString::fromStdString((m_folder->path() / "history.pdf").string());
        m_dialogs.answerFiles(vantrel::FileChoice::ComparisonPdf, {historyPdf});
        QTest::mouseClick(history->findChild<QPushButton*>("cmdSavePdf"), Qt::LeftButton);
        const auto historyText = testsupport::pdfText(historyPdf, {"-layout"});
        QVERIFY2(historyText.error.isEmpty(), qPrintable(historyText.error));
        const QString historyPage = historyText.text;
        QVERIFY2(
            historyPage.contains(QRegularExpression("Thicker Front Shocks Oil +1 +-0\\.198 +none +-0\\.198 +unclear")),
            qPrintable(historyPage.left(1500)));
        // The team's rows beside the racer's own.
        QCOMPARE(paid->item(1, 0)->text(), QString("Team"));
        QCOMPARE(paid->item(1, 1)->text(), QString("Thicker Rear Shocks Oil"));
    }

    // The meeting's date as the racer writes it, in a name a file can hold.
    void thePageIsOfferedUnderTheMeetingsName_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("name");
        QTest::newRow("slashes") << "14/06/2026"
                                 << "Cup"
                                 << "Meeting Cup 14-06-2026 at Leeds (Jo).pdf";
        QTest::newRow("dots") << "14.06.2026"
                              << "Cup"
                              << "Meeting Cup 14.06.2026 at Leeds (Jo).pdf";
        QTest::newRow("backslash, colon") << "14\\06:2026"
                                          << "Cup?"
                                          << "Meeting Cup- 14-06-2026 at Leeds (Jo).pdf";
        QTest::newRow("tab") << "14 June"
                             << "A\tB"
                             << "Meeting A-B 14 June at Leeds (Jo).pdf";
        QTest::newRow("no date") << ""
                                 << "Cup"
                                 << "Meeting Cup at Leeds (Jo).pdf";
    }
    void thePageIsOfferedUnderTheMeetingsName() {
        QFETCH(QString, date);
        QFETCH(QString, event);
        QFETCH(QString, name);
        vantrel::Setup meeting;
        meeting[std::size_t(vantrel::SetupField::DriverName)] = "Jo";
        meeting[std::size_t(vantrel::SetupField::TrackCity)] = "Leeds";
        meeting[std::size_t(vantrel::SetupField::EventName)] = event.toStdString();
        meeting[std::size_t(vantrel::SetupField::EventDate)] = date.toStdString();
        QCOMPARE(vantrel::runs::meetingPdfName(meeting), name);
        // Four fields at their longest: still a name a file system takes, cut at a whole character.
        for (const auto field : {vantrel::SetupField::DriverName, vantrel::SetupField::TrackCity,
                                 vantrel::SetupField::EventName, vantrel::SetupField::EventDate})
            meeting[std::size_t(field)] = std::string(120, 'x') + "é";
        const QByteArray longest = vantrel::runs::meetingPdfName(meeting).toUtf8();
        QVERIFY(longest.size() <= 255 - 16 && longest.endsWith(".pdf"));
        QVERIFY(QString::fromUtf8(longest).toUtf8() == longest);
    }

    void leavingTheTrackOffersTheRunInTheClosestConditions() {
        {
            SetupLibrary library(vantrel::Installation::read(platform::process::programFolder()).libraryFile());
            for (const auto& [event, temp, oil, best] :
                 {std::tuple{"Spring Cup", "18", "30", 13500}, {"Summer Cup", "31", "40", 13210}}) {
                vantrel::runs::RunEntry e;
                e.name = "Q3";
                e.values[std::size_t(vantrel::SetupField::DriverName)] = "Jo Smith";
                e.values[std::size_t(vantrel::SetupField::TrackCity)] = "Lostock";
                e.values[std::size_t(vantrel::SetupField::EventName)] = event;
                e.values[std::size_t(vantrel::SetupField::EventDate)] = "2026-06-14";
                e.values[std::size_t(vantrel::SetupField::TrackTraction)] = "high grip";
                e.values[std::size_t(vantrel::SetupField::FrontShockOil)] = oil;
                e.trackTemp = temp;
                e.laps = {{best, true}};
                vantrel::runs::logRun(library, e);
            }
        }
        setTextOf(m_main, "txtTrackTemp", "29 °C");
        setTextOf(m_main, "txtDriverName", "Jo Smith");
        setTextOf(m_main, "txtEventName", "Autumn Cup");
        setTextOf(m_main, "txtEventDate", "12/12/2026");
        auto* track = m_main->control<QLineEdit>("txtTrackCity");
        track->setFocus();
        typeText(track, "lostock");
        QTest::keyClick(track, Qt::Key_Tab);
        auto* offer = m_main->findChild<QLabel*>("lblClosestConditions");
        QVERIFY(offer);
        QTRY_VERIFY(offer->isVisible());
        QCOMPARE(offer->text(),
                 QString("Closest conditions: 31 °C, high grip: Q3 of Summer Cup 2026-06-14, best 13.210 —"));
        // Each Load in the status line is drawn as a button, as the racer looks for one.
        for (const char* name : {"cmdLoadLastHere", "cmdLoadClosest"}) {
            auto* button = m_main->findChild<QPushButton*>(name);
            QVERIFY2(button && !button->isFlat(), name);
        }
        // What was typed (the track, its temperature) is replaced only after a question.
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(m_main->findChild<QPushButton*>("cmdLoadClosest"), Qt::LeftButton);
        QTRY_COMPARE(textOf(m_main, "txtFrontShockOil"), QString("40"));
        QVERIFY(!offer->isVisible());
        // Nothing was typed into the car: nothing to ask before it is loaded.
        QVERIFY(MessageBox::history().empty());
        // The car alone: today's meeting and conditions stay as typed.
        QCOMPARE(textOf(m_main, "txtEventName"), QString("Autumn Cup"));
        QCOMPARE(textOf(m_main, "txtEventDate"), QString("12/12/2026"));
        QCOMPARE(textOf(m_main, "txtTrackTemp"), QString("29 °C"));
        QCOMPARE(textOf(m_main, "txtTrackCity"), QString("lostock"));
    }

    // Edit… puts a run right in the Log Run dialog, Delete… asks and takes
    // it out (the runs after it move up), Undo Delete brings it back.
    void aRunIsPutRightAndDeletedInTheMeetingWindow() {
        setMeeting("30");
        QVERIFY(logRun([&](LogRunDialog* d) {
            paste(d, "12.400\n12.450\n19.900\n12.380");
            // Return in the laps box is a new line; Ctrl+Return there saves.
            auto* box = d->findChild<QPlainTextEdit*>("txtLapText");
            QTest::keyClick(box, Qt::Key_Return);
            QVERIFY(d->isVisible());
            QVERIFY(box->toPlainText().endsWith("12.380\n"));
            QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
        }));
        setMeeting("35");
        QVERIFY(logRun([&](LogRunDialog* d) {
            paste(d, "12.300\n12.320\n");
            QTest::keyClick(d->findChild<QLineEdit*>("txtAirTemp"), Qt::Key_Return, Qt::ControlModifier);
        }));
        QCOMPARE(meetingRuns().size(), std::size_t(2));
        QVERIFY(!meetingRuns()[0].laps[2].kept);

        QTest::mouseClick(m_main->findChild<QPushButton*>("cmdMeetingRuns"), Qt::LeftButton);
        auto* window = m_main->findChild<MeetingWindow*>("frmMeeting");
        QVERIFY(window);
        auto* edit = window->findChild<QPushButton*>("cmdEditRun");
        auto* remove = window->findChild<QPushButton*>("cmdDeleteRun");
        auto* undo = window->findChild<QPushButton*>("cmdUndoDelete");
        QVERIFY(!edit->isEnabled() && !remove->isEnabled());
        QVERIFY(!undo->isVisible());
        window->table()->selectRow(0);
        QVERIFY(edit->isEnabled() && remove->isEnabled());
        QVERIFY(withDialog(edit, [&](LogRunDialog* d) {
            QCOMPARE(d->windowTitle(), QString("Edit Run"));
            QCOMPARE(d->findChild<QComboBox*>("cmbRunName")->currentText(), QString("Practice 1"));
            QCOMPARE(lapsShown(d), QStringList({"Lap 1 12.400", "Lap 2 12.450", "Lap 3 19.900", "Lap 4 12.380"}));
            auto* laps = d->findChild<QListWidget*>("lstLaps");
            QCOMPARE(laps->item(2)->checkState(), Qt::Unchecked);
            laps->item(2)->setCheckState(Qt::Checked);
            laps->item(0)->setCheckState(Qt::Unchecked);
            QVERIFY(d->findChild<QLabel*>("lblFigures")->text().startsWith("3 laps · best 12.380"));
            auto* note = d->findChild<QLineEdit*>("txtRunNote");
            typeText(note, "marshal slow");
            QTest::keyClick(note, Qt::Key_Return, Qt::ControlModifier);
        }));
        auto runs = meetingRuns();
        QCOMPARE(runs.size(), std::size_t(2));
        QCOMPARE(QString::fromStdString(runs[0].name + "/" + runs[1].name), QString("Practice 1/Practice 2"));
        QCOMPARE(runs[0].note, std::string("marshal slow"));
        QCOMPARE(vantrel::runs::lapsToText(runs[0].laps),
                 vantrel::runs::lapsToText({{12400, false}, {12450, true}, {19900, true}, {12380, true}}));
        QCOMPARE(runs[0].revision, 2);
        QCOMPARE(runs[0].values[std::size_t(vantrel::SetupField::FrontShockOil)], std::string("30"));
        QCOMPARE(window->table()->item(0, 11)->text(), QString("marshal slow"));
        QVERIFY(window->findChild<QLabel*>("lblStatus")->text().startsWith("Put right: Practice 1 (run 1)"));

        // Delete… asks; No keeps the run.
        window->table()->selectRow(0);
        MessageBox::setNextAnswer(QMessageBox::No);
        QTest::mouseClick(remove, Qt::LeftButton);
        QVERIFY(MessageBox::history().back().text.startsWith("Delete Practice 1 (run 1 of Summer Cup"));
        QCOMPARE(window->table()->rowCount(), 2);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(window->table()->rowCount(), 1);
        QCOMPARE(window->table()->item(0, 0)->text(), QString("1"));
        QCOMPARE(window->table()->item(0, 1)->text(), QString("Practice 2"));
        QCOMPARE(meetingRuns().size(), std::size_t(1));
        QVERIFY(meetingRuns()[0].first);
        QVERIFY(undo->isVisible());
        QTest::mouseClick(undo, Qt::LeftButton);
        QCOMPARE(window->table()->rowCount(), 2);
        QCOMPARE(window->table()->item(0, 1)->text(), QString("Practice 1"));
        QCOMPARE(window->table()->item(1, 0)->text(), QString("2"));
        QVERIFY(!undo->isVisible());
        runs = meetingRuns();
        QCOMPARE(runs.size(), std::size_t(2));
        QCOMPARE(runs[0].note, std::string("marshal slow"));
        QCOMPARE(vantrel::library::changeText(runs[1].changes.at(0)), std::string("Thicker Front Shocks Oil, 30 → 35"));
        window->close();
    }

    // At the pit table: Escape over pasted laps asks first; Save and the
    // driver's column have mnemonics; a window whose car is empty asks.
    void thePitTableAsksBeforeLosingLapsOrLoggingNoCar() {
        setTextOf(m_main, "txtDriverName", "Jo Smith");
        setTextOf(m_main, "txtTrackCity", "Lostock");
        setTextOf(m_main, "txtEventName", "Summer Cup");
        MessageBox::setNextAnswer(QMessageBox::No);
        QVERIFY(!logRun([](LogRunDialog*) {}));
        QVERIFY(MessageBox::history().back().text.contains("holds no setup of the car"));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QVERIFY(logRun([&](LogRunDialog* d) {
            QCOMPARE(d->findChild<QPushButton*>("cmdSaveRun")->text(), QString("&Save"));
            paste(d, "Lap\tSmith, Jo\tBrown, Al\n1\t12.345\t12.800\n");
            const auto labels = d->findChildren<QLabel*>();
            QVERIFY(std::any_of(labels.begin(), labels.end(), [&](QLabel* l) {
                return l->text() == "&Driver's column:" && l->buddy() == d->findChild<QComboBox*>("cmbLapColumn");
            }));
            MessageBox::setNextAnswer(QMessageBox::No);
            QTest::keyClick(d->findChild<QPlainTextEdit*>("txtLapText"), Qt::Key_Escape);
            QVERIFY(d->isVisible());
            QCOMPARE(MessageBox::history().back().text, QString("Throw away the lap times pasted here?"));
            QCOMPARE(lapsShown(d), QStringList({"Lap 1 12.345"}));
            MessageBox::setNextAnswer(QMessageBox::Yes);
            QTest::keyClick(d->findChild<QLineEdit*>("txtRunNote"), Qt::Key_Escape);
            QVERIFY(!d->isVisible());
        }));
        QCOMPARE(meetingRuns().size(), std::size_t(0));
        // A field left empty is no change: a full setup after the empty one lists none.
        setMeeting("30");
        QVERIFY(logRun([&](LogRunDialog* d) { d->reject(); }));
    }

    // A library that cannot be written when Ctrl+R is pressed (another
    // program holds it): the dialog opens all the same, keeps the laps, says
    // why, and saves once the library can be written.
    void aLibraryThatCannotBeWrittenKeepsTheLapsUntilItCan() {
        setMeeting("30");
        const std::string path = vantrel::Installation::read(platform::process::programFolder()).libraryFile();
        { SetupLibrary library(path); }
        sqlite3* holder = nullptr;
        QCOMPARE(sqlite3_open(path.c_str(), &holder), SQLITE_OK);
        QCOMPARE(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        QVERIFY(logRun([&](LogRunDialog* d) {
            paste(d, "12.400\n12.450\n");
            MessageBox::setNextAnswer(QMessageBox::Ok);
            QTest::mouseClick(d->findChild<QPushButton*>("cmdSaveRun"), Qt::LeftButton);
            QVERIFY(d->isVisible());
            QVERIFY2(MessageBox::history().back().text.contains("locked by another program"),
                     qPrintable(MessageBox::history().back().text));
            auto* said = d->findChild<QLabel*>("lblLibrary");
            QVERIFY(said->isVisible());
            QVERIFY(said->text().contains("Save records it once the library can be written"));
            QCOMPARE(lapsShown(d), QStringList({"Lap 1 12.400", "Lap 2 12.450"}));
            sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
            QTest::mouseClick(d->findChild<QPushButton*>("cmdSaveRun"), Qt::LeftButton);
            QVERIFY(!d->isVisible());
        }));
        sqlite3_close(holder);
        QCOMPARE(meetingRuns().size(), std::size_t(1));
        QCOMPARE(meetingRuns()[0].figures.laps, std::size_t(2));
    }

    // Choosing a team folder offers the runs logged before it: Yes shares
    // them at once, No keeps them on this machine from every scan after.
    void choosingATeamFolderOffersTheRunsLoggedBefore() {
        const std::string library = vantrel::Installation::read(platform::process::programFolder()).libraryFile();
        {
            SetupLibrary setups(library);
            for (const char* name : {"Practice 1", "Practice 2"}) {
                vantrel::runs::RunEntry run;
                run.name = name;
                run.values[std::size_t(vantrel::SetupField::DriverName)] = "Jo Smith";
                run.values[std::size_t(vantrel::SetupField::TrackCity)] = "Lostock";
                run.values[std::size_t(vantrel::SetupField::EventName)] = "Summer Cup";
                vantrel::runs::logRun(setups, run);
            }
        }
        auto* control = m_main->findChild<vantrel::TeamFolderControl*>();
        QVERIFY(control);
        const std::filesystem::path team = m_folder->path() / "Team", other = m_folder->path() / "Other";
        std::filesystem::create_directories(team);
        std::filesystem::create_directories(other);
        auto files = [](const std::filesystem::path& folder) {
            int n = 0;
            if (std::filesystem::exists(folder / "Jo Smith"))
                for (const auto& f : std::filesystem::directory_iterator(folder / "Jo Smith"))
                    n += f.path().extension() == ".vrun";
            return n;
        };
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QVERIFY(control->setTeamFolder(QString::fromStdString(team.string())));
        QVERIFY(MessageBox::history().back().text.startsWith("Share the 2 runs you logged before"));
        QCOMPARE(files(team), 2);
        // Chosen again: the folder has them, nothing is asked.
        MessageBox::clearHistory();
        QVERIFY(control->setTeamFolder(QString::fromStdString(team.string())));
        QVERIFY(MessageBox::history().isEmpty());
        MessageBox::setNextAnswer(QMessageBox::No);
        QVERIFY(control->setTeamFolder(QString::fromStdString(other.string())));
        QVERIFY(MessageBox::history().back().text.startsWith("Share the 2 runs"));
        SetupLibrary setups(library);
        const auto report = vantrel::team::syncTeamRuns(setups, other.string(), "Jo Smith");
        QCOMPARE(report.published, std::size_t(0));
        QCOMPARE(files(other), 0);
        QVERIFY(control->setTeamFolder({}));
    }

    // Every field of the car changed since the run before: the list scrolls,
    // and the dialog stays within the screen with Save on it.
    void aLongListOfChangesKeepsTheDialogOnTheScreen() {
        setMeeting("30");
        {
            SetupLibrary library(vantrel::Installation::read(platform::process::programFolder()).libraryFile());
            vantrel::runs::RunEntry before;
            before.name = "Practice 1";
            for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i) before.values[i] = "7";
            before.values[std::size_t(vantrel::SetupField::DriverName)] = "Jo Smith";
            before.values[std::size_t(vantrel::SetupField::TrackCity)] = "Lostock";
            before.values[std::size_t(vantrel::SetupField::EventName)] = "Summer Cup";
            before.values[std::size_t(vantrel::SetupField::EventDate)] = "2026-06-14";
            vantrel::runs::logRun(library, before);
        }
        // Every box of the window but the meeting's holds another value.
        for (QLineEdit* box : m_main->findChildren<QLineEdit*>(QRegularExpression("^txt")))
            if (!QStringList({"txtDriverName", "txtTrackCity", "txtEventName", "txtEventDate"})
                     .contains(box->objectName()))
                box->setText("9");
        QVERIFY(logRun([&](LogRunDialog* d) {
            const QRect screen = d->screen()->availableGeometry();
            QVERIFY2(d->frameGeometry().height() <= screen.height(),
                     qPrintable(QString("%1 > %2").arg(d->frameGeometry().height()).arg(screen.height())));
            auto* changes = d->findChild<QScrollArea*>("scrChanges");
            QVERIFY(changes);
            QVERIFY(d->findChild<QLabel*>("lblChanges")->text().count("\n") >= 10);
            QVERIFY(changes->height() < d->findChild<QLabel*>("lblChanges")->sizeHint().height());
            d->reject();
        }));
    }

    void openSetupBringsTheRunsASheetCarries() {
        std::vector<vantrel::runs::RunEntry> carried(2);
        for (int i = 0; i < 2; ++i) {
            auto& run = carried[std::size_t(i)];
            run.name = i ? "Practice 2" : "Practice 1";
            run.uid = i ? "b2" : "a1";
            run.values[std::size_t(vantrel::SetupField::DriverName)] = "Jo Smith";
            run.values[std::size_t(vantrel::SetupField::TrackCity)] = "Lostock";
            run.values[std::size_t(vantrel::SetupField::EventName)] = "Summer Cup";
            run.values[std::size_t(vantrel::SetupField::FrontShockOil)] = i ? "35" : "30";
            run.laps = {{12300 - 100 * i, true}};
        }
        // A sheet as a run builds it: the setup attached, and the meeting's runs beside it.
        const std::string sheet = (m_folder->path() / "Sheets" / "Jo Smith_SetupSheet_RDX.pdf").string();
        {
            pdfauto::Document document((m_folder->path() / "Templates" / "SetupSheet_RDX.pdf").string());
            document.attach("Jo Smith_SetupSheet_RDX.dat", carried[1].values.rawDataText(), "text/plain");
            document.attach("Jo Smith_SetupSheet_RDX.vrun", vantrel::runs::runsFileText(carried), "text/plain");
            document.save(sheet);
        }
        QVERIFY(m_main->openSetupFile(QString::fromStdString(sheet)));
        const QString status = m_main->control<QLabel>("lblStatus")->text();
        // A long path is cut in the middle; the whole of it is in the tooltip.
        QVERIFY2(status.contains(".pdf and 2 runs of its meeting"), qPrintable(status));
        QVERIFY(m_main->control<QLabel>("lblStatus")->toolTip().contains("Jo Smith_SetupSheet_RDX.pdf"));
        SetupLibrary library(vantrel::Installation::read(platform::process::programFolder()).libraryFile());
        const auto runs = vantrel::runs::trackRuns(library, "lostock");
        QCOMPARE(runs.size(), std::size_t(2));
        QCOMPARE(vantrel::library::changeText(runs[1].changes.at(0)), std::string("Thicker Front Shocks Oil, 30 → 35"));
        QVERIFY(m_main->openSetupFile(QString::fromStdString(sheet)));
        QCOMPARE(vantrel::runs::runCount(library), std::size_t(2));
    }

    void aPrintoutGivesTheLapsDrivenAndAnUnnamedColumnWaitsForTheChoice() {
        setTextOf(m_main, "txtDriverName", "Zoë Müller");
        setTextOf(m_main, "txtFrontShockOil", "30");
        setTextOf(m_main, "txtTrackCity", "Lostock");
        setTextOf(m_main, "txtEventName", "Summer Cup");
        setTextOf(m_main, "txtEventDate", "14/06/2026");
        QVERIFY(logRun([&](LogRunDialog* d) {
            // A printout's title, its result line and a timing glitch are no laps.
            paste(d,
                  "RCM Race Control Management 4.1\nResult : 2. 4 laps 53.615\n\nLap     Time\n  1   14.631\n"
                  "  2   13.702\n  3    4.100\n  4   13.655\n  5   13.627\n");
            QCOMPARE(lapsShown(d), QStringList({"Lap 1 14.631", "Lap 2 13.702", "Lap 3 13.655", "Lap 4 13.627"}));
            QVERIFY(d->findChild<QLabel*>("lblUnread")->text().contains("4.100 is under half the median lap"));
            QVERIFY(d->findChild<QLabel*>("lblUnread")->text().contains("The text gives 4 laps; its lap table has 5"));
            // Columns none of which is the racer's: no laps until the racer says whose; Save waits.
            d->findChild<QPlainTextEdit*>("txtLapText")->selectAll();
            paste(d, "Lap\tSmith, Jo\tBrown, Al\n1\t12.345\t12.800\n2\t12.200\t12.700\n");
            auto* save = d->findChild<QPushButton*>("cmdSaveRun");
            QVERIFY(lapsShown(d).isEmpty());
            QVERIFY(!save->isEnabled());
            QTest::keyClick(d, Qt::Key_Return);
            QVERIFY(d->isVisible());
            d->findChild<QComboBox*>("cmbLapColumn")->setCurrentIndex(1);
            QCOMPARE(lapsShown(d), QStringList({"Lap 1 12.800", "Lap 2 12.700"}));
            QVERIFY(save->isEnabled());
            // The name was taken meanwhile (another program logged Practice 1): said, and the next free one offered.
            {
                SetupLibrary library(vantrel::Installation::read(platform::process::programFolder()).libraryFile());
                vantrel::runs::RunEntry elsewhere;
                elsewhere.name = d->findChild<QComboBox*>("cmbRunName")->currentText().toStdString();
                elsewhere.values[std::size_t(vantrel::SetupField::DriverName)] = "Zoë Müller";
                elsewhere.values[std::size_t(vantrel::SetupField::TrackCity)] = "Lostock";
                elsewhere.values[std::size_t(vantrel::SetupField::EventName)] = "Summer Cup";
                elsewhere.values[std::size_t(vantrel::SetupField::EventDate)] = "2026-06-14";
                vantrel::runs::logRun(library, elsewhere);
            }
            MessageBox::setNextAnswer(QMessageBox::Ok);
            QTest::mouseClick(save, Qt::LeftButton);
            QVERIFY(d->isVisible());
            QVERIFY(MessageBox::history().back().text.contains("Practice 1 already"));
            QCOMPARE(d->findChild<QComboBox*>("cmbRunName")->currentText(), QString("Practice 2"));
            QTest::mouseClick(save, Qt::LeftButton);
        }));
        SetupLibrary library(vantrel::Installation::read(platform::process::programFolder()).libraryFile());
        const auto runs = vantrel::runs::trackRuns(library, "Lostock");
        QCOMPARE(runs.size(), std::size_t(2));
        QCOMPARE(runs[1].name, std::string("Practice 2"));
        QCOMPARE(vantrel::runs::lapsToText(runs[1].laps), std::string("12800 12700"));
    }

    void aMeetingNotNamedIsAskedForAndNothingIsRecorded() {
        setTextOf(m_main, "txtDriverName", "Jo Smith");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QVERIFY(!logRun([](LogRunDialog*) {}));
        QCOMPARE(MessageBox::history().size(), qsizetype(1));
        QVERIFY(MessageBox::history().front().text.contains("Track / City is empty"));
        SetupLibrary library(vantrel::Installation::read(platform::process::programFolder()).libraryFile());
        QCOMPARE(vantrel::runs::runCount(library), std::size_t(0));
    }
};

QObject* createLogRunTest() { return new LogRunTest; }

#include "LogRunTest.moc"
