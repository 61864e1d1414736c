// The mask overlay: a window laid over the client area of another window,
// the covered window, showing a frozen picture of that client area,
// blurred and darkened, or tinted. While a message is on screen the main
// window lies under such a mask: it looks dimmed and out of focus and its
// controls cannot be reached.
//
// The module keeps its per-window state in window properties named
// "HalyxMask_...", follows the covered window by subclassing it and its
// parents, and lists the masks it has made in ProgramState::maskList. Only
// live masks stand in that list: a mask leaves it whichever way it is
// destroyed.
#pragma once

#include <windows.h>

#include <optional>

// The tint over ShowMask's picture: black at 50 of 255, so the picture keeps
// 205/255 of its brightness.
constexpr int kShowMaskOpacity = 50;
// The opacity CreateMask uses when none is given.
constexpr int kDefaultMaskOpacity = 150;

constexpr wchar_t kMaskClassName[] = L"HalyxMask";

// A blurred mask darkened with black over the covered window's top-level
// window, leaving the hole window's rectangle (if any) uncovered and
// reachable. The opacity defaults to kShowMaskOpacity. Returns the mask, or
// null when none could be made.
HWND ShowMask(HWND covered, HWND hole = nullptr, std::optional<int> opacity = std::nullopt);

// Makes a mask over the covered window's client area, replacing a mask that
// lies there already. Three modes:
// - blur: a child window showing the blurred snapshot with black blended
//   over it (the layered flag and the colour are ignored); it covers the
//   whole top-level window even when a control is named;
// - neither flag: a child window showing the sharp snapshot with the colour
//   (0x00BBGGRR) blended over it;
// - layered: an owned popup of the top-level window, filled with the
//   colour and translucent as a whole; the pointer passes through it.
// The opacity (kDefaultMaskOpacity when not given) is clamped to 0..255.
// Null when the covered window is not a window or the mask cannot be made.
HWND CreateMask(HWND covered, HWND hole, bool blur, bool layered, COLORREF colour,
                std::optional<int> opacity = std::nullopt);

// With a mask: destroys it, whether or not it is still listed. With null:
// destroys every listed mask and empties the list. A window that is not a
// mask of this module is never touched.
void RemoveMask(HWND mask = nullptr);
