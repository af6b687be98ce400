#pragma once
// What the comparison window shows: one row per control of the main window,
// grouped under the tab that holds it, in the order a racer meets them
// there, with each setup's value as the racer reads it ("hole 3",
// "Long, hole 2", "Toe-in 1.5").

#include <QString>
#include <QStringList>
#include <QVector>
#include <vector>

#include "CAppSettings.h"
#include "library/SetupLibrary.h"

class QWidget;

namespace vantrel::library {

// One row: a control of the main window and the setup fields it fills (two
// for the front toe and for each arm, one otherwise).
struct ComparisonRow {
    QString tab;      // the tab's caption: "Front"
    QString caption;  // "Castor", "Shock Tower"
    QString control;  // the control's object name
    std::vector<SetupField> fields;
};

// The rows in the window's order: tab by tab, and within a tab in the order
// of the focus chain (the order the fields were laid out and are tabbed
// through). Captions come from each control's label; a control without one
// is named after its field. Without a main window (mainWindow nullptr, or no
// tab widget in it) the rows follow the record order under one heading "Setup".
std::vector<ComparisonRow> comparisonRows(const QWidget* mainWindow);

// The row's value in one setup as a racer reads it: an option group's choice
// as "hole 3" (holes on the art), "Long, hole 2" (an arm), "Toe-in 1.5" (a
// text beside the choice) or the number as it stands; text and combo boxes
// as they are. A stored value that is no choice of the group stays as it is.
QString displayValue(const ComparisonRow& row, const SetupValues& values, const QWidget* mainWindow = nullptr);

// "FrontShockTowerCamber" -> "Front Shock Tower Camber".
QString wordsOf(std::string_view key);

}  // namespace vantrel::library
