// At the track, in the real main window: leaving the Track / City box with a
// track the library knows offers the last setup there in the status line,
// and one click loads it; the track's history chooses a setup by its point.

#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include "PdfText.h"
#include <QPushButton>
#include <QTableWidget>

#include "Installation.h"
#include "LibraryWindow.h"
#include "TrackHistoryWindow.h"
#include "WindowDriver.h"
#include "WindowTestFolder.h"
#include "platform/Process.h"

using namespace vantrel::library;
using vantrel::frmVantrel;
using vantrel::MessageBox;
using vantrel::SetupField;
using namespace windowtest;

class TrackSideTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTestFolder> m_folder;
    QPointer<frmVantrel> m_main;

    // Leaves the box as a racer does: typing the track, then Tab.
    void typeTrack(const QString& track) {
        auto* box = m_main->control<QLineEdit>("txtTrackCity");
        box->setFocus();
        box->clear();
        typeText(box, track);
        QTest::keyClick(box, Qt::Key_Tab);
    }

private slots:
    void init() {
        m_folder = std::make_unique<WindowTestFolder>(false);
        m_folder->host().setDayBeforeMonth(true);
        SetupLibrary library(vantrel::Installation::read(platform::process::programFolder()).libraryFile());
        // Three meetings at Zürich, built in no order, and one elsewhere.
        const char* const season[][5] = {{"Zürich", "Round 2", "11/4/2026", "2nd", "40"},
                                         {"Zurich", "Round 3", "9 May 2026", "1st", "45"},
                                         {"Northtown", "Club Day", "2026-06-01", "4", "30"},
                                         {"zurich", "Round 1", "14.3.2026", "5th", "35"}};
        for (const auto& [track, event, date, finishing, oil] : season) {
            SetupEntry e;
            e.setupType = "RDX";
            e.values[std::size_t(SetupField::DriverName)] = "Mara Keel";
            e.values[std::size_t(SetupField::TrackCity)] = track;
            e.values[std::size_t(SetupField::EventName)] = event;
            e.values[std::size_t(SetupField::EventDate)] = date;
            e.values[std::size_t(SetupField::ResultsQualifyingPos)] = "3";
            e.values[std::size_t(SetupField::ResultsFinishPos)] = finishing;
            e.values[std::size_t(SetupField::FrontShockOil)] = oil;
            library.record(e);
        }
        QVERIFY(showNewMainWindow(m_main));
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main));
    }
    void cleanup() {
        delete m_main.data();
        m_folder.reset();
    }

    void offersTheLastSetupHereAndLoadsItInOneClick() {
        auto* offer = m_main->findChild<QLabel*>("lblLastHere");
        auto* load = m_main->findChild<QPushButton*>("cmdLoadLastHere");
        QVERIFY(offer && load);
        QVERIFY(!offer->isVisible());
        typeTrack("ZURICH");
        QTRY_VERIFY(offer->isVisible());
        QCOMPARE(offer->text(), QString("Last here: Mara Keel, Round 3, 2026-05-09, finished 1st —"));
        QVERIFY(load->isVisible());
        QVERIFY2(!m_main->control<QPushButton>("cmdOpenSheet")->isVisible(), "no sheet to open yet");

        typeTrack("Southport");
        QTRY_VERIFY(!offer->isVisible());
        typeTrack("zürich ");
        QTRY_VERIFY(load->isVisible());
        // The offer brings the car alone: the track, event and date typed
        // stay. What was typed into the car is the racer's: the load asks
        // before it takes it, and a No keeps the window and the offer as they were.
        setTextOf(m_main, "txtEventName", "Round 4");
        setTextOf(m_main, "txtFrontShockOil", "50");
        MessageBox::setNextAnswer(QMessageBox::No);
        QTest::mouseClick(load, Qt::LeftButton);
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(textOf(m_main, "txtFrontShockOil"), QString("50"));
        QVERIFY(offer->isVisible() && load->isVisible());
        MessageBox::clearHistory();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(load, Qt::LeftButton);
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(
            MessageBox::history().front().text,
            QString("Replace what you typed with Mara Keel's setup of Round 3 (2026-05-09) from the setup library?"));
        QCOMPARE(m_main->control<QLabel>("lblStatus")->text(),
                 QString("Loaded Mara Keel's setup of Round 3 (2026-05-09) from the setup library"));
        QCOMPARE(textOf(m_main, "txtFrontShockOil"), QString("45"));
        QCOMPARE(textOf(m_main, "txtEventName"), QString("Round 4"));
        QCOMPARE(textOf(m_main, "txtTrackCity"), QString("zürich "));
        QVERIFY(!offer->isVisible());
    }

    void aPointOfTheChartChoosesItsMeeting() {
        QTest::keyClick(m_main, Qt::Key_L, Qt::ControlModifier);
        auto* library = m_main->findChild<LibraryWindow*>("frmLibrary");
        QVERIFY(library);
        QTest::mouseClick(library->findChild<QPushButton*>("cmdTrackHistory"), Qt::LeftButton);
        auto* history = library->findChild<TrackHistoryWindow*>("frmTrackHistory");
        QVERIFY(history);
        history->showTrack("zurich");
        QVERIFY(QTest::qWaitForWindowExposed(history));
        QStringList events;
        for (int r = 0; r < history->table()->rowCount(); ++r) events << history->table()->item(r, 2)->text();
        QCOMPARE(events, QStringList({"Round 1", "Round 2", "Round 3"}));
        QCOMPARE(history->table()->item(1, 5)->text(), QString("Thicker Front Shocks Oil, 35 → 40"));
        QCOMPARE(history->points(true), QList<QPointF>({{0, 5}, {1, 2}, {2, 1}}));

        QChartView* view = history->chartView();
        auto* finishing = static_cast<QLineSeries*>(view->chart()->series().at(1));
        const QPoint at = view->mapFromScene(view->chart()->mapToPosition(QPointF(1, 2), finishing));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTRY_COMPARE(history->chosenMeeting(), 1);
        QVERIFY(finishing->isPointSelected(1));

        // The saved PDF numbers every page of all of them, the history's own first.
        const QString pdf = QString::fromStdString((m_folder->path() / "History.pdf").string());
        history->writePdf(pdf);
        const auto text = testsupport::pdfText(pdf);
        QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
        const QStringList pages = text.text.split('\f', Qt::SkipEmptyParts);
        QVERIFY(pages.size() >= 2);
        for (int page = 0; page < pages.size(); ++page)
            QVERIFY2(pages[page].contains(QString("Page %1 of %2").arg(page + 1).arg(pages.size())),
                     qPrintable(QString("page %1").arg(page + 1)));
    }
};

QObject* createTrackSideTest() { return new TrackSideTest; }

#include "TrackSideTest.moc"
