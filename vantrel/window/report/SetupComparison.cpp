#include "SetupComparison.h"

#include <algorithm>

#include "OptionGroups.h"
#include "SetupControls.h"
#include "Utf8Text.h"

namespace vantrel::library {

std::vector<ComparisonRow> comparisonRows() {
    std::vector<std::pair<int, ComparisonRow>> placed;
    for (const SetupControl& c : SetupControls) {
        const QString control = fromStd(c.control);
        auto it =
            std::find_if(placed.begin(), placed.end(), [&](const auto& p) { return p.second.control == control; });
        if (it != placed.end()) {
            it->second.fields.push_back(c.field);
            continue;
        }
        placed.push_back({windowFrameIndex(c), ComparisonRow{fromStd(c.tab), {}, control, {c.field}}});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<ComparisonRow> rows;
    for (auto& [at, row] : placed) {
        row.caption = fromStd(controlCaption(row.control.toStdString()));
        rows.push_back(std::move(row));
    }
    return rows;
}

QString displayValue(const ComparisonRow& row, const Setup& shown) {
    auto value = [&](SetupField f) { return QString::fromStdString(shown[std::size_t(f)]); };
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
            if (!text.isEmpty()) parts << fromStd(SetupControls[std::size_t(run->field)].caption) + ' ' + text;
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
            if (isNumber && fromStd(run->length) == length && run->holds(run->first + (v - run->firstValue)))
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
