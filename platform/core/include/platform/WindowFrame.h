#pragma once
// The frame a top-level window is drawn with, where the system draws it
// itself rather than the window manager.

#include <cstdint>
#include <optional>

namespace platform::windowframe {

// How far the frame, as it shows on the screen, reaches beyond the window's
// client area on each side, in the system's pixels.
struct FrameMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const FrameMargins&, const FrameMargins&) = default;
};

// The drawn frame around the window of that native handle; none where the
// system does not say (a window manager frames the window, and the toolkit
// knows its frame from there) or the handle is no window.
std::optional<FrameMargins> drawnAround(std::uintptr_t nativeWindow);

}  // namespace platform::windowframe
