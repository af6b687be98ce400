#pragma once
// What the comparison window shows: one row per control of the main window,
// grouped under the tab that holds it, frame by frame in the order a racer
// meets them there (SetupControls.def), with each setup's value as the
// sheet shows it ("35 WT") and an option group's choice as the racer reads
// it ("hole 3", "Long, hole 2", "Toe-in 1.5 deg").

#include <QString>
#include <QStringList>
#include <vector>

#include "CAppSettings.h"
#include "library/SetupLibrary.h"

namespace vantrel::library {

// One row: a control of the main window and the setup fields it fills (two
// for the front toe and for each arm, one otherwise).
struct ComparisonRow {
    QString tab;      // the tab's caption: "Front"
    QString caption;  // "Castor", "Shock Tower"
    QString control;  // the control's object name
    std::vector<SetupField> fields;
};

// The rows in the window's order: tab by tab, frame by frame, and within a
// frame in record order. A control that fills one field goes by that field's
// caption, one that fills several by what their captions share ("Toe-in"
// and "Toe-out": "Toe").
std::vector<ComparisonRow> comparisonRows();

// The row's value in one setup (shown: the setup's values as the sheet shows
// them, sheetShownValues): an option group's choice as "hole 3" (holes on the
// art), "Long, hole 2" (an arm), "Toe-in 1.5 deg" (a text beside the choice)
// or the number as it stands; text and combo boxes as the sheet shows them.
// A stored value that is no choice of the group stays as it is.
QString displayValue(const ComparisonRow& row, const Setup& shown);

}  // namespace vantrel::library
