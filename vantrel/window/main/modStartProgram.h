#pragma once
// The run procedure: carries one press of "Create >" from the main window to
// the opened setup sheet, and shows the sheet's path in the window.

namespace vantrel {

class MainForm;

// Reads and writes the controls of the window `form` by name. Never raises:
// a failed run ends in one message box, "Error: " followed by the error's source.
void RunSetupSheet(MainForm& form);

}  // namespace vantrel
