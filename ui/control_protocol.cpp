#include "ui/control_protocol.h"

int32_t raiseControlEvent(HWND control, int event, const EventArgs& args, int32_t fallback) {
    HWND form = GetAncestor(control, GA_ROOT);
    if (!form || form == control) return fallback;
    ControlEvent raised{static_cast<uint32_t>(GetDlgCtrlID(control)), event, args, fallback};
    return static_cast<int32_t>(
        SendMessageW(form, kRaiseEventMessage, 0, reinterpret_cast<LPARAM>(&raised)));
}

void paintBackdrop(HWND window, HDC dc) {
    HWND parent = GetParent(window);
    if (!parent) return;
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    POINT previous;
    OffsetViewportOrgEx(dc, -rect.left, -rect.top, &previous);
    SendMessageW(parent, kPaintBackdropMessage, reinterpret_cast<WPARAM>(dc), 0);
    SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
}

int keyStateBits(WPARAM mouseKeys) {
    int bits = 0;
    if (mouseKeys & MK_CONTROL) bits |= kKeyControl;
    if (mouseKeys & MK_SHIFT) bits |= kKeyShift;
    if (GetKeyState(VK_MENU) < 0) bits |= kKeyAlt;
    return bits;
}
