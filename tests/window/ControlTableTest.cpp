// The setup controls of the real main window against the tables they are
// made from: each field's control stands once, of its kind, with its label
// reading its caption, its unit beside it and a drop-down's choices; no setup
// tab holds a box the tables do not know; and a field named alone (the
// history's changes) reads one caption, each of its words once.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <memory>
#include <set>

#include "AnsweredDialogs.h"
#include "Installation.h"
#include "SetupControls.h"
#include "TallTextBox.h"
#include "WindowTestFolder.h"
#include "frmVantrel.h"
#include "library/TrackHistory.h"
#include "platform/Process.h"

using vantrel::ControlKind;
using vantrel::frmVantrel;
using vantrel::SetupControls;
using vantrel::WindowControls;
using windowtest::WindowTestFolder;

namespace {

QString q(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// What the window says beside a control: its buddy's text, or in a grid
// with column headings the heading over it and the caption of its row.
QString shownCaption(const QWidget* control) {
    QWidget* parent = control->parentWidget();
    for (auto* grid : parent->findChildren<QGridLayout*>()) {
        const int at = grid->indexOf(control);
        if (at < 0) continue;
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(at, &row, &column, &rows, &columns);
        auto text = [grid](int r, int c) {
            QLayoutItem* item = grid->itemAtPosition(r, c);
            auto* label = item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
            return label ? label->text() : QString();
        };
        const QString heading = text(0, column), caption = text(row, 0);
        if (!heading.isEmpty() && !caption.isEmpty()) return heading + ' ' + caption;
    }
    QStringList buddies;
    for (const QLabel* label : control->window()->findChildren<QLabel*>())
        if (label->buddy() == control) buddies << label->text();
    return buddies.size() == 1 ? buddies.front() : "(" + buddies.join(" | ") + ")";
}

}  // namespace

class ControlTableTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTestFolder> m_folder;
    windowtest::AnsweredDialogs m_dialogs;
    std::unique_ptr<frmVantrel> m_window;

private slots:
    void init() {
        m_folder = std::make_unique<WindowTestFolder>(false);
        m_window = std::make_unique<frmVantrel>(vantrel::Installation::read(platform::process::programFolder()),
                                                vantrel::MainWindowOptions{.dialogs = m_dialogs.dialogs()});
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    void cleanup() {
        m_window.reset();
        m_folder.reset();
    }

    void eachFieldHasItsControlOnceWithItsCaption() {
        for (std::size_t i = 0; i < std::size(WindowControls); ++i) {
            const auto& shown = WindowControls[i];
            const auto& table = SetupControls[i];
            const QString name = q(table.control);
            if (shown.kind == ControlKind::Options) continue;
            const auto found = m_window->findChildren<QWidget*>(name);
            QVERIFY2(found.size() == 1, qPrintable(name + QString(" stands %1 times").arg(found.size())));
            QWidget* control = found.front();
            switch (shown.kind) {
            case ControlKind::Text:
                QVERIFY2(qobject_cast<QLineEdit*>(control), qPrintable(name + " is no text box"));
                break;
            case ControlKind::DropDown: {
                auto* box = qobject_cast<QComboBox*>(control);
                QVERIFY2(box, qPrintable(name + " is no drop-down"));
                QStringList items;
                for (int k = 0; k < box->count(); ++k) items << box->itemText(k);
                QCOMPARE(items, q(shown.choices).split('|'));
                QCOMPARE(box->currentText(), q(shown.start));
                break;
            }
            case ControlKind::Notes:
                QVERIFY2(qobject_cast<vantrel::TallTextBox*>(control), qPrintable(name + " is no notes box"));
                break;
            case ControlKind::Options: break;
            }
            QCOMPARE(shownCaption(control), q(table.caption) + ':');
            // The unit stands after the box, in its row; a box without one has none.
            auto* unit = m_window->findChild<QLabel*>("lblUnit" + name.mid(3));
            if (shown.unit.empty()) {
                QVERIFY2(!unit, qPrintable(name + " has a unit"));
                continue;
            }
            QVERIFY2(unit, qPrintable(name + " has no unit"));
            QCOMPARE(unit->text(), q(shown.unit));
            bool after = false;
            for (auto* row : control->parentWidget()->findChildren<QHBoxLayout*>())
                after = after || (row->indexOf(control) >= 0 && row->indexOf(unit) > row->indexOf(control));
            QVERIFY2(after, qPrintable(name + "'s unit stands elsewhere"));
        }
    }

    void eachOptionGroupHasTheButtonsOfItsRuns() {
        std::set<std::string_view> groups;
        for (const auto& c : SetupControls)
            if (vantrel::isOptionControl(c.control)) groups.insert(c.control);
        for (const std::string_view group : groups) {
            const auto found = m_window->findChildren<QButtonGroup*>(q(group));
            QVERIFY2(found.size() == 1, qPrintable(q(group) + QString(" stands %1 times").arg(found.size())));
            for (const vantrel::OptionRun& run : vantrel::OptionRuns) {
                if (run.group != group) continue;
                for (int index = run.first; index <= run.last; ++index)
                    QVERIFY2(found.front()->button(index), qPrintable(q(group) + QString(" lacks %1").arg(index)));
                // Choices beside a text read the captions of the fields they choose.
                if (!run.textBox.empty())
                    QCOMPARE(found.front()->button(run.first)->text(),
                             q(SetupControls[std::size_t(run.field)].caption));
            }
        }
        // The front toe: its text box captioned with what its two choices share.
        auto* toe = m_window->control<QLineEdit>("txtFrontToe");
        QVERIFY(toe);
        QCOMPARE(shownCaption(toe), QString("Toe:"));
    }

    void noSetupTabHoldsABoxTheTablesDoNotKnow() {
        std::set<QString> known;
        for (const auto& c : SetupControls) known.insert(q(c.control));
        for (const auto& run : vantrel::OptionRuns)
            if (!run.textBox.empty()) known.insert(q(run.textBox));
        auto* tabs = m_window->findChild<QTabWidget*>("SSTab1");
        QVERIFY(tabs);
        for (int t = 0; t < tabs->count(); ++t) {
            if (tabs->tabText(t) == "File") continue;
            for (QWidget* box : tabs->widget(t)->findChildren<QWidget*>()) {
                if (!qobject_cast<QLineEdit*>(box) && !qobject_cast<QComboBox*>(box) &&
                    !qobject_cast<vantrel::TallTextBox*>(box))
                    continue;
                if (box->objectName().isEmpty() && qobject_cast<QComboBox*>(box->parentWidget())) continue;
                QVERIFY2(known.count(box->objectName()),
                         qPrintable(tabs->tabText(t) + " holds " + box->objectName() + ", which no table names"));
            }
        }
    }

    void aFieldNamedAloneReadsEachWordOnce() {
        std::set<std::string> names;
        for (std::size_t i = 0; i < std::size(WindowControls); ++i) {
            const auto field = vantrel::SetupField(i);
            const std::string name = vantrel::library::fieldCaption(field);
            QVERIFY2(names.insert(name).second, name.c_str());
            const QStringList words = QString::fromStdString(name).split(' ');
            QCOMPARE(QSet<QString>(words.begin(), words.end()).size(), words.size());
        }
        QCOMPARE(
            QString::fromStdString(vantrel::library::changeText({vantrel::SetupField::FrontTyreCompound, "S3", "S4"})),
            QString("Front Tyre Compound S3 → S4"));
    }
};

QObject* createControlTableTest() { return new ControlTableTest; }

#include "ControlTableTest.moc"
