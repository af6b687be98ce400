#pragma once
// Shows a document or a folder to the user: the one launcher of the program
// and the automation objects, through the desktop (xdg-open).

#include <string>

namespace pdfauto {

// Starts xdg-open on the file, fully detached: its own session, no standard
// streams, never waited for, so the caller goes on at once and no zombie is
// left behind. Does nothing without a display (DISPLAY or WAYLAND_DISPLAY)
// or without xdg-open on the PATH. Returns whether a viewer was started.
// Never raises.
bool showInViewer(const std::string& nativePath) noexcept;

// The xdg-open that showInViewer would start; empty when there is none.
std::string findViewerLauncher();

}  // namespace pdfauto
