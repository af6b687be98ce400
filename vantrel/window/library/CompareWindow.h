#pragma once
// Two to four setups side by side: one row per control of the main window,
// under the tab that holds it, with the rows that differ highlighted; a
// toggle to see only those, and the comparison as a PDF on A4 pages in the
// look of the setup sheet, to print and take to the pits.

#include <QWidget>
#include <vector>

#include "ComparisonReport.h"
#include "Dialogs.h"
#include "ElidedLabel.h"

class QCheckBox;
class QLabel;
class QTableWidget;

namespace vantrel::library {

class CompareWindow : public QWidget {
    Q_OBJECT
public:
    // On the caption cell of each table row: whether the row is a tab's
    // heading, and whether the setups differ in it.
    static constexpr int HeadingRole = Qt::UserRole + 1;
    static constexpr int DiffersRole = Qt::UserRole + 2;

    // Save as PDF asks for the file through dialogs.
    CompareWindow(std::vector<StoredSetup> setups, Dialogs dialogs, const QWidget* mainWindow,
                  QWidget* parent = nullptr);

    // Hides the rows in which every setup agrees (and tabs left without rows).
    void setOnlyDifferences(bool only);
    // Writes the comparison (the rows shown) to a PDF file at nativePath,
    // replacing it atomically. Throws platform::Error naming the file.
    void writePdf(const QString& nativePath) const;
    // Asks for a file and writes it; a failure is told in a message box.
    void savePdf();

    QTableWidget* table() const { return m_table; }

private:
    Comparison m_comparison;
    Dialogs m_dialogs;
    bool m_onlyDifferences = false;
    QTableWidget* m_table = nullptr;
    QCheckBox* m_only = nullptr;
    ElidedLabel* m_status = nullptr;
};

}  // namespace vantrel::library
