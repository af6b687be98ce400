#pragma once
// Two to four setups side by side as the comparison window and its PDF show
// them: the setups in season order, one row per control of the main window
// with each setup's value and whether they differ, and the rows on A4 pages
// in the look of the setup sheet, to print and take to the pits.

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <vector>

#include "SetupComparison.h"
#include "library/SetupLibrary.h"

class QPainter;
class QRectF;

namespace vantrel::library {

class Comparison {
public:
    struct Row {
        ComparisonRow row;
        QStringList values;  // one per setup
        bool differs = false;
    };
    // A page painted in points on A4 before the rows.
    using LeadPage = std::function<void(QPainter&, const QRectF& page)>;

    // The setups by event date, then as built.
    explicit Comparison(std::vector<StoredSetup> setups);

    const std::vector<StoredSetup>& setups() const { return m_setups; }
    const std::vector<Row>& rows() const { return m_rows; }
    // Each setup's column head: the event (else the track), its date and
    // driver, when the sheet was built; a line each.
    QStringList columnTitles() const;

    // The rows (those that differ alone, when asked) as a PDF, each page
    // numbered of all, the lead page counted.
    QByteArray pdf(bool onlyDifferences, const LeadPage& leadPage = {}) const;
    // That PDF at nativePath, replacing it atomically. Throws platform::Error naming the file.
    void writePdf(const QString& nativePath, bool onlyDifferences, const LeadPage& leadPage = {}) const;

private:
    std::vector<StoredSetup> m_setups;
    std::vector<Row> m_rows;
};

}  // namespace vantrel::library
