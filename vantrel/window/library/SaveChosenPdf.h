#pragma once
// Save as PDF, as the comparison and the track history offer it.

#include <QString>
#include <functional>

#include "Dialogs.h"

class QLabel;
class QWidget;

namespace vantrel::library {

// The racer chooses the file through dialogs (a PDF, starting at the
// suggestion), write makes it; "Saved as <file>" in the status, a failure in
// a box titled as the window.
void saveChosenPdf(QWidget* window, const Dialogs& dialogs, QLabel* status, const QString& suggestion,
                   const std::function<void(const QString& nativePath)>& write);

}  // namespace vantrel::library
