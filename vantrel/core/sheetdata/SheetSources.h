#pragma once
// Where each of the 112 sheet fields comes from in the main window, found
// from the rules themselves: the setup field the rules turn into it (and so
// its control, tab, frame and caption in SetupControls.def) and, for a mark,
// the choice it marks. New Setup Type names its rows with it, the matcher
// reads its words, the comparison shows values as the sheet does.

#include <array>
#include <string>

#include "CAppSettings.h"
#include "CDataBuilder.h"

namespace vantrel {

struct SheetSource {
    SetupField field;    // the setup field its value comes from
    bool mark = false;   // holds "l" or "_" when its choice is made
    std::string choice;  // what a mark stands for: "hole 3", "Long", "Short, hole 2"
};

// In record order: sheetSources()[i] is the source of SheetField(i).
const std::array<SheetSource, SheetFieldCount>& sheetSources();

// The sheet field's place in the racer's words: tab, frame (when the
// control has one) and caption, joined by " › ", a mark's choice after a
// comma: "Front › Shocks › Oil", "Rear › Shock Tower, Arms, Geometry › Arm
// Shock, Long, hole 2".
std::string racerWords(SheetField field);

// Each setup field's value as the sheet shows it ("35 WT", "1.5 deg"), the
// value as it stands for a field the sheet only marks (an option number).
Setup sheetShownValues(const Setup& values);

}  // namespace vantrel
