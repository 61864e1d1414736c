#include "ui/form.h"

#include <windowsx.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "base/gdi_owners.h"
#include "base/window_frame.h"
#include "ui/display_scale.h"
#include "ui/focus_cue.h"
#include "ui/media_play.h"
#include "ui/pictures.h"
#include "ui/super_bar.h"
#include "ui/timer_control.h"
#include "ui/trans_label.h"

namespace {

constexpr wchar_t kClassName[] = L"heyu.Form";
// Posted at the first activation, so that its handler runs from the message
// loop once the window has been shown, not inside ShowWindow.
constexpr UINT kFirstActivationMessage = WM_APP + 0x110;

// The test build's stand-in for a move to a screen of another scale, which
// Wine never reports: wParam = the new dpi. Registered only in that build;
// 0 elsewhere, where no message matches it.
UINT testScaleMessage = 0;

struct Form {
    const FormDefinition* definition = nullptr;
    BindingTable bindings{};
    HWND window = nullptr;
    std::shared_ptr<const ScaledPicture> background;  // at the window's scale
    // The pictures of every scale the window has been drawn at since it
    // left the first: a move back to a screen finds them made.
    struct ScalePictures {
        std::shared_ptr<const ScaledPicture> background;
        std::shared_ptr<const SliderSkin> sliders;
    };
    std::map<int, ScalePictures> scalesSeen;
    HFONT font = nullptr;  // the default GUI font: a stock object, not owned
    bool activatedBefore = false;
    HWND lastFocus = nullptr;  // the control with the focus when the window was last left
    bool shownAtStart = true;

