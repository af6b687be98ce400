// Every window that names a setup field names it as the field table does,
// and a line too long for its window is cut where a racer still reads it:
// the meeting's runs, the Log Run dialog, the paid-off table and the
// comparison over every field; the status lines at every width.

#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTest>
#include <random>

#include "AnsweredDialogs.h"
#include "CompareWindow.h"
#include "ElidedLabel.h"
#include "LogRunDialog.h"
#include "MeetingWindow.h"
#include "SetupControls.h"
#include "TrackHistoryWindow.h"
#include "library/TrackHistory.h"
#include "runs/RunLog.h"

using namespace windowtest;
using vantrel::Setup;
using vantrel::SetupField;
using vantrel::library::changesBetween;
using vantrel::library::changeText;
using vantrel::library::fieldCaption;

namespace {

QString captionOf(SetupField field) { return QString::fromStdString(fieldCaption(field)); }

// The meeting every run below belongs to, and a value for every field.
Setup baseSetup() {
    Setup values;
    for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i) values[i] = std::to_string(10 + i);
    values[std::size_t(SetupField::DriverName)] = "Jo Smith";
    values[std::size_t(SetupField::TrackCity)] = "Lostock";
    values[std::size_t(SetupField::EventName)] = "Summer Cup";
    values[std::size_t(SetupField::EventDate)] = "2026-06-14";
    return values;
}

// The fields a change between runs names: every one the car has.
std::vector<SetupField> carFields() {
    Setup other = baseSetup();
    for (std::string& v : other) v += "x";
    std::vector<SetupField> out;
    for (const auto& change : changesBetween(baseSetup(), other)) out.push_back(change.field);
    return out;
}

}  // namespace

class WindowWordsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AnsweredDialogs m_dialogs;
    std::string m_library;
    std::vector<SetupField> m_fields;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_library = (m_dir.path() + "/Library.sqlite").toStdString();
        m_fields = carFields();
        QVERIFY(m_fields.size() > 50);
        // A run, then one for each car field changed alone, a little faster each time.
        vantrel::library::SetupLibrary library(m_library);
        Setup values = baseSetup();
        for (std::size_t r = 0; r <= m_fields.size(); ++r) {
            vantrel::runs::RunEntry run;
            run.name = "Run " + std::to_string(r + 1);
            if (r > 0) values[std::size_t(m_fields[r - 1])] = std::to_string(20 + std::size_t(m_fields[r - 1]));
            run.values = values;
            run.laps = {{std::int64_t(14000 - 10 * r), true}, {std::int64_t(14100 - 10 * r), true}};
            vantrel::runs::logRun(library, run);
        }
    }

    void theMeetingNamesEachChangeByItsCaption() {
        vantrel::runs::MeetingWindow window(m_library, baseSetup(), m_dialogs.dialogs());
        QTableWidget* table = window.table();
        QCOMPARE(table->rowCount(), int(m_fields.size()) + 1);
        int changes = -1;
        for (int c = 0; c < table->columnCount(); ++c)
            if (table->horizontalHeaderItem(c) && table->horizontalHeaderItem(c)->text().startsWith("What Changed"))
                changes = c;
        QVERIFY(changes >= 0);
        for (std::size_t r = 0; r < m_fields.size(); ++r) {
            const SetupField field = m_fields[r];
            const QString shown = table->item(int(r) + 1, changes)->text();
            QVERIFY2(shown.contains(captionOf(field)), qPrintable(shown + " lacks " + captionOf(field)));
            const std::string before = std::to_string(10 + std::size_t(field)),
                              after = std::to_string(20 + std::size_t(field));
            QCOMPARE(shown, QString::fromStdString(changeText({field, before, after})));
        }
    }

    void theLogRunDialogNamesEachChangeByItsCaption() {
        Setup last = baseSetup();
        for (SetupField f : m_fields) last[std::size_t(f)] = std::to_string(20 + std::size_t(f));
        for (SetupField field : m_fields) {
            Setup values = last;
            values[std::size_t(field)] = "new value";
            vantrel::runs::LogRunDialog dialog(m_library, values, "RDX", m_dialogs.dialogs());
            const QString shown = dialog.findChild<QLabel*>("lblChanges")->text();
            QCOMPARE(shown, QString("Changed since Run %1:\n    %2 %3 → new value")
                                .arg(m_fields.size() + 1)
                                .arg(captionOf(field))
                                .arg(20 + std::size_t(field)));
        }
    }

    void thePaidOffTableNamesEachChangeByItsCaption() {
        vantrel::library::TrackHistoryWindow window(m_library, "Lostock", m_dialogs.dialogs(), nullptr);
        auto* paid = window.findChild<QTableWidget*>("tblPaidOff");
        QVERIFY(paid);
        QCOMPARE(paid->rowCount(), int(m_fields.size()));
        QStringList shown;
        for (int r = 0; r < paid->rowCount(); ++r) shown << paid->item(r, 1)->text();
        for (SetupField field : m_fields) {
            // The caption whole, between word boundaries: "Front Tyres" is not "Front Tyres Front Compound".
            const auto change =
                changeText({field, std::to_string(10 + std::size_t(field)), std::to_string(20 + std::size_t(field))});
            const QString row = QString::fromStdString(change.substr(0, change.find(',')));
            QVERIFY2(shown.contains(row) || shown.contains(QString::fromStdString(change)),
                     qPrintable(captionOf(field) + " in none of " + shown.join(" | ")));
        }
    }

    void theComparisonNamesEachFieldByTheTable() {
        std::vector<vantrel::library::StoredSetup> setups(2);
        setups[0].values = setups[1].values = baseSetup();
        for (SetupField f : m_fields) setups[1].values[std::size_t(f)] = "other";
        setups[0].id = 1;
        setups[1].id = 2;
        vantrel::library::CompareWindow window(setups, m_dialogs.dialogs(), nullptr);
        auto* table = window.findChild<QTableWidget*>();
        QVERIFY(table);
        // Each field's caption under its tab's heading, as the field table gives both.
        QString tab;
        QStringList rows;
        for (int r = 0; r < table->rowCount(); ++r) {
            const QTableWidgetItem* item = table->item(r, 0);
            if (item->data(vantrel::library::CompareWindow::HeadingRole).toBool()) tab = item->text();
            else rows << tab + "\x1f" + item->text();
        }
        for (SetupField field : m_fields) {
            const auto& control = vantrel::SetupControls[std::size_t(field)];
            const QString caption = QString::fromStdString(std::string(control.caption));
            const QString tabCaption = QString::fromStdString(std::string(control.tab));
            bool found = false;
            for (const QString& row : rows)
                found = found || (row.startsWith(tabCaption + "\x1f") &&
                                  (row.endsWith("\x1f" + caption) || caption.startsWith(row.section('\x1f', 1))));
            QVERIFY2(found, qPrintable(tabCaption + " / " + caption + " not in the comparison"));
        }
    }

    // A line about a sheet at every width: the sheet's name whole, the rest
    // cut with "…", never wider than the line, whole where it fits.
    void aStatusLineIsCutWhereItCanBeRead_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("after");
        QTest::newRow("sheet") << "Sheet saved: "
                               << "/home/racer/Vantrel/Sheets/2026/Lostock/Sa_2026-12-09_074235.04.pdf"
                               << "";
        QTest::newRow("sheet and warning") << "Sheet saved: "
                                           << "/srv/team/Setups/Åsa Lind/Summer Cup 2026/RDX_2026-06-14_101500.pdf"
                                           << "; the library could not be written: disk full";
        QTest::newRow("Windows path") << "Loaded the setup of "
                                      << "C:\\Users\\racer\\Vantrel\\Data\\Sample_RDX.dat"
                                      << ", 3 fields as edited in the sheet";
        QTest::newRow("no folder") << "Loaded the setup of "
                                   << "Sample_RDX.dat"
                                   << "";
        QTest::newRow("words alone") << "Logged Practice 2 (run 2): 12 laps · best 12.200 · consistency 1.4 %"
                                     << ""
                                     << "";
    }
    void aStatusLineIsCutWhereItCanBeRead() {
        QFETCH(QString, before);
        QFETCH(QString, path);
        QFETCH(QString, after);
        vantrel::ElidedLabel label;
        label.setLine(before, path, after);
        const QString whole = before + path + after;
        QCOMPARE(label.text(), whole);
        const QFontMetrics metrics = label.fontMetrics();
        const QString name = path.section(QRegularExpression("[/\\\\]"), -1);
        const int full = metrics.horizontalAdvance(whole);
        for (int room = full + 10; room > metrics.horizontalAdvance("…" + name + "…") + 40; room -= 7) {
            const QString shown = vantrel::ElidedLabel::fitted(metrics, room, before, path, after);
            if (room >= full) {
                QCOMPARE(shown, whole);
                continue;
            }
            QVERIFY2(metrics.horizontalAdvance(shown) <= room, qPrintable(shown));
            QVERIFY2(shown.contains("…"), qPrintable(shown));
            QVERIFY2(shown.contains(name), qPrintable(shown + " cuts " + name));
            QVERIFY2(!shown.contains("……"), qPrintable(shown));
            // The start of the line stays while there is room for it beside the name.
            if (room > metrics.horizontalAdvance(before + "…/" + name + "…"))
                QVERIFY2(shown.startsWith(before), qPrintable(shown));
        }
        // In a window: what shows fits the label, and the tooltip's whole is the text.
        label.resize(metrics.horizontalAdvance(whole) / 2, 30);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QVERIFY(label.shownText() != whole);
        QVERIFY(label.shownText().endsWith("…") || label.shownText().endsWith(name));
        QVERIFY(label.minimumSizeHint().width() < metrics.horizontalAdvance(whole) / 2);
    }
};

QObject* createWindowWordsTest() { return new WindowWordsTest; }

#include "WindowWordsTest.moc"
