#include "SaveChosenPdf.h"

#include <QDir>
#include <QLabel>

#include "MessageBox.h"

namespace vantrel::library {

void saveChosenPdf(QWidget* window, const Dialogs& dialogs, QLabel* status, const QString& suggestion,
                   const std::function<void(const QString& nativePath)>& write) {
    const QStringList files = dialogs.chooseFiles(window, FileChoice::ComparisonPdf, suggestion);
    if (files.isEmpty()) return;
    const QString file = QDir::toNativeSeparators(files.front());
    try {
        write(file);
        status->setText("Saved as " + file);
    } catch (const std::exception& error) {
        MessageBox::failure(window, window->windowTitle(), error);
    }
}

}  // namespace vantrel::library