    ~Form();
};

// The forms whose windows exist, so that they can be found by number.
std::vector<Form*>& liveForms() {
    static std::vector<Form*> forms;
    return forms;
}

Form::~Form() {
    auto& forms = liveForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

Form* formById(uint32_t windowId) {
    for (Form* form : liveForms())
        if (form->definition->windowId == windowId) return form;
    return nullptr;
}

// The background picture stretched over the client area; the system's
// window colour where there is no picture.
void paintBackground(const Form& form, HDC dc) {
    RECT client;
    GetClientRect(form.window, &client);
    if (!form.background) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, client.right, client.bottom, form.background->dc.get(), 0, 0,
               form.background->size.cx, form.background->size.cy, SRCCOPY);
}

// The whole client area as the user sees it: the background, then every
// visible control from the bottom of the z-order up, each clipped to its
// own rectangle. A snapshot of the window needs this, since printing a
// window does not reach its children by itself.
void printClient(const Form& form, HDC dc) {
    paintBackground(form, dc);
    std::vector<HWND> children;
    for (HWND child = GetWindow(form.window, GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (!IsWindowVisible(*it)) continue;
        RECT rect;
        GetWindowRect(*it, &rect);
        MapWindowPoints(HWND_DESKTOP, form.window, reinterpret_cast<POINT*>(&rect), 2);
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
        OffsetViewportOrgEx(dc, rect.left, rect.top, nullptr);
        SendMessageW(*it, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        RestoreDC(dc, saved);
    }
}

int32_t raise(const Form& form, int event, int32_t fallback = 0, const EventArgs& args = {}) {
    return dispatchEvent(form.definition->windowId, form.definition->unitId, event, args,
                         fallback);
}

EventArgs keyArgs(int key) {
    EventArgs args;
    args.key = key;
    return args;
}

// The pointer's place for a context menu; a menu asked for from the
// keyboard (no position given) opens where the pointer is.
EventArgs contextMenuArgs(LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (lParam == -1) GetCursorPos(&point);
    EventArgs args;
    args.x = point.x;
    args.y = point.y;
    return args;
}

int32_t readWindowState(HWND window) {
    if (IsIconic(window)) return kWindowStateMinimized;
    if (IsZoomed(window)) return kWindowStateMaximized;
    return kWindowStateNormal;
}

bool writeWindowState(HWND window, int32_t state) {
    switch (state) {
    case kWindowStateNormal: ShowWindow(window, SW_RESTORE); return true;
    case kWindowStateMinimized: ShowWindow(window, SW_MINIMIZE); return true;
    case kWindowStateMaximized: ShowWindow(window, SW_MAXIMIZE); return true;
    default: return false;
    }
}

// The slider under a screen point, if one is: its window or one of its
// parts'.
HWND sliderAt(const Form& form, POINT screen) {
    for (HWND at = WindowFromPoint(screen); at && at != form.window; at = GetParent(at)) {
        if (GetParent(at) != form.window) continue;
        const int id = GetDlgCtrlID(at);
        for (size_t i = 0; i < form.definition->rowCount; ++i)
            if (form.definition->rows[i].id == static_cast<uint32_t>(id))
                return form.definition->rows[i].kind == ControlKind::SuperBar ? at : nullptr;
        return nullptr;
    }
    return nullptr;
}

// The wheel, wherever it was turned over the window: a slider under the
// pointer takes it, the rest of the window hands it to its handler.
void wheelTurned(const Form& form, WPARAM wParam, LPARAM lParam) {
    const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (const HWND slider = sliderAt(form, screen)) {
        SendMessageW(slider, WM_MOUSEWHEEL, wParam, lParam);
        return;
    }
    EventArgs args;
    args.x = screen.x;
    args.y = screen.y;
    args.key = GET_WHEEL_DELTA_WPARAM(wParam);
    raise(form, kEventMouseWheel, 0, args);
}

// Tab and Shift+Tab, whichever control passed them up: the focus goes to
// the next (or previous) control of the tab order that can take it, round
// the end; from outside the order, to the first (or the last). The keyboard
// was used, so the focus shows from now on.
void moveFocus(const Form& form, bool backwards) {
    const FormDefinition& definition = *form.definition;
    const size_t count = definition.tabOrderCount;
    const HWND focus = GetFocus();
    auto controlAt = [&](size_t at) {
        return GetDlgItem(form.window, static_cast<int>(definition.tabOrder[at]));
    };
    size_t at = count;
    for (size_t i = 0; i < count; ++i)
        if (focus && controlAt(i) == focus) at = i;
    for (size_t tried = 0; tried < count; ++tried) {
        if (at == count)
            at = backwards ? count - 1 : 0;
        else
            at = backwards ? (at + count - 1) % count : (at + 1) % count;
        const HWND next = controlAt(at);
        if (next && IsWindowVisible(next) && IsWindowEnabled(next)) {
            revealFocus(next);
            SetFocus(next);
            return;
        }
    }
}

// Waits, with the mouse captured, until the pointer leaves the platform's
// drag rectangle around the press (screen coordinates) with the left button
// held: true then, false when the button is let go first. The move loop must
// start only then: a touchpad's tap delivers the press and the release at
// once, and a move started for it would begin after the button is up, under
// a window manager leaving the window to follow the pointer until the next
// click. The platform's DragDetect does this too, but Wine compares the
// pointer's client coordinates with a rectangle around the screen point;
// the message's own screen position is right on both.
bool pressBecomesDrag(HWND window, POINT press) {
    const int halfWidth = GetSystemMetrics(SM_CXDRAG) / 2;
    const int halfHeight = GetSystemMetrics(SM_CYDRAG) / 2;
    const RECT still{press.x - halfWidth, press.y - halfHeight, press.x + halfWidth + 1,
                     press.y + halfHeight + 1};
    SetCapture(window);
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
            if (message.message == WM_LBUTTONUP) {
                ReleaseCapture();
                return false;
            }
            if (message.message == WM_MOUSEMOVE && !PtInRect(&still, message.pt)) {
                ReleaseCapture();
                return true;
            }
        }
        // Capture taken away, or the button let go where no release reaches
        // this window: no drag.
        if (GetCapture() != window || GetKeyState(VK_LBUTTON) >= 0) {
            if (GetCapture() == window) ReleaseCapture();
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_MOUSE);
    }
}

// Hands a drag that began at the press point (screen) to the platform's move
// loop. The loop moves the window by the way the pointer goes from where it
// starts, which is where the pointer is now, past the drag rectangle (a
// window manager takes that point whatever the message says): so the window
// first takes up the way already come, and follows the pointer exactly as
// from the press.
void startMove(HWND window, POINT press) {
    POINT now;
    RECT rect;
    if (!GetCursorPos(&now) || !GetWindowRect(window, &rect)) return;
    SetWindowPos(window, nullptr, rect.left + now.x - press.x, rect.top + now.y - press.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(now.x, now.y));
}

void loadBackground(Form& form, int dpi);

// The window moved to a screen of another scale: it takes the rectangle the
// system suggests, the picture for the new scale (made once per scale and
// shared), and places every control from the design's units again, each of
// which rebuilds its fonts and strips. The shadow follows the window's new
// size; a mask over it takes a new picture once this is done.
void changeScale(Form& form, int dpi, const RECT& suggested) {
    if (dpi <= 0) return;
    HWND window = form.window;
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    const int oldDpi = windowDpi(window);
    form.scalesSeen.try_emplace(
        oldDpi, Form::ScalePictures{form.background, sharedSliderSkin(instance, oldDpi)});
    recordWindowDpi(window, dpi);
    loadBackground(form, dpi);
    // Held here, the sliders' strips for the scale are shared by the sliders.
    form.scalesSeen.try_emplace(
        dpi, Form::ScalePictures{form.background, sharedSliderSkin(instance, dpi)});
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    const FormDefinition& definition = *form.definition;
    for (size_t i = 0; i < definition.rowCount; ++i) {
        const ControlRow& row = definition.rows[i];
        HWND control = GetDlgItem(window, static_cast<int>(row.id));
        if (!control) continue;
        const RECT place = pixelRect(row.left, row.top, row.width, row.height, dpi);
        SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        SendMessageW(control, kScaleChangedMessage, static_cast<WPARAM>(dpi), 0);
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// What the system would suggest for a move to a screen of the given scale:
// the window's corner where it is, its size the design's at that scale.
void changeScaleForTest(Form& form, int dpi) {
    RECT rect;
    if (dpi <= 0 || !GetWindowRect(form.window, &rect)) return;
    RECT suggested{rect.left, rect.top, rect.left + toPixels(form.definition->width, dpi),
                   rect.top + toPixels(form.definition->height, dpi)};
    // Through the whole window procedure, as the system's message comes.
    SendMessageW(form.window, kDpiChangedMessage, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
}

LRESULT handleForm(HWND window, Form* form, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!form) return DefWindowProcW(window, message, wParam, lParam);
    if (testScaleMessage != 0 && message == testScaleMessage) {
        changeScaleForTest(*form, static_cast<int>(wParam));
        return 1;
    }
    switch (message) {
    case kDpiChangedMessage:
        changeScale(*form, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        forgetWindowDpi(window);
        // The message loop ends with the form, with exit code 0: the other
        // windows of the program (its shadow, a mask, night use's hidden
        // window) only serve it.
        forgetFocusState(window);
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        // The close query decides; with no handler bound the close goes on.
        if (raise(*form, kEventCloseQuery, TRUE)) DestroyWindow(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
        PaintScope paint(window);
        paintBackground(*form, paint.dc());
        return 0;
    }
    case kPaintBackdropMessage:
        paintBackground(*form, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PRINTCLIENT:
        printClient(*form, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SETFONT:
        form->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(form->font);
    case WM_LBUTTONDOWN: {
        // Only presses on the bare picture arrive here; one that becomes a
        // drag moves the window as a press on a caption would. A tap is a
        // click on nothing.
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(window, &point);
        if (pressBecomesDrag(window, point)) startMove(window, point);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) SendMessageW(window, WM_CLOSE, 0, 0);
        else if (wParam == VK_TAB) moveFocus(*form, GetKeyState(VK_SHIFT) < 0);
        else raise(*form, kEventKeyDown, 0, keyArgs(static_cast<int>(wParam)));
        return 0;
    case WM_MOUSEWHEEL:
        wheelTurned(*form, wParam, lParam);
        return 0;
    case WM_APPCOMMAND:
        // Unhandled commands go on to the system, as with no handler at all.
        if (raise(*form, kEventAppCommand, 0, keyArgs(GET_APPCOMMAND_LPARAM(lParam))))
            return TRUE;
        break;
    case WM_CONTEXTMENU:
        // Also what a control that has no menu of its own passes up.
        raise(*form, kEventContextMenu, 0, contextMenuArgs(lParam));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            // The control that had the focus gets it back with the window,
            // as in a dialog: after a message box, Tab goes on from there.
            const HWND focus = GetFocus();
            form->lastFocus = focus && IsChild(window, focus) ? focus : nullptr;
            break;
        }
        if (!form->activatedBefore) {
            form->activatedBefore = true;
            PostMessageW(window, kFirstActivationMessage, 0, 0);
        } else {
            raise(*form, kEventActivated);
        }
        if (form->lastFocus && IsWindow(form->lastFocus) && IsWindowVisible(form->lastFocus) &&
            !HIWORD(wParam)) {
            SetFocus(form->lastFocus);
            return 0;
        }
        break;
    case kFirstActivationMessage:
        // The window is painted before the first-activation handler starts.
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        raise(*form, kEventFirstActivation);
        if (IsWindow(window)) raise(*form, kEventActivated);
        return 0;
    case kGetPropertyMessage:
        return wParam == kPropertyWindowState ? readWindowState(window) : 0;
    case kSetPropertyMessage:
        if (wParam == kPropertyShownAtStart) {
            form->shownAtStart = lParam != 0;
            return 1;
        }
        return wParam == kPropertyWindowState &&
               writeWindowState(window, static_cast<int32_t>(lParam));
    case kRaiseEventMessage: {
        const auto* raised = reinterpret_cast<const ControlEvent*>(lParam);
        return dispatchEvent(form->definition->windowId, raised->controlId, raised->event,
                             raised->args, raised->fallback);
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerClass(HINSTANCE instance) {
    return registerWindowClass(instance, kClassName, recordWindowProc<Form, handleForm>,
                               LoadCursorW(nullptr, IDC_ARROW));
}

HWND createControl(HWND parent, const ControlRow& row, int dpi) {
    switch (row.kind) {
    case ControlKind::TransLabel: return createTransLabel(parent, row, dpi);
    case ControlKind::SuperBar: return createSuperBar(parent, row, dpi);
    case ControlKind::MediaPlay: return createMediaPlay(parent, row, dpi);
    case ControlKind::Timer: return createTimerControl(parent, row, dpi);
    }
    return nullptr;
}

void loadBackground(Form& form, int dpi) {
    const FormDefinition& definition = *form.definition;
    form.background = sharedPictureAt(definition.backgroundPicture, definition.backgroundPicture2x,
                                      SIZE{definition.width, definition.height}, dpi);
}

// Creates the controls from the last row up to the first and stacks them so
// that the first row is on top. False if a control cannot be made.
bool createControls(HWND window, const FormDefinition& definition, int dpi) {
    std::vector<HWND> controls(definition.rowCount);
    for (size_t i = definition.rowCount; i-- > 0;) {
        controls[i] = createControl(window, definition.rows[i], dpi);
        if (!controls[i]) return false;
    }
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (size_t i = 0; i < controls.size(); ++i)
        SetWindowPos(controls[i], i == 0 ? HWND_TOP : controls[i - 1], 0, 0, 0, 0, keep);
    return true;
}

// Shows the visible controls without activating anything.
void showControls(HWND window, const FormDefinition& definition) {
    for (size_t i = 0; i < definition.rowCount; ++i)
        if (definition.rows[i].visible)
            ShowWindow(GetDlgItem(window, static_cast<int>(definition.rows[i].id)), SW_SHOWNA);
}

// The window's rectangle at a scale: the design's size in pixels, centred
// on the primary screen.
RECT windowPlace(const FormDefinition& definition, int dpi) {
    const int width = toPixels(definition.width, dpi);
    const int height = toPixels(definition.height, dpi);
    const POINT origin = centredOrigin(GetSystemMetrics(SM_CXSCREEN),
                                       GetSystemMetrics(SM_CYSCREEN), width, height);
    return RECT{origin.x, origin.y, origin.x + width, origin.y + height};
}

}  // namespace

void answerScaleMessagesForTests() {
    testScaleMessage = RegisterWindowMessageW(kTestScaleMessageName);
}

POINT centredOrigin(int screenWidth, int screenHeight, int width, int height) {
    return POINT{(screenWidth - width) / 2, (screenHeight - height) / 2};
}

HWND LoadForm(HINSTANCE instance, const FormDefinition& definition, BindingTable bindings) {
    if (!registerClass(instance)) return nullptr;
    auto form = std::make_unique<Form>();
    form->definition = &definition;
    form->bindings = bindings;
    // Made at the screen's scale; the window's own, which a system with a
    // scale per monitor may give it, is known once it exists.
    RECT place = windowPlace(definition, windowDpi(nullptr));
    // A popup has no frame, so the window is exactly its client area; the
    // app-window style gives it its own taskbar button, and the minimise box
    // lets that button minimise it; clipping children keeps the background
    // from painting over the sliders.
    Form* record = form.get();
    HWND window = CreateWindowExW(WS_EX_APPWINDOW, kClassName, definition.text,
                                  WS_POPUP | WS_MINIMIZEBOX | WS_CLIPCHILDREN, place.left,
                                  place.top, place.right - place.left, place.bottom - place.top,
                                  nullptr, nullptr, instance, &form);
    if (!window) return nullptr;
    liveForms().push_back(record);
    const int dpi = windowDpi(window);
    loadBackground(*record, dpi);
    place = windowPlace(definition, dpi);
    RECT outer;
    GetWindowRect(window, &outer);
    if (outer.right - outer.left != place.right - place.left ||
        outer.bottom - outer.top != place.bottom - place.top)
        MoveWindow(window, place.left, place.top, place.right - place.left,
                   place.bottom - place.top, FALSE);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);

    if (!createControls(window, definition, dpi)) {
        DestroyWindow(window);
        return nullptr;
    }
    dispatchEvent(definition.windowId, definition.unitId, kEventCreated, EventArgs{});
    // The created handler may have destroyed the window or ended the program.
    if (!IsWindow(window)) return nullptr;
    // Kept hidden, the window is whole but unseen, and its first activation
    // comes from the message loop all the same; shown later, it is activated
    // as any window is.
    if (!record->shownAtStart) {
        showControls(window, definition);
        record->activatedBefore = true;
        PostMessageW(window, kFirstActivationMessage, 0, 0);
        return window;
    }
    // The picture reaches the screen in the bare window's first paint, and
    // the controls show over it right after: shown with the window, every
    // one of them would first be erased, one by one, while the screen still
    // waits for the picture. The window is whole before the message loop
    // starts.
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    showControls(window, definition);
    UpdateWindow(window);
    return window;
}

HWND formWindow(uint32_t windowId) {
    Form* form = formById(windowId);
    return form ? form->window : nullptr;
}

HWND controlWindow(uint32_t windowId, uint32_t controlId) {
    Form* form = formById(windowId);
    if (!form) return nullptr;
    if (controlId == form->definition->unitId) return form->window;
    return GetDlgItem(form->window, static_cast<int>(controlId));
}

int32_t getProperty(uint32_t windowId, uint32_t controlId, int property) {
    HWND target = controlWindow(windowId, controlId);
    if (!target) return 0;
    return static_cast<int32_t>(SendMessageW(target, kGetPropertyMessage, property, 0));
}

bool setProperty(uint32_t windowId, uint32_t controlId, int property, int32_t value) {
    HWND target = controlWindow(windowId, controlId);
    if (!target) return false;
    return SendMessageW(target, kSetPropertyMessage, property, static_cast<LPARAM>(value)) != 0;
}

int32_t dispatchEvent(uint32_t windowId, uint32_t controlId, int event, const EventArgs& args,
                      int32_t fallback) {
    const Form* form = formById(windowId);
    if (!form) return fallback;
    for (size_t i = 0; i < form->bindings.count; ++i) {
        const Binding& binding = form->bindings.rows[i];
        if (binding.controlId == controlId && binding.event == event && binding.handler)
            return binding.handler(args);
    }
    return fallback;
}
