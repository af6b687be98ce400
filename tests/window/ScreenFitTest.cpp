// Every window and dialog on the screen of a laptop (run on a screen of the
// 1366x768 that such a screen leaves under a panel, window frames drawn):
// each one's frame lies on the available screen, and a window opens again
// where the racer left it, fitted to the screen when that place no longer fits.

#include <algorithm>
#include <cmath>
#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

#include "Installation.h"
#include "platform/Process.h"
#include "platform/WindowFrame.h"
#include "CAppSettings.h"
#include "CSetupManager.h"
#include "CompareWindow.h"
#include "LibraryWindow.h"
#include "LogRunDialog.h"
#include "MeetingWindow.h"
#include "MessageBox.h"
#include "SetupTypeFiles.h"
#include "TrackHistoryWindow.h"
#include "WindowDriver.h"
#include "WindowTestFolder.h"
#include "frmNewSetupType.h"
#include "frmProgressBar.h"
#include "library/SetupLibrary.h"

using namespace vantrel;
using namespace windowtest;

namespace {

// The frame as it shows: as the system draws it where it says, else as the
// toolkit knows it from the window manager.
QRect shownFrame(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    const auto drawn = handle ? platform::windowframe::drawnAround(handle->winId()) : std::nullopt;
    if (!drawn) return window->frameGeometry();
    const qreal ratio = window->devicePixelRatioF();
    const auto logical = [ratio](int pixels) { return int(std::ceil(pixels / ratio)); };
    return window->geometry().marginsAdded(
        QMargins(logical(drawn->left), logical(drawn->top), logical(drawn->right), logical(drawn->bottom)));
}

QString offScreen(const QWidget* window) {
    QString text;
    if (!window->screen()->availableGeometry().contains(shownFrame(window)))
        QDebug(&text) << window->objectName() << shownFrame(window) << "is not on"
                      << window->screen()->availableGeometry();
    return text;
}

}  // namespace

class ScreenFitTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTestFolder> m_folder;
    QPointer<frmVantrel> m_main;

    library::LibraryWindow* openLibrary() {
        m_main->control<QPushButton>("cmdLibrary")->click();
        return m_main->findChild<library::LibraryWindow*>("frmLibrary");
    }

    static std::string libraryFile() {
        return vantrel::Installation::read(platform::process::programFolder()).libraryFile();
    }
    static Setup meeting() {
        Setup values;
        values[std::size_t(SetupField::DriverName)] = "Sam Carter";
        values[std::size_t(SetupField::TrackCity)] = "Northtown";
        values[std::size_t(SetupField::EventName)] = "Club Race 3";
        values[std::size_t(SetupField::EventDate)] = "2026-06-14";
        return values;
    }

    // The window of the row, shown; a modal one is looked at from inside its own loop.
    QString shownAndFitting(const QString& name) {
        if (name == "main window") return offScreen(m_main);
        if (name == "message box") {
            QString result = "no message box showed";
            QTimer poll;
            const QDeadlineTimer deadline(5000);
            connect(&poll, &QTimer::timeout, [&result, deadline] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box || !box->isVisible()) return;
                result = offScreen(box);
                if (result.isEmpty() || deadline.hasExpired()) box->done(QMessageBox::Ok);
            });
            poll.start(20);
            // An import report naming a hundred files.
            QStringList lines;
            for (int i = 0; i < 100; ++i) lines << QString("/home/racer/Sheets/Round %1.pdf: not a setup").arg(i);
            MessageBox::information(m_main, "Vantrel Library", lines.join('\n'));
            return result;
        }
        std::unique_ptr<QWidget> window;
        if (name == "library window") {
            window.reset(openLibrary());
        } else if (name == "comparison") {
            library::SetupLibrary store(vantrel::Installation::read(platform::process::programFolder()).libraryFile());
            std::vector<library::StoredSetup> setups;
            for (int i = 0; i < 4; ++i) {
                library::SetupEntry entry{"2026-05-0" + std::to_string(i + 1) + "T10:00:00+02:00", "RDX", "", {}};
                for (std::string& value : entry.values) value = "A value as long as the racer's notes make it";
                entry.values[0] = "Driver " + std::to_string(i);
                setups.push_back(*store.setup(store.record(entry)));
            }
            window = std::make_unique<library::CompareWindow>(std::move(setups), Dialogs::system(), m_main, m_main);
        } else if (name == "New Setup Type") {
            CSetupManager manager;
            manager.LoadConfig();
            window = std::make_unique<frmNewSetupType>(
                (fs::path(VANTREL_TEST_DATA_DIR) / "setuptype" / "ClubSetupSheet.pdf").string(),
                setupTypeFolders(*manager.GetConfig()), Dialogs::system(), m_main);
        } else if (name == "progress") {
            window = std::make_unique<frmProgressBar>(m_main);
        } else if (name == "track history") {
            window = std::make_unique<library::TrackHistoryWindow>(libraryFile(), "Northtown", Dialogs::system(),
                                                                   nullptr, m_main);
        } else if (name == "meeting window") {
            window = std::make_unique<runs::MeetingWindow>(libraryFile(), meeting(), Dialogs::system(), m_main);
        } else if (name == "log run") {
            window = std::make_unique<runs::LogRunDialog>(libraryFile(), meeting(), "RDX", Dialogs::system(), m_main);
        }
        if (!window) return "no " + name;
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) return name + " never showed";
        // Fitted once it has shown: looked at until then.
        QString result;
        for (QDeadlineTimer deadline(2000); !(result = offScreen(window.get())).isEmpty() && !deadline.hasExpired();)
            QTest::qWait(20);
        return result;
    }

