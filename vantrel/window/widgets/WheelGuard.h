#pragma once
// A drop-down under the mouse wheel while a racer scrolls a long list of
// them would change its value without a word; guarded, it takes the wheel
// only while it has focus, and otherwise hands it on to what scrolls.

class QComboBox;

namespace vantrel::wheelguard {

// Gives the box focus on click or Tab only (not by the wheel) and lets it
// take wheel turns only while it has focus.
void install(QComboBox* box);

}  // namespace vantrel::wheelguard
