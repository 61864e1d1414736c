// A soft drop shadow for any top-level window: a layered popup owned by the
// target, slightly larger than it, that lets every click through and never
// takes activation. The target's window procedure is subclassed so the
// shadow follows its moves, resizes, showing and hiding. All state lives in
// named window properties, so any number of windows can carry a shadow.
#pragma once

#include <windows.h>

#include <optional>

constexpr COLORREF kDefaultShadowColour = RGB(0, 0, 0);
constexpr int kDefaultShadowSize = 5;

// Attaches, updates or removes the shadow of a top-level window. An omitted
// colour is black, an omitted size 5; a supplied size below 1 removes the
// shadow and puts the window procedure back. True when a shadow is attached
// or updated; false for a non-window, when the shadow window cannot be
// made, and after a removal. The size is in 96-dpi units: the ring is
// toPixels(size, dpi) pixels wide at the target's scale.
bool SetWndShadow(HWND target, std::optional<COLORREF> colour = std::nullopt,
                  std::optional<int> size = std::nullopt);

// The target's shadow window, made (hidden, at zero size) when it has none
// yet; null when it cannot be made.
HWND ShadowWindowOf(HWND target);

// Puts the shadow where the target is and redraws it, or hides it while the
// target is hidden, minimised or maximised. The visibility defaults to the
// target's own. Nothing for a target without a shadow.
void UpdateWndShadow(HWND target, std::optional<bool> visible = std::nullopt);

// The target's window procedure while it carries a shadow: the previous
// procedure first, then the shadow follows WM_MOVE, WM_SIZE and
// WM_SHOWWINDOW.
LRESULT CALLBACK ShadowSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Draws the target's shadow anew at (width x height), the shadow window's
// current size when either is 0, and hands it to the shadow window.
void RenderWndShadow(HWND target, int width, int height);

struct ShadowPixels;

// Draws the shadow window's ring (its colour and size properties) into the
// pixels of the section that will be handed to it.
void DrawWndShadow(HWND shadow, const ShadowPixels& pixels);
