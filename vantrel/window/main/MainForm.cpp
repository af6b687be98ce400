#include "MainForm.h"

namespace vantrel {

namespace {
MainForm* g_current = nullptr;
}

MainForm* MainForm::current() { return g_current; }

MainForm::MainForm() { g_current = this; }

MainForm::~MainForm() {
    if (g_current == this) g_current = nullptr;
}

}  // namespace vantrel
