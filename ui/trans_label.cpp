#include "ui/trans_label.h"

#include <windowsx.h>

#include <memory>
#include <string>

#include "base/window_frame.h"
#include "ui/accessible_control.h"
#include "ui/buffered_paint.h"
#include "ui/control_protocol.h"
#include "ui/display_scale.h"
#include "ui/focus_cue.h"

namespace {

constexpr wchar_t kClassName[] = L"heyu.TransLabel";

struct TransLabel {
    std::wstring caption;
    LabelLook look;
    HCURSOR cursor;
    int dpi;
    GdiFont ownFont;  // the look's font at the label's scale, if it has one
};

GdiFont createFont(const FontSpec& font, int dpi) {
    return GdiFont(CreateFontW(toPixels(font.height, dpi), 0, 0, 0, font.weight, FALSE, FALSE, FALSE,
                               font.charSet, font.outPrecision, font.clipPrecision, font.quality,
                               font.pitchAndFamily, font.face));
}

HFONT fontOf(const TransLabel& label) {
    return label.ownFont ? label.ownFont.get()
                         : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// The DrawText format for a look: DT_NOCLIP and the alignment flags.
UINT labelTextFormat(const LabelLook& look) {
    UINT format = DT_NOCLIP;
    if (look.horizontal == HorizontalAlign::Centre) format |= DT_CENTER;
    if (look.horizontal == HorizontalAlign::Right) format |= DT_RIGHT;
    // DrawText centres vertically only a single line: a wrapped caption
    // starts at the top whatever DT_VCENTER asks.
    if (look.wordWrap) return format | DT_WORDBREAK | DT_VCENTER;
    format |= DT_SINGLELINE;
    if (look.vertical == VerticalAlign::Middle) format |= DT_VCENTER;
    if (look.vertical == VerticalAlign::Bottom) format |= DT_BOTTOM;
    return format;
}

// Draws the caption over what the DC already shows, and the focus cue
// around it when asked; nothing without a caption.
void paintLabel(const TransLabel& label, HWND window, HDC dc, bool withCue) {
    if (label.caption.empty()) return;
    RECT rect;
    GetClientRect(window, &rect);
    if (withCue) drawFocusCue(dc, rect, label.dpi);
    SelectedObject selected(dc, fontOf(label));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, label.look.textColour);
    DrawTextW(dc, label.caption.c_str(), static_cast<int>(label.caption.size()), &rect,
              labelTextFormat(label.look));
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

LRESULT handleLabel(HWND window, TransLabel* label, UINT message, WPARAM wParam,
                    LPARAM lParam) {
    LRESULT result = 0;
    if (focusCueMessage(window, message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the picture beneath shows through; WM_PAINT draws it
    case WM_PAINT: {
        PaintScope paint(window);
        if (!label || label->caption.empty()) return 0;
        RECT rect;
        GetClientRect(window, &rect);
        BufferedPaint buffer(paint.dc(), rect.right, rect.bottom);
        paintBackdrop(window, buffer.dc());
        paintLabel(*label, window, buffer.dc(), focusCueShown(window));
        return 0;
    }
    case WM_PRINTCLIENT:
        if (label) paintLabel(*label, window, reinterpret_cast<HDC>(wParam), false);
        return 0;
    case WM_KEYDOWN:
        // Enter on a label that has the focus (from Tab) is a click in its
        // middle; every other key is the window's, as if nothing had the
        // focus.
        if (wParam == VK_RETURN && label) {
            RECT rect;
            GetClientRect(window, &rect);
            raiseControlEvent(window, kEventLeftButtonDown,
                              EventArgs{toDesignUnits(rect.right / 2, label->dpi),
                                        toDesignUnits(rect.bottom / 2, label->dpi), 0});
        } else {
            SendMessageW(GetAncestor(window, GA_ROOT), WM_KEYDOWN, wParam, lParam);
        }
        return 0;
    case WM_GETFONT:
        return label ? reinterpret_cast<LRESULT>(fontOf(*label)) : 0;
    case WM_SETCURSOR:
        if (label && reinterpret_cast<HWND>(wParam) == window) {
            SetCursor(label->cursor);
            return TRUE;
        }
        break;
    case WM_GETOBJECT:
        return answerGetObject(window, wParam, lParam);
    case kScaleChangedMessage:
        // Placed for the new scale by the window; the font follows.
        if (label && wParam > 0) {
            label->dpi = static_cast<int>(wParam);
            if (label->look.font) label->ownFont = createFont(*label->look.font, label->dpi);
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN: {
        // Handlers are told the point in the design's units.
        const int dpi = label ? label->dpi : kDesignDpi;
        raiseControlEvent(window, kEventLeftButtonDown,
                          EventArgs{toDesignUnits(GET_X_LPARAM(lParam), dpi),
                                    toDesignUnits(GET_Y_LPARAM(lParam), dpi), keyStateBits(wParam)});
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerClass(HINSTANCE instance) {
    // No class cursor: the label sets its own.
    return registerWindowClass(instance, kClassName, recordWindowProc<TransLabel, handleLabel>,
                               nullptr);
}

}  // namespace

HWND createTransLabel(HWND parent, const ControlRow& row, int dpi) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    if (!registerClass(instance)) return nullptr;
    auto label = std::make_unique<TransLabel>();
    if (row.caption) label->caption = row.caption;
    label->look = *row.look;
    label->cursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(row.cursor));
    label->dpi = dpi;
    if (row.look->font) label->ownFont = createFont(*row.look->font, dpi);
    const RECT place = pixelRect(row.left, row.top, row.width, row.height, dpi);
    // Transparent: siblings beneath paint first and the parent does not clip
    // it away, so the picture shows through everywhere the caption is not.
    // The window owns the record from WM_NCCREATE and frees it at WM_NCDESTROY.
    return CreateWindowExW(WS_EX_TRANSPARENT, kClassName, row.caption ? row.caption : L"",
                           WS_CHILD | WS_CLIPSIBLINGS, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(row.id)), instance,
                           &label);
}
