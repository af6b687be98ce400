#pragma once
// The first page as its form fields alone draw it: a plain page of the
// template's size with each field's box where it prints and its name inside.
// The preview of a build that cannot render PDF pages shows this instead of
// the page's picture.

#include <QImage>

#include "SetupTypeFiles.h"

namespace vantrel {

// `width` pixels wide, as tall as the page's proportions make it; a null image
// for a page without a size.
QImage fieldsOnlyPage(const setuptype::FirstPage& page, int width);

}  // namespace vantrel
