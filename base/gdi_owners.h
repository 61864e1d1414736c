// Move-only owners of GDI handles: objects, selections, device contexts and
// one WM_PAINT's BeginPaint/EndPaint, so every handle has exactly one owner
// and is given back once, in reverse order of creation.
#pragma once

#include <windows.h>

#include <utility>

#include "base/unique_owner.h"

// Owns a pen, brush, font, bitmap or region and deletes it.
struct DeleteGdiObject {
    bool operator()(HGDIOBJ object) const { return DeleteObject(object) != FALSE; }
};

template <typename Handle>
using GdiObject = UniqueOwner<Handle, DeleteGdiObject>;

using GdiBitmap = GdiObject<HBITMAP>;
using GdiFont = GdiObject<HFONT>;
using GdiRegion = GdiObject<HRGN>;
using GdiBrush = GdiObject<HBRUSH>;

// Selects an object into a device context and selects the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (dc_) SelectObject(dc_, previous_);
    }
    SelectedObject(SelectedObject&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)), previous_(other.previous_) {}
    SelectedObject& operator=(SelectedObject&&) = delete;
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

struct DeleteDc {
    bool operator()(HDC dc) const { return DeleteDC(dc) != FALSE; }
};

// A memory device context compatible with another one, deleted at the end.
class MemoryDc : public UniqueOwner<HDC, DeleteDc> {
public:
    MemoryDc() = default;
    explicit MemoryDc(HDC compatibleWith) : UniqueOwner(CreateCompatibleDC(compatibleWith)) {}
};

// A window's device context from GetDC, released to that window.
struct ReleaseWindowDc {
    HWND window = nullptr;
    bool operator()(HDC dc) const { return ReleaseDC(window, dc) != 0; }
};

using WindowDc = UniqueOwner<HDC, ReleaseWindowDc>;

inline WindowDc windowDc(HWND window) {
    return WindowDc(GetDC(window), ReleaseWindowDc{window});
}

// BeginPaint and EndPaint of one WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};
