#pragma once
// Turns the painted page into the sheet template: adds the AcroForm with one
// text field per sheet field and writes the file.

#include "SheetLayout.h"

#include <QByteArray>

#include <string>

namespace templategen {

// PDF user space has its origin at the bottom left; the layout's at the top
// left. The one place where the two meet.
struct PdfRect {
    double llx, lly, urx, ury;
};
PdfRect toPdf(const QRectF& r, double pageHeight);

// Writes atomically: a failure leaves an earlier template at outputPath as it
// was. Raises LayoutError or the qpdf exception on failure.
void writeTemplate(const QByteArray& paintedPdf, const SheetLayout& layout, const std::string& outputPath);

}  // namespace templategen
