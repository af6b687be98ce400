#pragma once
// The look every report shares with the setup sheet (the template's colours
// and type), and the comparison window's heading strips beside it.

#include <QColor>
#include <QFont>

namespace vantrel::report {

inline const QColor kInk(0x2b, 0x2f, 0x36);        // text and outlines
inline const QColor kHeader(0x2f, 0x3a, 0x48);     // title lines and heading strips
inline const QColor kRule(0x9a, 0xa3, 0xad);       // a cell's rule, the program's name, page numbers
inline const QColor kTableRule(0x8a, 0x93, 0xa0);  // under a table's column titles, around a chart
inline const QColor kFaintRule(0xe3, 0xe6, 0xea);  // between a table's rows, a chart's grid
// A row whose setups differ: on paper, and in the comparison window.
inline const QColor kDiffersOnPaper(0xfc, 0xec, 0xc4);
inline const QColor kDiffersOnScreen(0xff, 0xe4, 0xa8);

// The sheet's type at a size in points, unhinted, so that text is drawn as it was measured.
inline QFont reportFont(double points, bool bold = false) {
    QFont f("DejaVu Sans");
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

}  // namespace vantrel::report
