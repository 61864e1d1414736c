#include "overlay/mask.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <vector>

#include "app/program_state.h"
#include "base/gdi_owners.h"
#include "base/window_frame.h"
#include "overlay/blur.h"
#include "ui/display_scale.h"

namespace {

// Property names, exactly as other code may read them.
constexpr char kPropMask[] = "HalyxMask_hWnd";                 // on the covered window
constexpr char kPropHole[] = "HalyxMask_Rgn";                  // on the mask: hole window
constexpr char kPropBlur[] = "HalyxMask_Blur";                 // on the mask: 1 or 0, recorded only
constexpr char kPropBrush[] = "HalyxMask_Brush";               // on the mask: tint brush
constexpr char kPropCacheDc[] = "HalyxMask_hCacheDC";          // on the mask: the picture's DC
constexpr char kPropCacheBitmap[] = "HalyxMask_hCacheBitmap";  // selected into that DC
constexpr char kPropCacheOldBitmap[] = "HalyxMask_hCacheOldBitmap";  // the DC's own bitmap
constexpr char kPropProc[] = "HalyxMask_Proc";  // on the covered window and its parents

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kMaxOpacity = 255;
constexpr int kBytesPerPixel = 4;
// The blur's block at 96 dpi, in pixels; at other scales it is as many
// pixels as that length is there, so the picture looks as soft at every
// scale.
constexpr int kBlurBlock = 4;

LRESULT handleMaskMessage(HWND mask, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MaskSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

template <typename Handle>
Handle property(HWND window, const char* name) {
    return static_cast<Handle>(GetPropA(window, name));
}

LONG_PTR subclassProcValue() {
    return reinterpret_cast<LONG_PTR>(&MaskSubclassProc);
}

// The covered window of a mask: its owner (layered mode) or its parent.
HWND coveredOf(HWND mask) {
    HWND owner = GetWindow(mask, GW_OWNER);
    return owner ? owner : GetParent(mask);
}

// The parent of a child window; null for a top-level window, whose owner is
// no parent: moving the owner does not move it.
HWND parentOf(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
}

// Only windows of this module's class in this process are masks; any other
// handle (a stale one the system has given to a new window included) is
// left alone.
bool isMask(HWND window) {
    if (!window || !IsWindow(window)) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return false;
    wchar_t name[std::size(kMaskClassName) + 1];
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return length > 0 && lstrcmpW(name, kMaskClassName) == 0;
}

void forget(HWND mask) {
    std::vector<HWND>& masks = programState().maskList;
    masks.erase(std::remove(masks.begin(), masks.end(), mask), masks.end());
}

bool registerMaskClass(HINSTANCE instance) {
    WNDCLASSEXW found{};
    found.cbSize = sizeof(found);
    if (GetClassInfoExW(instance, kMaskClassName, &found) ||
        GetClassInfoExW(nullptr, kMaskClassName, &found))
        return true;
    WNDCLASSEXW maskClass{};
    maskClass.cbSize = sizeof(maskClass);
    // Redrawn whole on any size change; double clicks arrive as such, so
    // that they have no effect either.
    maskClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    maskClass.lpfnWndProc = guardedWindowProc<handleMaskMessage>;
    maskClass.hInstance = instance;
    maskClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // What a mask without a picture or a brush shows.
    maskClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    maskClass.lpszClassName = kMaskClassName;
    return RegisterClassExW(&maskClass) != 0;
}

// Every window from this one up its parents passes its messages through
// MaskSubclassProc; a window already doing so is left as it is.
void subclassChain(HWND window) {
    for (HWND each = window; each; each = parentOf(each)) {
        if (GetPropA(each, kPropProc)) continue;
        const LONG_PTR previous = SetWindowLongPtrW(each, GWLP_WNDPROC, subclassProcValue());
        if (previous) SetPropA(each, kPropProc, reinterpret_cast<HANDLE>(previous));
    }
}

// Gives each window from this one up its parents its own procedure back,
// unless a mask still lies on it. Where another procedure was installed
// over this module's, putting the old one back would cut that procedure
// out; this module's stays in the chain then and passes every message on.
void unsubclassChain(HWND window) {
    for (HWND each = window; each; each = parentOf(each)) {
        if (GetPropA(each, kPropMask) || !GetPropA(each, kPropProc)) continue;
        if (GetWindowLongPtrW(each, GWLP_WNDPROC) != subclassProcValue()) continue;
        SetWindowLongPtrW(each, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(RemovePropA(each, kPropProc)));
    }
}

// The tint each live mask was made with, to take its picture again with
// when the covered window changes scale. Kept here rather than in a window
// property: the masks' properties are the ones other code reads.
struct Tint {
    COLORREF colour;
    int opacity;
};

std::map<HWND, Tint>& tints() {
    static std::map<HWND, Tint> made;  // only the GUI thread makes masks
    return made;
}

// Frees the mask's picture, if it has one.
void releasePicture(HWND mask) {
    if (HDC cache = property<HDC>(mask, kPropCacheDc)) {
        SelectObject(cache, property<HGDIOBJ>(mask, kPropCacheOldBitmap));
        DeleteObject(property<HBITMAP>(mask, kPropCacheBitmap));
        DeleteDC(cache);
    }
    for (const char* name : {kPropCacheDc, kPropCacheBitmap, kPropCacheOldBitmap})
        RemovePropA(mask, name);
}

// Frees what a mask holds and lets its covered window go; the mask window
// itself stays. Safe to run twice: what is freed leaves the properties.
void releaseMask(HWND mask) {
    HWND covered = coveredOf(mask);
    if (HBRUSH brush = property<HBRUSH>(mask, kPropBrush)) DeleteObject(brush);
    releasePicture(mask);
    if (covered && property<HWND>(covered, kPropMask) == mask) RemovePropA(covered, kPropMask);
    for (const char* name : {kPropHole, kPropBlur, kPropBrush}) RemovePropA(mask, name);
    tints().erase(mask);
    if (covered) unsubclassChain(covered);
}

void DestroyMask(HWND mask) {
    if (!isMask(mask)) return;
    releaseMask(mask);
    DestroyWindow(mask);
}

void destroyMaskOn(HWND covered) {
    DestroyMask(property<HWND>(covered, kPropMask));
}

// The hole window's rectangle cut out of the mask, in the covered window's
// client coordinates, which are the mask's own.
void cutHole(HWND mask, HWND covered, HWND hole, int width, int height) {
    RECT holeRect{};
    GetWindowRect(hole, &holeRect);
    POINT corner{holeRect.left, holeRect.top};
    ScreenToClient(covered, &corner);
    GdiObject<HRGN> whole(CreateRectRgn(0, 0, width + 1, height + 1));
    GdiObject<HRGN> cut(CreateRectRgn(corner.x, corner.y,
                                      corner.x + (holeRect.right - holeRect.left),
                                      corner.y + (holeRect.bottom - holeRect.top)));
    HRGN result = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(result, whole.get(), cut.get(), RGN_XOR);
    // The window owns the region from here on, but only if it took it.
    if (!SetWindowRgn(mask, result, TRUE)) DeleteObject(result);
}

void LayoutMask(HWND mask) {
    HWND owner = GetWindow(mask, GW_OWNER);
    HWND covered = owner ? owner : GetParent(mask);
    RECT client{};
    GetClientRect(covered, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    POINT origin{0, 0};
    if (owner) ClientToScreen(owner, &origin);  // a popup lies in screen coordinates
    MoveWindow(mask, origin.x, origin.y, width, height, TRUE);
    HWND hole = property<HWND>(mask, kPropHole);
    if (hole && IsWindow(hole))
        cutHole(mask, covered, hole, width, height);
    else
        SetWindowRgn(mask, nullptr, TRUE);
}

// Blends the colour over the whole picture at the opacity: one pixel of the
// colour, which the blend stretches over the picture, so no picture-sized
// layer has to be made and filled.
void tint(HDC picture, int width, int height, COLORREF colour, int opacity) {
    MemoryDc layer(picture);
    GdiBitmap layerBitmap(CreateCompatibleBitmap(picture, 1, 1));
    if (!layer.get() || !layerBitmap) return;
    SelectedObject selected(layer.get(), layerBitmap.get());
    SetBkColor(layer.get(), colour);
    const RECT pixel{0, 0, 1, 1};
    ExtTextOutW(layer.get(), 0, 0, ETO_OPAQUE, &pixel, L"", 0, nullptr);
    // Constant alpha only: the layer's own alpha byte plays no part.
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(opacity), 0};
    GdiAlphaBlend(picture, 0, 0, width, height, layer.get(), 0, 0, 1, 1, blend);
}

// Takes the picture once, when the mask is made; every repaint copies it.
void BuildMaskImage(HWND mask, bool blur, COLORREF colour, int opacity) {
    HWND covered = coveredOf(mask);
    if (!covered) return;  // nothing cached: the class's black shows
    RECT client{};
    GetClientRect(covered, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;

    // A picture of 32-bit pixels that the blur works on where they lie. Its
    // owners hold it while it is built; its handles then pass to the mask's
    // properties, and releaseMask frees them.
    void* bits = nullptr;
    GdiBitmap picture(createPictureBitmap(width, height, &bits));
    MemoryDc memory(nullptr);
    if (!memory || !picture) return;

    HGDIOBJ original = SelectObject(memory.get(), picture.get());
    // The covered window paints its children into the snapshot itself.
    PrintWindow(covered, memory.get(), PW_CLIENTONLY);
    if (blur) {
        GdiFlush();  // the snapshot reaches the pixels before the blur reads them
        // A window too small to blur keeps its sharp picture. The block is
        // twice the radius.
        const int block = toPixels(kBlurBlock, windowDpi(covered));
        blurPixels(bits, width, height, width * kBytesPerPixel, block / 2.0);
    }
    if (opacity >= 1) tint(memory.get(), width, height, colour, opacity);

    SetPropA(mask, kPropCacheDc, memory.release());
    SetPropA(mask, kPropCacheBitmap, picture.release());
    SetPropA(mask, kPropCacheOldBitmap, original);
}

// The layered mode has no picture: the brush (or the class's black) fills
// the window, which is translucent as a whole.
void tintLayered(HWND mask, COLORREF colour, int opacity) {
    if (HBRUSH old = property<HBRUSH>(mask, kPropBrush)) {
        RemovePropA(mask, kPropBrush);
        DeleteObject(old);
    }
    if (colour != kBlack) SetPropA(mask, kPropBrush, CreateSolidBrush(colour));
    UpdateWindow(mask);
    SetLayeredWindowAttributes(mask, colour, static_cast<BYTE>(opacity), LWA_ALPHA);
}

LRESULT handleMaskMessage(HWND mask, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        // The picture covers the whole mask, so nothing is erased beneath
        // it: the class's black would flash before it on a slow machine.
        if (property<HDC>(mask, kPropCacheDc)) return 1;
        if (HBRUSH brush = property<HBRUSH>(mask, kPropBrush)) {
            RECT client{};
            GetClientRect(mask, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
            return 0;
        }
        break;
    case WM_PAINT:
        if (HDC cache = property<HDC>(mask, kPropCacheDc)) {
            PaintScope paint(mask);
            RECT client{};
            GetClientRect(mask, &client);
            BitBlt(paint.dc(), 0, 0, client.right, client.bottom, cache, 0, 0, SRCCOPY);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        // Whatever destroyed the mask (a removal, a replacement, the covered
        // window's end, or a caller of DestroyWindow), its picture is freed
        // and its list entry goes, so the list never names a dead window.
        releaseMask(mask);
        forget(mask);
        break;
    default:
        break;
    }
    // No input handling: a press on the mask reaches nothing beneath it.
    return DefWindowProcW(mask, message, wParam, lParam);
}

// The covered window has been drawn for another scale: the mask takes its
// new size and, unless it is the layered kind, a new picture of the window
// as it is now, blurred for the new scale. The mask is hidden while the
// snapshot is taken, so that the old picture is not in it.
void retakeMask(HWND mask) {
    LayoutMask(mask);
    if (GetWindow(mask, GW_OWNER)) return;  // layered: no picture
    const auto found = tints().find(mask);
    if (found == tints().end()) return;
    const Tint taken = found->second;
    ShowWindow(mask, SW_HIDE);
    releasePicture(mask);
    BuildMaskImage(mask, GetPropA(mask, kPropBlur) != nullptr, taken.colour, taken.opacity);
    ShowWindow(mask, SW_SHOWNOACTIVATE);
    InvalidateRect(mask, nullptr, FALSE);
}

LRESULT CALLBACK MaskSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Read first: destroying the mask below may give the window its own
    // procedure back and remove the property.
    const auto previous = reinterpret_cast<LONG_PTR>(GetPropA(window, kPropProc));
    if (message == kDpiChangedMessage) {
        // The window lays itself out for the new scale first.
        const LRESULT result =
            previous ? CallWindowProcW(reinterpret_cast<WNDPROC>(previous), window, message,
                                       wParam, lParam)
                     : DefWindowProcW(window, message, wParam, lParam);
        HWND mask = property<HWND>(window, kPropMask);
        guarded([&] {
            if (isMask(mask)) retakeMask(mask);
        });
        return result;
    }
    if (message == WM_MOVE || message == WM_DESTROY) {
        HWND mask = property<HWND>(window, kPropMask);
        // The window's own handling follows even if the mask's work threw.
        guarded([&] {
            if (!isMask(mask)) return;
            // A move re-lays the mask out (the picture stays as taken); a
            // size change alone does not. The mask goes before the window's
            // own WM_DESTROY handling runs.
            if (message == WM_MOVE)
                LayoutMask(mask);
            else
                DestroyMask(mask);
        });
    }
    if (!previous) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(reinterpret_cast<WNDPROC>(previous), window, message, wParam, lParam);
}

}  // namespace

HWND ShowMask(HWND covered, HWND hole, std::optional<int> opacity) {
    return CreateMask(covered, hole, true, false, kBlack, opacity.value_or(kShowMaskOpacity));
}

HWND CreateMask(HWND covered, HWND hole, bool blur, bool layered, COLORREF colour,
                std::optional<int> opacity) {
    if (!IsWindow(covered)) return nullptr;
    const int alpha = std::clamp(opacity.value_or(kDefaultMaskOpacity), 0, kMaxOpacity);
    if (blur) {
        layered = false;
        colour = kBlack;
    }
    destroyMaskOn(covered);
    // A blurred picture is always of a whole top-level window; a popup can
    // only be owned by a top-level window, so a layered mask lies on one too.
    if (blur || layered) {
        covered = GetAncestor(covered, GA_ROOT);
        destroyMaskOn(covered);
    }

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerMaskClass(instance);  // a failure shows as a failed creation below
    // A child of the covered window lies over its controls; the layered
    // popup lets the pointer through (transparent) and is translucent.
    const DWORD style = layered ? WS_POPUP : WS_CHILD;
    const DWORD exStyle = layered ? WS_EX_LAYERED | WS_EX_TRANSPARENT : 0;
    HWND mask = CreateWindowExW(exStyle, kMaskClassName, L"", style, 0, 0, 0, 0, covered, nullptr,
                                instance, nullptr);
    if (!mask) return nullptr;

    SetPropA(covered, kPropMask, mask);
    SetPropA(mask, kPropHole, hole);
    SetPropA(mask, kPropBlur, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(blur ? 1 : 0)));
    tints()[mask] = Tint{colour, alpha};
    subclassChain(covered);
    LayoutMask(mask);
    // Still hidden: the snapshot never shows a mask.
    if (layered)
        tintLayered(mask, colour, alpha);
    else
        BuildMaskImage(mask, blur, colour, alpha);
    if (!layered) BringWindowToTop(mask);  // above every sibling control
    ShowWindow(mask, SW_SHOWNOACTIVATE);
    programState().maskList.push_back(mask);
    return mask;
}

void RemoveMask(HWND mask) {
    if (mask) {
        forget(mask);
        DestroyMask(mask);
        return;
    }
    // Taken out first; each mask leaves the list as it is destroyed anyway.
    std::vector<HWND> masks;
    masks.swap(programState().maskList);
    for (HWND each : masks) DestroyMask(each);
}
