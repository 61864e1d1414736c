#include "ui/super_bar.h"

#include <windowsx.h>

#include <memory>
#include <utility>

#include "base/window_frame.h"
#include "ui/accessible_control.h"
#include "ui/buffered_paint.h"
#include "ui/control_protocol.h"
#include "ui/display_scale.h"
#include "ui/focus_cue.h"
#include "ui/pictures.h"

namespace {

constexpr wchar_t kBarClass[] = L"heyu.SuperBar";
constexpr wchar_t kPartClass[] = L"heyu.SuperBarPart";
constexpr UINT_PTR kDelayTimer = 1;
constexpr UINT_PTR kRepeatTimer = 2;
constexpr int kPartCount = 4;  // indexed by SliderPart

struct PartState {
    bool hot = false;
    bool pressed = false;
};

// The slider's arithmetic is the design's, in 96-dpi units (metrics); its
// windows and drawing are in pixels at its scale. A pointer's pixels go back
// to design units before any arithmetic, so a point means the same position
// at every scale.
struct SuperBar {
    HWND window = nullptr;
    SliderRange range{kSuperBarMinimum, kSuperBarMaximum};
    int32_t position = kSuperBarInitialPosition;
    SliderMetrics metrics{};  // design units
    int height = 0;           // design units
    int dpi = kDesignDpi;
    int widthPixels = 0;  // the window's own width
    std::shared_ptr<const SliderSkin> skin;  // never null once created
    HWND leftArrow = nullptr;
    HWND rightArrow = nullptr;
    HWND thumb = nullptr;
    HWND fill = nullptr;
    int thumbX = 0;  // pixels: where the thumb window stands, also while it is dragged
    PartState parts[kPartCount];
    HWND heldArrow = nullptr;  // an arrow button with the mouse captured
    bool trackPressed = false;
    bool dragging = false;
    bool outlineDrag = false;  // the move loop draws an outline, see thumbMoving
    int dragStartX = 0;
    int32_t dragStartPosition = 0;
    int dragStartPointerX = 0;  // screen x of the press on the thumb
    int wheelRest = 0;          // a touchpad's part of a wheel notch, kept for the next
};

int index(SliderPart part) {
    return static_cast<int>(part);
}

PartLook lookOf(const PartState& state) {
    if (state.pressed) return PartLook::Pressed;
    if (state.hot) return PartLook::Hot;
    return PartLook::Normal;
}

int pixels(const SuperBar& bar, int designUnits) {
    return toPixels(designUnits, bar.dpi);
}

int designUnits(const SuperBar& bar, int pixelCount) {
    return toDesignUnits(pixelCount, bar.dpi);
}

// The bar strips' rows, centred in the slider's height.
int barTopDesign(const SuperBar& bar) {
    return (bar.height - kStripHeight) / 2;
}

int barTop(const SuperBar& bar) {
    return pixels(bar, barTopDesign(bar));
}

int stripHeight(const SuperBar& bar) {
    return pixels(bar, barTopDesign(bar) + kStripHeight) - barTop(bar);
}

int arrowWidth(const SuperBar& bar) {
    return pixels(bar, bar.metrics.arrowWidth);
}

// The right arrow's left edge: its width from the slider's right end.
int rightArrowLeft(const SuperBar& bar) {
    return bar.widthPixels - (pixels(bar, bar.metrics.width) -
                              pixels(bar, bar.metrics.width - bar.metrics.arrowWidth));
}

int thumbWidth(const SuperBar& bar) {
    return pixels(bar, bar.metrics.thumbWidth);
}

// Where the thumb's window stands for a position.
int thumbPixels(const SuperBar& bar, int32_t position) {
    return pixels(bar, thumbLeft(position, bar.range, bar.metrics));
}

// The thumb's middle, where the fill bar ends.
int fillEndPixels(const SuperBar& bar) {
    return bar.thumbX + thumbWidth(bar) / 2;
}

// A dragged thumb's left edge kept between the two arrow buttons: between
// where it stands at the minimum and at the maximum.
int clampThumbPixels(const SuperBar& bar, int x) {
    const int lowest = thumbPixels(bar, bar.range.minimum);
    const int highest = thumbPixels(bar, bar.range.maximum);
    return x < lowest ? lowest : (x > highest ? highest : x);
}

// The position a thumb whose window stands at x means.
int32_t positionFromThumbPixels(const SuperBar& bar, int x) {
    return positionFromThumbLeft(designUnits(bar, x), bar.range, bar.metrics);
}

SliderPart partOfWindow(const SuperBar& bar, HWND part) {
    if (part == bar.leftArrow) return SliderPart::LeftArrow;
    if (part == bar.rightArrow) return SliderPart::RightArrow;
    if (part == bar.thumb) return SliderPart::Thumb;
    return SliderPart::Track;  // the fill bar is part of the track
}

void redraw(const SuperBar& bar) {
    RedrawWindow(bar.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// Draws the design's columns [from, to) of one image of a strip (images
// imageWidth design units wide) into the design's columns [at, at + to -
// from) of the slider counted from x pixels, in the bar strips' rows.
void drawPiece(HDC dc, const SuperBar& bar, int x, int at, const MaskedStrip& strip,
               int imageWidth, int image, int from, int to) {
    const int left = x + pixels(bar, at);
    const POINT source = stripColumns(*bar.skin, imageWidth, image, from, to);
    drawMasked(dc, left, barTop(bar), x + pixels(bar, at + to - from) - left, stripHeight(bar),
               strip, source.x, 0, source.y, toPixels(kStripHeight, bar.skin->dpi));
}

void drawThumb(HDC dc, const SuperBar& bar) {
    const int look = static_cast<int>(lookOf(bar.parts[index(SliderPart::Thumb)]));
    const int piece = kThumbImageWidth;
    const int width = bar.metrics.thumbWidth;
    const MaskedStrip& strip = bar.skin->thumb;
    auto draw = [&](int at, int which, int columns) {
        drawPiece(dc, bar, bar.thumbX, at, strip, piece, look * 4 + which, 0, columns);
    };
    draw(0, 0, piece);
    // The middle piece stretches over whatever the two ends leave free.
    if (width > 2 * piece) {
        const int left = bar.thumbX + pixels(bar, piece);
        const POINT source = stripColumns(*bar.skin, piece, look * 4 + 1, 0, piece);
        drawMasked(dc, left, barTop(bar), bar.thumbX + pixels(bar, width - piece) - left,
                   stripHeight(bar), strip, source.x, 0, source.y,
                   toPixels(kStripHeight, bar.skin->dpi));
    }
    draw(width - piece, 3, piece);
    draw((width - piece) / 2, 2, piece);
}

// The focus cue: around the bar strips' rows, a little above and below
// them, so that it stays clear of the sliders above and below.
void drawSliderCue(HDC dc, const SuperBar& bar) {
    constexpr int kMargin = 3;  // design units
    const RECT rect{0, pixels(bar, barTopDesign(bar) - kMargin), bar.widthPixels,
                    pixels(bar, barTopDesign(bar) + kStripHeight + kMargin)};
    drawFocusCue(dc, rect, bar.dpi);
}

// The whole slider in its own client coordinates, over what the DC shows,
// with the focus cue when it shows (never in a printed copy, such as the
// mask's snapshot). The bar strips have one image each, so the track looks
// alike in all looks.
void paintSuperBar(HDC dc, const SuperBar& bar, bool withCue) {
    const int y = barTop(bar);
    const int height = stripHeight(bar);
    const int arrow = arrowWidth(bar);
    const int rightArrow = rightArrowLeft(bar);
    drawBar(dc, arrow, y, rightArrow - arrow, height, *bar.skin, bar.skin->lightBar);
    drawBar(dc, arrow, y, fillEndPixels(bar) - arrow, height, *bar.skin, bar.skin->darkBar);
    const int leftLook = static_cast<int>(lookOf(bar.parts[index(SliderPart::LeftArrow)]));
    const int rightLook = 4 + static_cast<int>(lookOf(bar.parts[index(SliderPart::RightArrow)]));
    const int rows = toPixels(kStripHeight, bar.skin->dpi);
    const POINT left = stripColumns(*bar.skin, kArrowImageWidth, leftLook, 0, kArrowImageWidth);
    const POINT right = stripColumns(*bar.skin, kArrowImageWidth, rightLook, 0, kArrowImageWidth);
    drawMasked(dc, 0, y, arrow, height, bar.skin->arrows, left.x, 0, left.y, rows);
    drawMasked(dc, rightArrow, y, bar.widthPixels - rightArrow, height, bar.skin->arrows, right.x,
               0, right.y, rows);
    drawThumb(dc, bar);
    if (withCue) drawSliderCue(dc, bar);
}

void placeFill(SuperBar& bar) {
    const int arrow = arrowWidth(bar);
    SetWindowPos(bar.fill, nullptr, arrow, barTop(bar), fillEndPixels(bar) - arrow,
                 stripHeight(bar), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

void placeThumb(SuperBar& bar, int x) {
    bar.thumbX = x;
    SetWindowPos(bar.thumb, nullptr, x, 0, thumbWidth(bar), pixels(bar, bar.height),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    placeFill(bar);
    redraw(bar);
}

// The one way the position changes. The event comes last, so its handler
// reads the new position and sees the thumb in place.
void setPosition(SuperBar& bar, int64_t requested) {
    const int32_t position = clampPosition(requested, bar.range);
    if (position == bar.position) return;
    bar.position = position;
    // While dragged, the thumb stands where the pointer put it.
    if (!bar.dragging) placeThumb(bar, thumbPixels(bar, position));
    announceValueChange(bar.window);
    raiseControlEvent(bar.window, kEventPositionChanged, EventArgs{});
}

void setLook(SuperBar& bar, SliderPart part, bool PartState::*which, bool value) {
    PartState& state = bar.parts[index(part)];
    if (state.*which == value) return;
    state.*which = value;
    redraw(bar);
}

void trackLeave(HWND window) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    TrackMouseEvent(&track);
}

void pointerOver(SuperBar& bar, HWND window, SliderPart part) {
    if (!bar.parts[index(part)].hot) trackLeave(window);
    setLook(bar, part, &PartState::hot, true);
}

// The left-button event of the slider, with the point in its coordinates,
// in design units.
void raisePress(SuperBar& bar, HWND window, WPARAM wParam, LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    MapWindowPoints(window, bar.window, &point, 1);
    raiseControlEvent(bar.window, kEventLeftButtonDown,
                      EventArgs{designUnits(bar, point.x), designUnits(bar, point.y),
                                keyStateBits(wParam)});
}

int arrowDirection(const SuperBar& bar, HWND arrow) {
    return arrow == bar.leftArrow ? -1 : 1;
}

bool atEndFor(const SuperBar& bar, HWND arrow) {
    return arrow == bar.leftArrow ? bar.position <= bar.range.minimum
                                  : bar.position >= bar.range.maximum;
}

// Stops holding an arrow: the capture is let go and the repeat ends.
void releaseArrow(SuperBar& bar) {
    HWND arrow = bar.heldArrow;
    bar.heldArrow = nullptr;
    KillTimer(arrow, kDelayTimer);
    KillTimer(arrow, kRepeatTimer);
    if (GetCapture() == arrow) ReleaseCapture();
    setLook(bar, partOfWindow(bar, arrow), &PartState::pressed, false);
}

// A press of the mouse takes the focus, which does not show for it.
void focusByPointer(const SuperBar& bar) {
    concealFocus(bar.window);
    SetFocus(bar.window);
}

void arrowPressed(SuperBar& bar, HWND arrow) {
    focusByPointer(bar);
    SetCapture(arrow);
    bar.heldArrow = arrow;
    setLook(bar, partOfWindow(bar, arrow), &PartState::pressed, true);
    SetTimer(arrow, kDelayTimer, kArrowRepeatDelayMs, nullptr);
}

void arrowTimer(SuperBar& bar, HWND arrow, UINT_PTR timer) {
    if (bar.heldArrow != arrow) return;
    if (timer == kDelayTimer) {
        KillTimer(arrow, kDelayTimer);
        SetTimer(arrow, kRepeatTimer, kArrowRepeatPeriodMs, nullptr);
    }
    setPosition(bar, static_cast<int64_t>(bar.position) +
                         arrowDirection(bar, arrow) * kSuperBarRepeatStep);
    if (atEndFor(bar, arrow)) KillTimer(arrow, kRepeatTimer);
}

void arrowReleased(SuperBar& bar, HWND arrow) {
    if (bar.heldArrow != arrow) return;
    releaseArrow(bar);
    // Wherever the pointer is now, the release adds one click step.
    setPosition(bar, static_cast<int64_t>(bar.position) +
                         arrowDirection(bar, arrow) * kSuperBarClickStep);
}

void thumbPressed(SuperBar& bar, LPARAM lParam) {
    focusByPointer(bar);
    bar.dragging = true;
    bar.dragStartX = bar.thumbX;
    bar.dragStartPosition = bar.position;
    BOOL fullWindows = TRUE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &fullWindows, 0);
    bar.outlineDrag = !fullWindows;
    setLook(bar, SliderPart::Thumb, &PartState::pressed, true);
    // The platform's own move loop drags the thumb, as if it had a caption.
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(bar.thumb, &point);
    bar.dragStartPointerX = point.x;
    ReleaseCapture();
    PostMessageW(bar.thumb, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
}

void thumbMoved(SuperBar& bar, int x) {
    if (x == bar.thumbX) return;
    bar.thumbX = x;
    placeFill(bar);
    redraw(bar);
    if (bar.dragging) setPosition(bar, positionFromThumbPixels(bar, x));
}

// The move loop's rectangle for the thumb (screen coordinates), before it
// moves the window or draws its outline there: kept on the axis, between the
// arrows, where the pointer has taken the thumb since the press. With
// "show window contents while dragging" off (Wine's default, Remote Desktop)
// the loop only draws an outline and moves the window at the release, so the
// position follows the outline here; with it on, WM_MOVE does that.
void thumbMoving(SuperBar& bar, RECT& outline) {
    if (!bar.dragging) return;
    const int pointerX = GET_X_LPARAM(GetMessagePos());
    const int x = clampThumbPixels(bar, bar.dragStartX + pointerX - bar.dragStartPointerX);
    POINT origin{x, 0};
    ClientToScreen(bar.window, &origin);
    OffsetRect(&outline, origin.x - outline.left, origin.y - outline.top);
    if (!bar.outlineDrag) return;
    // Back where it started, the thumb means the position it had.
    setPosition(bar, x == bar.dragStartX ? bar.dragStartPosition
                                         : positionFromThumbPixels(bar, x));
}

void dragEnded(SuperBar& bar) {
    if (!bar.dragging) return;
    // A press that never moved the thumb leaves the position alone: the drag
    // formula truncates, and would otherwise move e.g. 57 to 56 on a click.
    if (bar.thumbX != bar.dragStartX) setPosition(bar, positionFromThumbPixels(bar, bar.thumbX));
    bar.dragging = false;
    bar.parts[index(SliderPart::Thumb)].pressed = false;
    placeThumb(bar, thumbPixels(bar, bar.position));
}

// False for a key the slider has no use for.
bool keyPressed(SuperBar& bar, WPARAM key, int repeat) {
    const int64_t position = bar.position;
    switch (key) {
    case VK_LEFT:
    case VK_DOWN:
        setPosition(bar, position - static_cast<int64_t>(kSuperBarClickStep) * repeat);
        break;
    case VK_RIGHT:
    case VK_UP:
        setPosition(bar, position + static_cast<int64_t>(kSuperBarClickStep) * repeat);
        break;
    case VK_PRIOR:
        setPosition(bar, position - static_cast<int64_t>(kSuperBarRepeatStep) * repeat);
        break;
    case VK_NEXT:
        setPosition(bar, position + static_cast<int64_t>(kSuperBarRepeatStep) * repeat);
        break;
    case VK_HOME:
        setPosition(bar, bar.range.minimum);
        break;
    case VK_END:
        setPosition(bar, bar.range.maximum);
        break;
    default:
        return false;
    }
    return true;
}

LRESULT paintPart(HWND window) {
    PaintScope paint(window);
    RECT rect;
    GetClientRect(window, &rect);
    BufferedPaint buffer(paint.dc(), rect.right, rect.bottom);
    paintBackdrop(window, buffer.dc());  // the slider paints itself into it
    return 0;
}

// A part's window carries its slider's record, which the slider owns.
LRESULT handlePart(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SuperBar* bar = windowRecord<SuperBar>(window);
    if (!bar) return DefWindowProcW(window, message, wParam, lParam);
    const SliderPart part = partOfWindow(*bar, window);
    switch (message) {
    case WM_NCHITTEST:
        // The fill bar lies on the track: its presses belong to the track.
        if (window == bar->fill) return HTTRANSPARENT;
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        return paintPart(window);
    case WM_MOUSEMOVE:
        pointerOver(*bar, window, part);
        return 0;
    case WM_MOUSELEAVE:
        setLook(*bar, part, &PartState::hot, false);
        return 0;
    case WM_LBUTTONDOWN:
        raisePress(*bar, window, wParam, lParam);
        if (part == SliderPart::Thumb)
            thumbPressed(*bar, lParam);
        else
            arrowPressed(*bar, window);
        return 0;
    case WM_LBUTTONUP:
        arrowReleased(*bar, window);
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away (a message box, another window): the hold ends
        // without a click step.
        if (bar->heldArrow == window && reinterpret_cast<HWND>(lParam) != window)
            releaseArrow(*bar);
        return 0;
    case WM_TIMER:
        arrowTimer(*bar, window, wParam);
        return 0;
    case WM_WINDOWPOSCHANGING: {
        // The dragged thumb stays on its axis, between the arrow buttons.
        auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
        if (window == bar->thumb && !(position->flags & SWP_NOMOVE)) {
            position->x = clampThumbPixels(*bar, position->x);
            position->y = 0;
        }
        return 0;
    }
    case WM_MOVING:
        if (window == bar->thumb) thumbMoving(*bar, *reinterpret_cast<RECT*>(lParam));
        return TRUE;
    case WM_MOVE:
        if (window == bar->thumb) thumbMoved(*bar, GET_X_LPARAM(lParam));
        return 0;
    case WM_NCLBUTTONDOWN:
        if (window == bar->thumb && wParam == HTCAPTION) {
            // The move loop runs inside the default handling and returns at
            // the release of the button.
            DefWindowProcW(window, message, wParam, lParam);
            dragEnded(*bar);
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void trackReleased(SuperBar& bar, LPARAM lParam) {
    if (!bar.trackPressed) return;
    bar.trackPressed = false;
    setLook(bar, SliderPart::Track, &PartState::pressed, false);
    if (GetCapture() == bar.window) ReleaseCapture();
    const int y = GET_Y_LPARAM(lParam);
    if (y < 0 || y >= pixels(bar, bar.height)) return;
    const int x = designUnits(bar, GET_X_LPARAM(lParam));
    if (partAt(x, designUnits(bar, bar.thumbX), bar.metrics) != SliderPart::Track) return;
    setPosition(bar, positionFromClick(x, bar.range, bar.metrics));
}

// Placed for a new scale by the window: the strips for that scale, and the
// parts laid out again from the design's units, the thumb where the
// position puts it.
void rescale(SuperBar& bar, int dpi) {
    RECT client;
    GetClientRect(bar.window, &client);
    bar.dpi = dpi;
    bar.widthPixels = client.right;
    // Strips that cannot be made leave the old ones, drawn at their scale.
    if (auto skin = sharedSliderSkin(
            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(bar.window, GWLP_HINSTANCE)), dpi))
        bar.skin = std::move(skin);
    const int arrow = arrowWidth(bar);
    const int height = pixels(bar, bar.height);
    const UINT keep = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;
    SetWindowPos(bar.leftArrow, nullptr, 0, 0, arrow, height, keep);
    const int rightArrow = rightArrowLeft(bar);
    SetWindowPos(bar.rightArrow, nullptr, rightArrow, 0, bar.widthPixels - rightArrow, height,
                 keep);
    placeThumb(bar, thumbPixels(bar, bar.position));  // places the fill and redraws
}

LRESULT handleBar(HWND window, SuperBar* bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!bar) return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    if (focusCueMessage(window, message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel from a buffer
    case WM_PAINT: {
        PaintScope paint(window);
        BufferedPaint buffer(paint.dc(), bar->widthPixels, pixels(*bar, bar->height));
        paintBackdrop(window, buffer.dc());
        paintSuperBar(buffer.dc(), *bar, focusCueShown(window));
        return 0;
    }
    case WM_PRINTCLIENT:
        paintSuperBar(reinterpret_cast<HDC>(wParam), *bar, false);
        return 0;
    case kPaintBackdropMessage: {
        // What lies beneath a part: the picture beneath the slider and the
        // whole slider drawn over it; the part shows its own piece of that.
        HDC dc = reinterpret_cast<HDC>(wParam);
        paintBackdrop(window, dc);
        paintSuperBar(dc, *bar, focusCueShown(window));
        return 0;
    }
    case kGetPropertyMessage:
        switch (wParam) {
        case kPropertyMinimum: return bar->range.minimum;
        case kPropertyMaximum: return bar->range.maximum;
        case kPropertyPosition: return bar->position;
        default: return 0;
        }
    case kSetPropertyMessage:
        if (wParam != kPropertyPosition) return 0;
        setPosition(*bar, static_cast<int32_t>(lParam));
        return 1;
    case WM_MOUSEMOVE:
        pointerOver(*bar, window, SliderPart::Track);
        return 0;
    case WM_MOUSELEAVE:
        setLook(*bar, SliderPart::Track, &PartState::hot, false);
        return 0;
    case WM_LBUTTONDOWN:
        raisePress(*bar, window, wParam, lParam);
        focusByPointer(*bar);
        SetCapture(window);
        bar->trackPressed = true;
        setLook(*bar, SliderPart::Track, &PartState::pressed, true);
        return 0;
    case WM_LBUTTONUP:
        trackReleased(*bar, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (bar->trackPressed && reinterpret_cast<HWND>(lParam) != window) {
            bar->trackPressed = false;
            setLook(*bar, SliderPart::Track, &PartState::pressed, false);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            // The window's close request decides; nothing here runs after it.
            SendMessageW(GetAncestor(window, GA_ROOT), WM_CLOSE, 0, 0);
            return 0;
        }
        // A key the slider does not use is the window's, as if nothing had
        // the focus: Tab among them, which moves the focus along the
        // window's order.
        if (keyPressed(*bar, wParam, LOWORD(lParam) ? LOWORD(lParam) : 1))
            revealFocus(window);
        else
            SendMessageW(GetAncestor(window, GA_ROOT), WM_KEYDOWN, wParam, lParam);
        return 0;
    case WM_MOUSEWHEEL: {
        // Over the slider, a click step a notch, louder upwards; elsewhere
        // (the slider only has the keyboard) the window's.
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT rect;
        GetWindowRect(window, &rect);
        if (!PtInRect(&rect, screen)) break;
        bar->wheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = bar->wheelRest / WHEEL_DELTA;
        bar->wheelRest -= notches * WHEEL_DELTA;
        setPosition(*bar, static_cast<int64_t>(bar->position) +
                              static_cast<int64_t>(notches) * kSuperBarClickStep);
        return 0;
    }
    case kScaleChangedMessage:
        if (wParam > 0) rescale(*bar, static_cast<int>(wParam));
        return 0;
    case WM_CONTEXTMENU:
        return 0;  // a slider has no menu, and keeps the window's from opening over it
    case WM_GETOBJECT:
        return answerGetObject(window, wParam, lParam);
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerClasses(HINSTANCE instance) {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const bool bar =
        registerWindowClass(instance, kBarClass, recordWindowProc<SuperBar, handleBar>, arrow);
    const bool part =
        registerWindowClass(instance, kPartClass, guardedWindowProc<handlePart>, arrow);
    return bar && part;
}

HWND createPart(SuperBar& bar, HINSTANCE instance, int id, int x, int y, int width,
                int height) {
    HWND part = CreateWindowExW(0, kPartClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y,
                                width, height, bar.window,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance,
                                nullptr);
    if (part) SetWindowLongPtrW(part, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&bar));
    return part;
}

}  // namespace

HWND createSuperBar(HWND parent, const ControlRow& row, int dpi) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    if (!registerClasses(instance)) return nullptr;
    auto record = std::make_unique<SuperBar>();
    record->metrics = SliderMetrics{row.width, kSuperBarArrowWidth, kSuperBarThumbWidth};
    record->height = row.height;
    record->dpi = dpi;
    const RECT place = pixelRect(row.left, row.top, row.width, row.height, dpi);
    record->widthPixels = place.right - place.left;
    record->skin = sharedSliderSkin(instance, dpi);
    record->thumbX = thumbPixels(*record, record->position);
    SuperBar* bar = record.get();
    // A tab stop; its parts are clipped out of its own painting.
    HWND window = CreateWindowExW(0, kBarClass, L"",
                                  WS_CHILD | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                  place.left, place.top, bar->widthPixels,
                                  place.bottom - place.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(row.id)),
                                  instance, &record);
    if (!window) return nullptr;
    const int arrow = arrowWidth(*bar);
    const int height = pixels(*bar, bar->height);
    // The fill bar first, so that the thumb created later lies above it.
    bar->fill = createPart(*bar, instance, kPartIdFill, arrow, barTop(*bar),
                           fillEndPixels(*bar) - arrow, stripHeight(*bar));
    bar->leftArrow = createPart(*bar, instance, kPartIdLeftArrow, 0, 0, arrow, height);
    const int rightArrow = rightArrowLeft(*bar);
    bar->rightArrow = createPart(*bar, instance, kPartIdRightArrow, rightArrow, 0,
                                 bar->widthPixels - rightArrow, height);
    bar->thumb =
        createPart(*bar, instance, kPartIdThumb, bar->thumbX, 0, thumbWidth(*bar), height);
    if (!bar->fill || !bar->leftArrow || !bar->rightArrow || !bar->thumb) {
        DestroyWindow(window);  // with the parts it has and its record
        return nullptr;
    }
    SetWindowPos(bar->thumb, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return window;
}

PartLook superBarPartLook(HWND bar, SliderPart part) {
    wchar_t kind[32];
    if (!GetClassNameW(bar, kind, 32) || lstrcmpW(kind, kBarClass) != 0) return PartLook::Normal;
    const SuperBar* record = windowRecord<SuperBar>(bar);
    return record ? lookOf(record->parts[index(part)]) : PartLook::Normal;
}
