// A core file that reaches for the window: it must not compile, because the
// core's include folders hold no window header.
#include "CAppSettings.h"
#include "frmVantrel.h"
