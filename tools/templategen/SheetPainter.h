#pragma once
// Paints the fixed part of a setup sheet (titles, boxes, labels, pictures,
// the lines that values sit on) into a one-page PDF.

#include "SheetLayout.h"

#include <QByteArray>

namespace templategen {

// Raises LayoutError when a picture cannot be rendered.
QByteArray paintSheet(const SheetLayout& layout, const QString& documentTitle);

}  // namespace templategen
