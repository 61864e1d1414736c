// The records a window definition is made of: the window's own properties
// and one row per control, in the order of the window's unit list.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

enum class ControlKind { TransLabel, SuperBar, MediaPlay, Timer };

// Every field of the LOGFONT that a label's font is made from.
struct FontSpec {
    const wchar_t* face;
    LONG height;  // the character height at 96 dpi, negative; scaled to the window's dpi
    LONG weight;
    BYTE charSet;
    BYTE outPrecision;
    BYTE clipPrecision;
    BYTE quality;
    BYTE pitchAndFamily;
};

enum class HorizontalAlign { Left, Centre, Right };
enum class VerticalAlign { Top, Middle, Bottom };

struct LabelLook {
    COLORREF textColour;
    const FontSpec* font;  // null: the default GUI font
    HorizontalAlign horizontal;
    VerticalAlign vertical;
    bool wordWrap;
};

// System cursor identifiers, as LoadCursor takes them.
constexpr int kCursorArrow = 32512;  // IDC_ARROW
constexpr int kCursorHand = 32649;   // IDC_HAND
constexpr int kCursorHelp = 32651;   // IDC_HELP

struct ControlRow {
    const char* name;
    ControlKind kind;
    uint32_t id;
    int left;
    int top;
    int width;
    int height;
    bool visible;
    int cursor;
    const wchar_t* caption;  // null: no caption
    const LabelLook* look;   // labels only
};

struct FormDefinition {
    uint32_t windowId;  // names the window in property access and events
    uint32_t unitId;    // the window as a unit among its own controls
    const wchar_t* text;
    int width;
    int height;
    int backgroundPicture;    // the RCDATA picture stretched over the client area; 0: none
    int backgroundPicture2x;  // the same at twice the size, for scales above 96 dpi; 0: none
    const ControlRow* rows;
    size_t rowCount;
    // The controls Tab and Shift+Tab visit, in that order, round and round.
    const uint32_t* tabOrder;
    size_t tabOrderCount;
};
