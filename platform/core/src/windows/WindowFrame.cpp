#include "platform/WindowFrame.h"

#include <windows.h>

#include <dwmapi.h>

#include <algorithm>

// The Windows half. The desktop window manager knows the frame as it shows
// (DWMWA_EXTENDED_FRAME_BOUNDS): on Windows 10 and later the window's own
// rectangle also holds resize borders that are not drawn. Where it does not
// answer (no composition, or Wine, which draws every border it sizes), the
// window's rectangle is its frame.
namespace platform::windowframe {

std::optional<FrameMargins> drawnAround(std::uintptr_t nativeWindow) {
    const auto window = reinterpret_cast<HWND>(nativeWindow);
    if (!window || !::IsWindow(window)) return std::nullopt;
    RECT outer{};
    if (::DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &outer, sizeof outer) != S_OK &&
        !::GetWindowRect(window, &outer))
        return std::nullopt;
    RECT client{};
    POINT origin{0, 0};
    if (!::GetClientRect(window, &client) || !::ClientToScreen(window, &origin)) return std::nullopt;
    const auto atLeastNone = [](LONG value) { return int(std::max<LONG>(value, 0)); };
    return FrameMargins{atLeastNone(origin.x - outer.left), atLeastNone(origin.y - outer.top),
                        atLeastNone(outer.right - (origin.x + client.right)),
                        atLeastNone(outer.bottom - (origin.y + client.bottom))};
}

}  // namespace platform::windowframe
