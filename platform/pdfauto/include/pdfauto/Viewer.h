#pragma once
// Shows a document or a folder to the user: the one launcher of the program
// and the automation objects, through the desktop (xdg-open).

#include <string>

namespace pdfauto {

// Starts xdg-open on the file, detached: its own session, no standard
// streams, so the viewer outlives the caller and no zombie is left behind.
// The launcher is watched for a moment (a second and a half at most): one
// that ends with a failure (no application for the file: status 3) is
// reported; one that ends well or keeps running (the viewer itself) has shown
// the file. Does nothing without a display (DISPLAY or WAYLAND_DISPLAY) or
// without xdg-open on the PATH. Returns empty when the file was shown, else
// why not ("no display"). A relative path is made full first (from the
// current folder), so that no name is read as an option. Never raises.
std::string launchViewer(const std::string& nativePath) noexcept;
// Why a file named by someone else (a library's sheet, which a run, a team
// sheet or an imported CSV gave) is not handed to a viewer; empty when it is
// a PDF: a full path to a regular file that begins with "%PDF-", opened once
// without following a link there. Never raises.
std::string pdfRefusal(const std::string& nativePath) noexcept;
// launchViewer for such a file, once pdfRefusal finds nothing against it.
std::string launchPdfViewer(const std::string& nativePath) noexcept;
// Whether launchViewer showed the file.
bool showInViewer(const std::string& nativePath) noexcept;

// Whether there is a desktop to show anything on (DISPLAY or WAYLAND_DISPLAY).
bool hasDisplay() noexcept;

// The xdg-open that showInViewer would start; empty when there is none.
std::string findViewerLauncher();

// Why a file handed to the viewer by another (the automation objects, which
// tell only whether it showed) showed in none, as far as the desktop says
// now, in the system's words: "no display", or why no application opened it.
std::string unshownReason();

}  // namespace pdfauto
