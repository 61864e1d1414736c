// Move-only owners for the GDI handles the controls create, so every handle
// has exactly one owner and is freed once, in reverse order of creation.
#pragma once

#include <windows.h>

#include <utility>

// Owns a pen, brush, font, bitmap or region and deletes it.
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { reset(); }
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset() {
        if (handle_) DeleteObject(handle_);
        handle_ = nullptr;
    }

private:
    Handle handle_ = nullptr;
};

using GdiBitmap = GdiObject<HBITMAP>;
using GdiFont = GdiObject<HFONT>;

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

// A memory device context compatible with another one, deleted at the end.
class MemoryDc {
public:
    MemoryDc() = default;
    explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDc(MemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    MemoryDc& operator=(MemoryDc&& other) noexcept {
        if (this != &other) {
            if (dc_) DeleteDC(dc_);
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC get() const { return dc_; }

private:
    HDC dc_ = nullptr;
};

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

// An off-screen picture of a window's client area: everything is drawn into
// it and then copied to the screen in one blit, so a repaint never shows a
// half-drawn state.
class BufferedPaint {
public:
    BufferedPaint(HDC target, int width, int height);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;

    HDC dc() const { return memory_.get(); }

private:
    HDC target_;
    int width_;
    int height_;
    MemoryDc memory_;
    GdiBitmap bitmap_;
    SelectedObject selected_;
};
