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

using vantrel::DesktopMenu;
using vantrel::MessageBox;
using Outcome = DesktopMenu::Outcome;

Q_DECLARE_METATYPE(DesktopMenu::Outcome)

class PortableFolderTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString entryPath() const { return m_dir.path() + "/share/applications/vantrel.desktop"; }
    QString folder(const QString& name) const { return m_dir.path() + "/" + name; }

    // A program folder with a vantrel program; a release's has its mark.
    QString makeFolder(const QString& name, bool release) const {
        const QString path = folder(name);
        QDir().mkpath(path + "/bin");
        QFile program(path + "/vantrel");
        program.open(QIODevice::WriteOnly);
        program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (release) {
            QFile mark(QString::fromStdString(DesktopMenu::releaseMark(path.toStdString())));
            mark.open(QIODevice::WriteOnly);
        }
        return path;
    }
    void writeEntry(const QString& text) const {
        QDir().mkpath(QFileInfo(entryPath()).path());
        QFile file(entryPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }
    QString entry() const {
        QFile file(entryPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path() + "/share"));
    }
    void cleanupTestCase() { qunsetenv("XDG_DATA_HOME"); }

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

        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        // A folder name a desktop entry has to escape.
        const QString self = makeFolder("My $Vantrel \"1\"", release);
        const QString other = makeFolder("Other", false);
        const auto named = [](const QString& path) { return "X-Vantrel-Folder=" + path + "\n"; };
        const QString header = "[Desktop Entry]\nType=Application\nName=Vantrel\nExec=vantrel %f\n";
        if (before == "this") writeEntry(header + named(self));
        if (before == "gone") writeEntry(header + named(folder("Moved away")));
        if (before == "other") writeEntry(header + named(other));
        if (before == "foreign") writeEntry(header);
        const QString entryBefore = entry();
        QSettings answers(QSettings::IniFormat, QSettings::UserScope, "Vantrel", "Desktop");
        answers.setValue("Menu/Declined", declinedBefore);
        answers.sync();

        MessageBox::clearHistory();
        MessageBox::setNextAnswer(QMessageBox::StandardButton(answer));
        QCOMPARE(DesktopMenu::offer(nullptr, self.toStdString()), outcome);
        QCOMPARE(MessageBox::history().size(), asked ? 1 : 0);
        if (!asked) MessageBox::setNextAnswer(QMessageBox::NoButton);

        const QString text = entry();
        if (after == "this") {
            QVERIFY2(text.contains("\nX-Vantrel-Folder=" + self + "\n"), qPrintable(text));
            // Quoted, with \ " ` $ escaped and every backslash doubled.
            QVERIFY2(text.contains("\nExec=\"" + QString(self).replace("$", "\\\\$").replace("\"", "\\\\\"") +
                                   "/vantrel\" %f\n"),
                     qPrintable(text));
            QVERIFY2(text.contains("\nIcon=vantrel\n"), qPrintable(text));
            QVERIFY(QFile::exists(m_dir.path() + "/share/icons/hicolor/scalable/apps/vantrel.svg"));
        } else if (after == "unchanged") {
            QCOMPARE(text, entryBefore);
        } else {
            QVERIFY(!QFile::exists(entryPath()));
        }
        if (before.isEmpty() && answer == QMessageBox::No)
            QVERIFY(QSettings(QSettings::IniFormat, QSettings::UserScope, "Vantrel", "Desktop")
                        .value("Menu/Declined")
                        .toBool());
    }

    // A folder whose path the entry's command cannot carry gets no entry, on
    // its first start or after a move, and the box says why.
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
        QTest::newRow("a field code") << QByteArray("V 100%c") << false << "holds a \"%\"";
    }
    void refusesAFolderTheEntryCannotCarry() {
        QFETCH(QByteArray, name);
        QFETCH(bool, moved);
        QFETCH(QString, why);
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        const std::string self = QFile::encodeName(m_dir.path()).toStdString() + "/" + name.toStdString();
        std::filesystem::create_directories(self + "/bin");
        std::ofstream(DesktopMenu::releaseMark(self)).put('\n');
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Vantrel", "Desktop").remove("Menu");
        if (moved)
            writeEntry("[Desktop Entry]\nType=Application\nName=Vantrel\nX-Vantrel-Folder=" + folder("gone") + "\n");
        const QString before = entry();

        MessageBox::clearHistory();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QCOMPARE(DesktopMenu::offer(nullptr, self), Outcome::NotCarried);
        QCOMPARE(MessageBox::history().size(), 1);
        const QString said = MessageBox::history().front().text;
        QVERIFY2(said.contains(why) && !said.contains('\n' + QString("Exec")), qPrintable(said));
        QCOMPARE(entry(), before);
        QCOMPARE(QFile::exists(entryPath()), moved);
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
