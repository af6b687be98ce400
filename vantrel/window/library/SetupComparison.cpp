#include "SetupComparison.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QHash>
#include <QLabel>
#include <QTabWidget>
#include <QWidget>
#include <map>

#include "OptionGroups.h"
#include "SetupControls.h"

namespace vantrel::library {

namespace {

QString fromStd(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QString cleanCaption(QString text) {
    text.remove('&');
    text = text.trimmed();
    if (text.endsWith(':')) text.chop(1);
    return text.trimmed();
}

// The rows in record order, one per control.
std::vector<ComparisonRow> rowsByControl() {
    std::vector<ComparisonRow> rows;
    for (const SetupControl& c : SetupControls) {
        const QString control = fromStd(c.control);
        auto it = std::find_if(rows.begin(), rows.end(), [&](const ComparisonRow& r) { return r.control == control; });
        if (it != rows.end()) {
            it->fields.push_back(c.field);
            continue;
        }
        ComparisonRow row;
        row.control = control;
        row.fields.push_back(c.field);
        rows.push_back(std::move(row));
    }
    return rows;
}

// The caption of an option group's row: the field's words without the
// side the tab already names, for an arm "Arm".
QString optionCaption(const ComparisonRow& row, const QString& tab) {
    QString words = wordsOf(SetupFieldKeys[std::size_t(row.fields.front())]);
    if (!tab.isEmpty() && words.startsWith(tab + ' ')) words = words.mid(tab.size() + 1);
    return words;
}

// The first button of the group's first run.
int optionRunIndex(const QString& group) {
    for (const OptionRun& run : OptionRuns)
        if (run.group == group.toStdString()) return run.first;
    return -1;
}

}  // namespace

QString wordsOf(std::string_view key) {
    QString out;
    const QString text = fromStd(key);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        const bool boundary =
            i > 0 && ch.isUpper() && (text[i - 1].isLower() || (i + 1 < text.size() && text[i + 1].isLower()));
        if (boundary) out += ' ';
        out += ch;
    }
    return out;
}

std::vector<ComparisonRow> comparisonRows(const QWidget* mainWindow) {
    std::vector<ComparisonRow> rows = rowsByControl();
    const QTabWidget* tabs = mainWindow ? mainWindow->findChild<QTabWidget*>() : nullptr;
    if (!tabs) {
        for (ComparisonRow& row : rows) {
            row.tab = "Setup";
            row.caption = wordsOf(SetupFieldKeys[std::size_t(row.fields.front())]);
        }
        return rows;
    }

    // Each widget's place: its tab, then its position in the focus chain.
    QHash<const QWidget*, std::pair<int, int>> place;
    int position = 0;
    for (int t = 0; t < tabs->count(); ++t) {
        const QWidget* page = tabs->widget(t);
        for (const QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
            if (!page->isAncestorOf(w)) continue;
            if (!place.contains(w)) place.insert(w, {t, position++});
        }
    }
    // Every label's buddy, for the captions.
    QHash<const QWidget*, QString> captions;
    for (const QLabel* label : mainWindow->findChildren<QLabel*>())
        if (label->buddy()) captions.insert(label->buddy(), cleanCaption(label->text()));

    struct Placed {
        std::pair<int, int> at;
        ComparisonRow row;
    };
    std::vector<Placed> placed;
    const std::pair<int, int> nowhere{tabs->count(), 0};
    for (ComparisonRow& row : rows) {
        std::pair<int, int> at = nowhere;
        const QWidget* first = nullptr;
        for (const QWidget* w : mainWindow->findChildren<QWidget*>(row.control)) {
            auto p = place.constFind(w);
            if (p != place.constEnd() && (!first || *p < at)) {
                at = *p;
                first = w;
            }
        }
        row.tab = at.first < tabs->count() ? cleanCaption(tabs->tabText(at.first)) : QString("Other");
        const OptionRun* run = optionRun(row.control.toStdString(), optionRunIndex(row.control));
        const QWidget* textBox =
            run && !run->textBox.empty() ? mainWindow->findChild<QWidget*>(fromStd(run->textBox)) : nullptr;
        if (textBox && captions.contains(textBox)) {
            // A choice with a text beside it goes by the text's label ("Toe").
            row.caption = captions.value(textBox);
        } else if (isOptionControl(row.control.toStdString())) {
            row.caption = optionCaption(row, row.tab);
        } else if (first && captions.contains(first)) {
            row.caption = captions.value(first);
        } else {
            // A box without a label of its own (the rear column of the tyres).
            row.caption = optionCaption(row, {});
        }
        placed.push_back({at, std::move(row)});
    }
    // A box without a label of its own in a grid row whose label another
    // box has (the front and rear columns of the tyres): both go by the
    // row's label and their side, "Front Compound" and "Rear Compound".
    for (const QGridLayout* grid : mainWindow->findChildren<QGridLayout*>()) {
        for (int r = 0; r < grid->rowCount(); ++r) {
            const QLayoutItem* first = grid->itemAtPosition(r, 0);
            const auto* label = first ? qobject_cast<const QLabel*>(first->widget()) : nullptr;
            if (!label || !label->buddy()) continue;
            std::vector<Placed*> sameRow;
            for (int c = 1; c < grid->columnCount(); ++c) {
                const QLayoutItem* item = grid->itemAtPosition(r, c);
                if (!item || !item->widget()) continue;
                // A box across several columns is one box.
                for (Placed& p : placed)
                    if (p.row.control == item->widget()->objectName() &&
                        std::find(sameRow.begin(), sameRow.end(), &p) == sameRow.end())
                        sameRow.push_back(&p);
            }
            if (sameRow.size() < 2) continue;
            for (Placed* p : sameRow)
                p->row.caption = wordsOf(SetupFieldKeys[std::size_t(p->row.fields.front())]).section(' ', 0, 0) + ' ' +
                                 cleanCaption(label->text());
        }
    }
    // Alike captions on one tab ("Tyres" for front and rear) take their field's words.
    std::map<std::pair<QString, QString>, int> seen;
    for (const Placed& p : placed) ++seen[{p.row.tab, p.row.caption}];
    for (Placed& p : placed)
        if (seen[{p.row.tab, p.row.caption}] > 1)
            p.row.caption = wordsOf(SetupFieldKeys[std::size_t(p.row.fields.front())]);
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.at < b.at; });
    rows.clear();
    for (Placed& p : placed) rows.push_back(std::move(p.row));
    return rows;
}

