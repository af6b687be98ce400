// What a program folder unpacked from a release adds to the window: the
// application menu it offers, and the version line with its About box.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "AboutVantrel.h"
#include "DesktopMenu.h"
#include "MessageBox.h"
#include "platform/Desktop.h"
#include "platform/PathText.h"

using vantrel::DesktopMenu;
using vantrel::MessageBox;
using Outcome = DesktopMenu::Outcome;
namespace desktop = platform::desktop;

Q_DECLARE_METATYPE(DesktopMenu::Outcome)

namespace {

// The entry the window writes, and the key by which it knows its own.
constexpr const char* kId = "vantrel";
constexpr const char* kMarker = "X-Vantrel-Folder";

// A folder as the system names it (its separators), as UTF-8 text.
std::string native(const QString& path) { return QDir::toNativeSeparators(path).toStdString(); }

QString shown(const desktop::ExistingEntry& entry) {
    if (!entry.present) return "(no entry)";
    return entry.marker ? QString::fromStdString(*entry.marker) : QString("(no marker)");
}

}  // namespace

// The entry goes where the user's menu keeps it: on Linux under
// XDG_DATA_HOME, here the test's own folder; on Windows in the Start menu of
// the user the test runs as (under Wine in the prefix of the class's own).
// Each case starts from no entry and removes what it wrote; the settings are
// the run's own (main.cpp).
class PortableFolderTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    // Whether the menu's entry is the test's to remove: none was there before.
    bool m_entryIsOurs = false;

    QString folder(const QString& name) const { return m_dir.path() + "/" + name; }
    static QString entryFile() { return QString::fromStdString(desktop::entryPath(kId)); }
    static desktop::ExistingEntry existing() { return desktop::readMenuEntry(kId, kMarker); }
    static QByteArray entryBytes() {
        QFile file(entryFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void removeEntry() {
        QFile::remove(entryFile());
        if (const std::string icon = desktop::iconPath(kId); !icon.empty()) QFile::remove(QString::fromStdString(icon));
    }
    // Empties the test's folder, names that are not UTF-8 too (which Qt's
    // removal cannot name, and leaves).
    bool clearFolder() const {
        std::error_code failed;
        std::filesystem::remove_all(platform::paths::pathOf(native(m_dir.path())), failed);
        return !failed && QDir().mkpath(m_dir.path());
    }
    static QSettings answers() { return QSettings(QSettings::IniFormat, QSettings::UserScope, "Vantrel", "Desktop"); }

    // A program folder with a vantrel program; a release's has its mark.
    // Answers the folder as the system names it.
    std::string makeFolder(const QString& name, bool release) const {
        const std::string path = native(folder(name));
        QDir().mkpath(folder(name) + "/bin");
        QFile program(QString::fromStdString(desktop::programFile(path, "vantrel")));
        program.open(QIODevice::WriteOnly);
        program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (release) {
            QFile mark(QString::fromStdString(DesktopMenu::releaseMark(path)));
            mark.open(QIODevice::WriteOnly);
        }
        return path;
    }
    // An entry written before, as the menu keeps it: for a program folder
    // (whether or not it is still there), or of another maker. Answers what
    // could not be written.
    static QString writeBefore(const std::string& programFolder, bool ours) {
        desktop::MenuEntry entry;
        entry.id = kId;
        entry.name = "Vantrel";
        entry.program = desktop::programFile(programFolder, "vantrel");
        entry.iconSvg = "<svg/>";
        entry.markerKey = ours ? kMarker : "X-Other-Maker";
        entry.markerValue = programFolder;
        const std::string failed = desktop::writeMenuEntry(entry);
        if (!failed.empty()) return QString::fromStdString(failed);
        return existing().present ? QString() : "no entry in " + entryFile();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path() + "/share"));
        QVERIFY2(!desktop::entryPath(kId).empty(), "the menu has no place for an entry");
        // A racer's own entry is never the test's to remove.
        QVERIFY2(!existing().present,
                 qPrintable("a Vantrel entry is in the menu already, which the test would remove: " + entryFile()));
        m_entryIsOurs = true;
    }
    void init() {
        QVERIFY(m_entryIsOurs);
        removeEntry();
        QVERIFY2(!existing().present, qPrintable(entryFile()));
        QVERIFY(clearFolder());
        answers().remove("Menu");
    }
    void cleanup() {
        if (m_entryIsOurs) removeEntry();
        MessageBox::setNextAnswer(QMessageBox::NoButton);
    }
    void cleanupTestCase() {
        if (m_entryIsOurs) {
            removeEntry();
            QVERIFY2(!existing().present, qPrintable(entryFile()));
        }
        answers().remove("Menu");
        qunsetenv("XDG_DATA_HOME");
        QVERIFY(clearFolder());
    }

    void offersTheMenu_data() {
        QTest::addColumn<bool>("release");
        // The entry there beforehand: "", "this", "gone" (its folder moved),
        // "other" (a folder still in place), "foreign" (not of Vantrel's making).
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("declinedBefore");
        QTest::addColumn<int>("answer");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<bool>("asked");
        // The entry afterwards: written for "this" folder, "unchanged", or "none".
        QTest::addColumn<QString>("after");

        QTest::newRow("a build or an install is never asked")
            << false << "" << false << int(QMessageBox::Yes) << Outcome::NotARelease << false << "none";
        QTest::newRow("first start, Yes")
            << true << "" << false << int(QMessageBox::Yes) << Outcome::Added << true << "this";
        QTest::newRow("first start, No") << true << "" << false << int(QMessageBox::No) << Outcome::Declined << true
                                         << "none";
        QTest::newRow("No is remembered")
            << true << "" << true << int(QMessageBox::Yes) << Outcome::Declined << false << "none";
        QTest::newRow("already in the menu")
            << true << "this" << false << int(QMessageBox::Yes) << Outcome::AlreadyThere << false << "unchanged";
        QTest::newRow("moved folder, updated without asking")
            << true << "gone" << false << int(QMessageBox::No) << Outcome::Moved << false << "this";
        QTest::newRow("moved folder, even after a No")
            << true << "gone" << true << int(QMessageBox::No) << Outcome::Moved << false << "this";
        QTest::newRow("another folder still in place is kept")
            << true << "other" << false << int(QMessageBox::Yes) << Outcome::OtherFolderKept << false << "unchanged";
        QTest::newRow("an entry not of Vantrel's making is kept")
            << true << "foreign" << false << int(QMessageBox::Yes) << Outcome::OtherFolderKept << false << "unchanged";
    }
    void offersTheMenu() {
        QFETCH(bool, release);
        QFETCH(QString, before);
        QFETCH(bool, declinedBefore);
        QFETCH(int, answer);
        QFETCH(Outcome, outcome);
        QFETCH(bool, asked);
        QFETCH(QString, after);

        // A folder name of blanks, a "$", quotes and letters beyond ASCII,
        // which each system's entry carries as it is.
        const std::string self = makeFolder("My $Vantrel 'Zo\u00eb' 1;2", release);
        const std::string other = makeFolder("Other", false);
        if (before == "this") QCOMPARE(writeBefore(self, true), QString());
        if (before == "gone") QCOMPARE(writeBefore(native(folder("Moved away")), true), QString());
        if (before == "other") QCOMPARE(writeBefore(other, true), QString());
        if (before == "foreign") QCOMPARE(writeBefore(other, false), QString());
        const desktop::ExistingEntry entryBefore = existing();
        const QByteArray bytesBefore = entryBytes();
        QSettings settings = answers();
        settings.setValue("Menu/Declined", declinedBefore);
        settings.sync();

        MessageBox::clearHistory();
        MessageBox::setNextAnswer(QMessageBox::StandardButton(answer));
        QCOMPARE(DesktopMenu::offer(nullptr, self), outcome);
        QCOMPARE(MessageBox::history().size(), asked ? 1 : 0);

        const desktop::ExistingEntry entry = existing();
        if (after == "this") {
            QVERIFY2(entry.marker && *entry.marker == self, qPrintable(shown(entry)));
        } else if (after == "unchanged") {
            QCOMPARE(shown(entry), shown(entryBefore));
            QCOMPARE(entryBytes(), bytesBefore);
        } else {
            QVERIFY2(!entry.present, qPrintable(shown(entry)));
            QVERIFY(!QFile::exists(entryFile()));
        }
        if (before.isEmpty() && answer == QMessageBox::No) QVERIFY(answers().value("Menu/Declined").toBool());
    }

    // A folder whose path the entry's command cannot carry gets no entry, on
    // its first start or after a move, and the box says why. A name the
    // system cannot give a folder (on Windows a line break or a tab, bytes
    // that are not UTF-8) is no folder a program starts from there: its case
    // is skipped, saying so.
    void refusesAFolderTheEntryCannotCarry_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QString>("why");
        const QByteArray injected = "d\nExec=touch PWNED\nX-J=x";
        QTest::newRow("a line break, first start") << injected << false << "control character (\\n)";
        QTest::newRow("a line break, moved") << injected << true << "control character (\\n)";
        QTest::newRow("a tab, moved") << QByteArray("a\tb") << true << "control character (\\t)";
        QTest::newRow("a C1 control") << QByteArray("a\xc2\x85z") << false << "control character (\\x85)";
        QTest::newRow("not UTF-8, first start") << QByteArray("V\xff") << false << "not UTF-8";
        QTest::newRow("not UTF-8, moved") << QByteArray("V\xff") << true << "not UTF-8";
        QTest::newRow("a field code, first start") << QByteArray("V 100%c") << false << "holds a \"%\"";
        QTest::newRow("a field code, moved") << QByteArray("V 100%c") << true << "holds a \"%\"";
    }
    void refusesAFolderTheEntryCannotCarry() {
        QFETCH(QByteArray, name);
        QFETCH(bool, moved);
        QFETCH(QString, why);
        namespace fs = std::filesystem;
        const std::string self = native(m_dir.path() + "/") + name.toStdString();
        std::error_code failed;
        fs::create_directories(platform::paths::pathOf(self) / "bin", failed);
        if (failed)
            QSKIP(qPrintable("the system makes no folder of that name: " + QString::fromStdString(failed.message())));
        // The folder made must be named so: a system that takes the bytes in
        // another encoding made another name.
        bool named = false;
        for (const fs::directory_entry& made : fs::directory_iterator(platform::paths::pathOf(native(m_dir.path()))))
            named = named || platform::paths::textOf(made.path().filename()) == name.toStdString();
        if (!named) QSKIP("the system names no folder so: it took the name in another encoding");
        QVERIFY(std::ofstream(platform::paths::pathOf(DesktopMenu::releaseMark(self))).put('\n'));
        if (moved) QCOMPARE(writeBefore(native(folder("gone")), true), QString());
        const QByteArray before = entryBytes();

        MessageBox::clearHistory();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QCOMPARE(DesktopMenu::offer(nullptr, self), Outcome::NotCarried);
        QCOMPARE(MessageBox::history().size(), 1);
        const QString said = MessageBox::history().front().text;
        QVERIFY2(said.contains(why) && !said.contains('\n' + QString("Exec")), qPrintable(said));
        QCOMPARE(existing().present, moved);
        QCOMPARE(entryBytes(), before);
    }

    // The File tab's line and the About box say this build's version and the
    // versions of the libraries loaded.
    void aboutSaysTheVersions() {
        QWidget parent;
        vantrel::AboutVantrel about(&parent);
        const auto* line = about.findChild<QLabel*>("lblVersion");
        QVERIFY(line);
        QVERIFY2(QRegularExpression("^Vantrel \\d+\\.\\d+\\.\\d+$").match(line->text()).hasMatch(),
                 qPrintable(line->text()));
        const QString text = vantrel::AboutVantrel::text();
        QVERIFY2(text.startsWith(line->text() + "\n"), qPrintable(text));
        QVERIFY2(text.contains("\nQt " + QString(qVersion()) + "\n"), qPrintable(text));
        QVERIFY2(QRegularExpression("\nqpdf \\d+\\.\\d+").match(text).hasMatch(), qPrintable(text));
        QVERIFY2(QRegularExpression("\nSQLite 3\\.\\d+").match(text).hasMatch(), qPrintable(text));
    }
};

QObject* createPortableFolderTest() { return new PortableFolderTest; }

#include "PortableFolderTest.moc"
