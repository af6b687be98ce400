// The main window comes back as the racer left it: every setup control, the
// tab, the target folder and the external data file, after Close and after
// the program died a moment after the last change; a state file that is not
// one starts the window as it always started and says so in the log; a Date
// that is not today is said in the status line.

#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFileSystemModel>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTabWidget>

#include <memory>

#include "FolderList.h"
#include "WindowDriver.h"
#include "WindowState.h"
#include "WindowTestFolder.h"

using namespace windowtest;

namespace {

// Every control the window keeps, by name, the toe's box beside its buttons too.
QStringList keptControls() {
    QStringList names;
    for (const vantrel::SetupControl& row : vantrel::SetupControls)
        if (!names.contains(QString::fromStdString(std::string(row.control))))
            names << QString::fromStdString(std::string(row.control));
    return names << "txtFrontToe"
                 << "chkSameFrontRearTyres"
                 << "cmbSetupName"
                 << "chkExternalData"
                 << "txtRawDataFile"
                 << "txtTargetPDFDirectory";
}

// What the window shows, control by control, and its tab.
QStringList shown(vantrel::frmVantrel* window) {
    QStringList values;
    for (const QString& name : keptControls()) {
        if (auto* group = window->control<QButtonGroup>(name))
            values << name + "=" + QString::number(group->checkedId());
        else if (auto* box = window->control<QCheckBox>(name))
            values << name + "=" + QString::number(box->checkState());
        else values << name + "=" + textOf(window, name);
    }
    return values << "tab=" + QString::number(window->control<QTabWidget>("SSTab1")->currentIndex());
}

QString randomText(QRandomGenerator& random) {
    static const QString letters = "abcXYZ 0129.,-/()éüß°–→'\"";
    QString text;
    for (int i = int(random.bounded(0, 30)); i > 0; --i)
        text += letters[int(random.bounded(qsizetype(letters.size())))];
    return text;
}

}  // namespace

class WindowStateTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTestFolder> m_folder;
    QPointer<vantrel::frmVantrel> m_window;

    QString stateFile() const { return QString::fromStdString((m_folder->path() / "Data" / "Window.json").string()); }
    QString log() const {
        return QString::fromStdString(m_folder->readFile(m_folder->path() / "Logs" / "Vantrel.log"));
    }
    void writeState(const QByteArray& bytes) const {
        QFile file(stateFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    bool reopen() {
        delete m_window.data();
        return showNewMainWindow(m_window);
    }

private slots:
    void init() {
        m_folder = std::make_unique<WindowTestFolder>();
        QVERIFY(showNewMainWindow(m_window));
    }
    void cleanup() {
        delete m_window.data();
        m_folder.reset();
    }

    // Generated setups, each left with Close or by a death a moment after
    // the last change, come back control by control.
    void comesBackAsItWasLeft_data() {
        QTest::addColumn<bool>("closed");
        for (int seed = 0; seed < 6; ++seed) QTest::newRow(qPrintable(QString("seed %1").arg(seed))) << (seed % 2 == 0);
    }
    void comesBackAsItWasLeft() {
        QFETCH(bool, closed);
        QRandomGenerator random(quint32(QTest::currentDataTag()[5]));
        m_window->control<QCheckBox>("chkSameFrontRearTyres")->setChecked(random.bounded(2) == 1);
        for (const QString& name : keptControls()) {
            if (auto* group = m_window->control<QButtonGroup>(name)) {
                const QList<QAbstractButton*> buttons = group->buttons();
                const int pick = int(random.bounded(qsizetype(buttons.size() + 1)));
                if (pick == buttons.size()) clearGroup(m_window, qPrintable(name));
                else buttons[pick]->setChecked(true);
            } else if (auto* box = m_window->control<QCheckBox>(name)) {
                if (name != "chkSameFrontRearTyres") box->setChecked(random.bounded(2) == 1);
            } else if (name == "txtTargetPDFDirectory") {
                m_window->control<QLineEdit>(name)->setText(QString::fromStdString(m_folder->sheetsFolder().string()));
            } else {
                setTextOf(m_window, name, randomText(random));
            }
        }
        m_window->control<QTabWidget>("SSTab1")->setCurrentIndex(int(random.bounded(6)));
        const QStringList left = shown(m_window);

        if (closed) {
            m_window->control<QPushButton>("cmdCancel")->click();
            QTRY_VERIFY(!m_window);
        } else {
            // Dies without a Close: what was kept a moment after the last change is all there is.
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(stateFile()), 5000);
        }
        QVERIFY(reopen());
        QCOMPARE(shown(m_window), left);
        QVERIFY(!m_window->control<QCheckBox>("chkExternalData")->isChecked() ||
                !m_window->control<QLineEdit>("txtRawDataFile")->isHidden());
    }

    // A file that is not the window's state: the window as it starts, the reason in the log.
    void aStateNotOfTheWindowStartsItAsAlways_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("logged");
        QTest::newRow("not JSON") << QByteArray("{\"format\": 1, \"controls\": {") << ""
                                  << "not one the window wrote";
        QTest::newRow("another format") << QByteArray(R"({"format": 7, "controls": {"txtDriverName": "Jo"}})") << ""
                                        << "no format 1";
        QTest::newRow("larger than a state")
            << QByteArray(R"({"format": 1, "controls": {"txtDriverName": "Jo"}})") + QByteArray(2 << 20, ' ') << ""
            << "is larger than";
        QTest::newRow("values of the wrong kind")
            << QByteArray(R"({"format": 1, "controls": {"txtDriverName": 5, "OptionFrontToe": 9, "SSTab1": 17,)"
                          R"( "chkExternalData": "yes", "txtTrackCity": "Leeds"}})")
            << ""
            << "of the wrong kind, left at their start: txtDriverName, OptionFrontToe, chkExternalData, SSTab1";
        QTest::newRow("a target folder no longer there")
            << QByteArray(R"({"format": 1, "controls": {"txtDriverName": "Jo", )"
                          R"("txtTargetPDFDirectory": "/no/such/folder"}})")
            << "Jo"
            << "target folder /no/such/folder is not there";
        QTest::newRow("a line break in a box")
            << QByteArray(R"({"format": 1, "controls": {"txtDriverName": "Jo\nand more"}})") << "Jo"
            << "";
    }
    void aStateNotOfTheWindowStartsItAsAlways() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, driver);
        QFETCH(QString, logged);
        QStringList start = shown(m_window);
        delete m_window.data();
        writeState(bytes);
        QVERIFY(showNewMainWindow(m_window));
        QCOMPARE(textOf(m_window, "txtDriverName"), driver);
        start.replaceInStrings(QRegularExpression("^txtDriverName=.*"), "txtDriverName=" + driver);
        if (QTest::currentDataTag() == QByteArray("values of the wrong kind"))
            start.replaceInStrings(QRegularExpression("^txtTrackCity=.*"), "txtTrackCity=Leeds");
        QCOMPARE(shown(m_window), start);
        if (!logged.isEmpty()) QVERIFY2(log().contains(logged), qPrintable(log()));
    }

    // The meeting a run would go to: a Date of another day is said, today's or none is not.
    void aDateNotTodayIsSaid_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<bool>("said");
        const QDate today = QDate::currentDate();
        QTest::newRow("empty") << "" << false;
        QTest::newRow("today") << today.toString(Qt::ISODate) << false;
        QTest::newRow("last week") << today.addDays(-7).toString(Qt::ISODate) << true;
        QTest::newRow("a year ago") << today.addYears(-1).toString(Qt::ISODate) << true;
        QTest::newRow("no date in it") << "Round 3" << false;
    }
    void aDateNotTodayIsSaid() {
        QFETCH(QString, date);
        QFETCH(bool, said);
        setTextOf(m_window, "txtEventDate", date);
        m_window->control<QPushButton>("cmdCancel")->click();
        QTRY_VERIFY(!m_window);
        QVERIFY(showNewMainWindow(m_window));
        const QString status = m_window->findChild<QLabel*>("lblStatus")->toolTip();
        QCOMPARE(status.contains("not today"), said);
        if (said) QVERIFY2(status.contains(date), qPrintable(status));
    }

    // A window copied elsewhere with its program folder opens on its own folders, not the old copy's.
    void theFoldersTravelWithTheProgramFolder() {
        const QString data = textOf(m_window, "txtRawDataFile");
        QVERIFY(data.startsWith(QString::fromStdString(m_folder->path().string())));
        m_window->control<QPushButton>("cmdCancel")->click();
        QTRY_VERIFY(!m_window);
        QFile file(stateFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        bytes.replace(QFile::encodeName(QString::fromStdString(m_folder->path().string())), "/the/old/copy");
        file.close();
        writeState(bytes);
        QVERIFY(showNewMainWindow(m_window));
        QCOMPARE(textOf(m_window, "txtRawDataFile"), data);
        QCOMPARE(textOf(m_window, "txtTargetPDFDirectory"), QString::fromStdString(platform::process::programFolder()));
    }

    // Back on the File tab, the folder tree shows the target folder open and
    // chosen, as on the first start, whether it is the start's own or not.
    void theTargetFolderShowsInTheTree_data() {
        QTest::addColumn<bool>("own");
        QTest::newRow("the program folder") << true;
        QTest::newRow("a folder of sheets") << false;
    }
    void theTargetFolderShowsInTheTree() {
        QFETCH(bool, own);
        // Many folders before it, listed after the window asked for it: the rows come in above it.
        const fs::path crowded = m_folder->path() / "Meetings";
        for (int i = 0; i < 300; ++i)
            fs::create_directories(crowded / QString("Round %1").arg(i, 3, 10, QChar('0')).toStdString());
        const fs::path sheets = crowded / "Sheets";
        fs::create_directories(sheets);
        const QString folder = QString::fromStdString(own ? platform::process::programFolder() : sheets.string());
        m_window->control<QLineEdit>("txtTargetPDFDirectory")->setText(folder);
        m_window->control<QTabWidget>("SSTab1")->setCurrentIndex(5);
        m_window->control<QPushButton>("cmdCancel")->click();
        QTRY_VERIFY(!m_window);
        QVERIFY(showNewMainWindow(m_window));
        auto* tree = m_window->control<vantrel::FolderList>("Dir1");
        QCOMPARE(tree->path(), folder);
        const auto chosen = [tree] { return tree->currentIndex(); };
        QTRY_VERIFY(chosen().isValid());
        QCOMPARE(QDir::toNativeSeparators(static_cast<QFileSystemModel*>(tree->model())->filePath(chosen())), folder);
        for (QModelIndex above = chosen().parent(); above.isValid(); above = above.parent())
            QTRY_VERIFY2(tree->isExpanded(above), qPrintable(above.data().toString()));
        QTRY_VERIFY(tree->viewport()->rect().contains(tree->visualRect(chosen())));
    }

    // The tree given its folder before it shows, the listings on the way coming in after.
    void aFolderListSetBeforeItShowsShowsItsFolder() {
        const fs::path crowded = m_folder->path() / "Later";
        for (int i = 0; i < 300; ++i)
            fs::create_directories(crowded / QString("Round %1").arg(i, 3, 10, QChar('0')).toStdString());
        fs::create_directories(crowded / "Sheets" / "Mine");
        const QString folder = QString::fromStdString((crowded / "Sheets" / "Mine").string());
        vantrel::FolderList tree;
        tree.resize(600, 200);
        tree.setPath(folder);
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        QCOMPARE(tree.path(), folder);
        QTRY_VERIFY(tree.viewport()->rect().contains(tree.visualRect(tree.currentIndex())));
    }
};

QObject* createWindowStateTest() { return new WindowStateTest; }

#include "WindowStateTest.moc"