QString displayValue(const ComparisonRow& row, const SetupValues& values, const QWidget* mainWindow) {
    auto value = [&](SetupField f) { return QString::fromStdString(values[std::size_t(f)]); };
    const std::string group = row.control.toStdString();
    if (!isOptionControl(group)) return value(row.fields.front());

    std::vector<const OptionRun*> runs;
    for (const OptionRun& run : OptionRuns)
        if (run.group == group) runs.push_back(&run);
    if (runs.empty()) return value(row.fields.front());

    // A text beside the choice: each chosen button's caption and its text.
    if (!runs.front()->textBox.empty()) {
        QStringList parts;
        for (const OptionRun* run : runs) {
            const QString text = value(run->field);
            if (text.isEmpty()) continue;
            QString caption;
            if (mainWindow)
                for (const QAbstractButton* b : mainWindow->findChildren<QAbstractButton*>(row.control))
                    if (b->property("index").toInt() == run->first) caption = cleanCaption(b->text());
            if (caption.isEmpty()) caption = wordsOf(SetupFieldKeys[std::size_t(run->field)]).section(' ', -1);
            parts << caption + ' ' + text;
        }
        return parts.join(", ");
    }

    const QString stored = value(runs.front()->field);
    if (stored.isEmpty()) return {};
    bool isNumber = false;
    const int v = stored.toInt(&isNumber);
    // An arm: its length, then the hole.
    if (runs.front()->lengthField) {
        const QString length = value(*runs.front()->lengthField);
        for (const OptionRun* run : runs)
            if (isNumber && QString::fromUtf8(run->length.data(), qsizetype(run->length.size())) == length &&
                run->holds(run->first + (v - run->firstValue)))
                return length + ", hole " + stored;
        return length.isEmpty() ? stored : length + ", " + stored;
    }
    for (const OptionRun* run : runs) {
        if (!isNumber || !run->holds(run->first + (v - run->firstValue))) continue;
        return run->markPrefix.empty() ? stored : "hole " + stored;
    }
    return stored;
}

}  // namespace vantrel::library
