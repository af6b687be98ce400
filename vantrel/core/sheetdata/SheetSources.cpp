#include "SheetSources.h"

#include <string_view>

#include "CRulesEngine.h"
#include "OptionGroups.h"
#include "SetupControls.h"

namespace vantrel {

namespace {

int sheetIndex(std::string_view name) {
    for (std::size_t i = 0; i < SheetFieldCount; ++i)
        if (SheetFieldNames[i] == name) return int(i);
    return -1;
}

std::array<SheetSource, SheetFieldCount> findSources() {
    std::array<SheetSource, SheetFieldCount> sources{};
    std::array<bool, SheetFieldCount> found{};
    // The marks, as the option table names them.
    for (const OptionRun& run : OptionRuns) {
        if (run.markPrefix.empty()) continue;
        const std::string prefix(run.markPrefix);
        if (run.lengthField)
            if (const int k = sheetIndex(prefix); k >= 0) {
                sources[k] = {*run.lengthField, true, std::string(run.length)};
                found[k] = true;
            }
        for (int i = run.first; i <= run.last; ++i) {
            const int k = sheetIndex(prefix + std::to_string(run.value(i)));
            if (k < 0) continue;
            const std::string hole = "hole " + std::to_string(run.value(i));
            sources[k] = {run.field, true, run.length.empty() ? hole : std::string(run.length) + ", " + hole};
            found[k] = true;
        }
    }
    // Every other field: the one that changes when one setup field does.
    const CRulesEngine::SheetValues blank = CRulesEngine::SheetFrom(CAppSettings());
    for (std::size_t f = 0; f < SetupFieldCount; ++f) {
        CAppSettings setup;
        setup.setField(SetupField(f), "x");
        const CRulesEngine::SheetValues sheet = CRulesEngine::SheetFrom(setup);
        for (std::size_t k = 0; k < SheetFieldCount; ++k)
            if (!found[k] && sheet[k] != blank[k]) {
                sources[k] = {SetupField(f), false, {}};
                found[k] = true;
            }
    }
    return sources;
}

}  // namespace

const std::array<SheetSource, SheetFieldCount>& sheetSources() {
    static const std::array<SheetSource, SheetFieldCount> sources = findSources();
    return sources;
}

std::string racerWords(SheetField field) {
    const SheetSource& source = sheetSources()[std::size_t(field)];
    const SetupControl& control = SetupControls[std::size_t(source.field)];
    std::string words(control.tab);
    if (!control.frame.empty()) words += " \u203a " + std::string(control.frame);
    words += " \u203a " + std::string(control.caption);
    if (!source.choice.empty()) words += ", " + source.choice;
    return words;
}

Setup sheetShownValues(const Setup& values) {
    CAppSettings setup;
    for (std::size_t f = 0; f < SetupFieldCount; ++f) setup.setField(SetupField(f), values[f]);
    const CRulesEngine::SheetValues sheet = CRulesEngine::SheetFrom(setup);
    Setup shown = values;
    for (std::size_t k = 0; k < SheetFieldCount; ++k)
        if (!sheetSources()[k].mark) shown[std::size_t(sheetSources()[k].field)] = sheet[k];
    return shown;
}

}  // namespace vantrel
