#pragma once
// The run procedure: carries one press of "Create >" from the main window to
// the opened setup sheet, and shows the sheet's path in the window.

namespace vantrel {

// Reads and writes the main window's controls by name. Never raises: a failed
// run ends in one message box, "Error: " followed by the error's source.
void RunSetupSheet();

}  // namespace vantrel