private slots:
    void init() {
        m_folder = std::make_unique<WindowTestFolder>();
        QVERIFY(showNewMainWindow(m_main));
    }
    void cleanup() {
        delete m_main.data();
        m_folder.reset();
    }

    void everyWindowFitsTheScreen_data() {
        QTest::addColumn<QString>("window");
        for (const char* name : {"main window", "library window", "comparison", "New Setup Type", "progress",
                                 "message box", "track history", "meeting window", "log run"})
            QTest::newRow(name) << QString(name);
    }
    void everyWindowFitsTheScreen() {
        QFETCH(QString, window);
        const QString problem = shownAndFitting(window);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void reopensWhereTheRacerLeftIt() {
        const QRect available = m_main->screen()->availableGeometry();
        library::LibraryWindow* window = openLibrary();
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        // A size of the racer's own: smaller than it opened at, no smaller than the window allows.
        const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
        const QRect left(available.x() + 200, available.y() + 90, std::max(700, least.width()),
                         std::max(420, least.height()));
        window->setGeometry(left);
        QTRY_COMPARE(window->geometry(), left);
        window->close();
        QTRY_VERIFY(!m_main->findChild<library::LibraryWindow*>("frmLibrary"));
        window = openLibrary();
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->geometry(), left);
        window->close();

        // Kept on a larger screen than this one: back on this screen, as large as it allows.
        QTRY_VERIFY(!m_main->findChild<library::LibraryWindow*>("frmLibrary"));
        // The places travel with the program folder: kept in its data folder, not the user's settings.
        QFile places(QString::fromStdString((m_folder->path() / "Data" / "WindowPlaces.json").string()));
        QVERIFY(places.open(QIODevice::ReadOnly));
        QJsonObject kept = QJsonDocument::fromJson(places.readAll()).object();
        places.close();
        QVERIFY2(kept.contains("frmLibrary"), qPrintable(QJsonDocument(kept).toJson()));
        kept.insert("frmLibrary", QJsonObject{{"x", 1500}, {"y", 900}, {"width", 2400}, {"height", 1300}});
        QVERIFY(places.open(QIODevice::WriteOnly | QIODevice::Truncate));
        places.write(QJsonDocument(kept).toJson());
        places.close();
        QVERIFY(!QFile::exists(QSettings(QSettings::IniFormat, QSettings::UserScope, "Vantrel", "Windows").fileName()));
        window = openLibrary();
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        QTRY_VERIFY2(offScreen(window).isEmpty(), qPrintable(offScreen(window)));
        QVERIFY(window->frameGeometry().height() > available.height() * 9 / 10);
    }
};

QObject* createScreenFitTest() { return new ScreenFitTest; }

#include "ScreenFitTest.moc"
