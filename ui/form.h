// The form: a borderless top-level window built from a definition, with its
// controls, property access by (window, control, property number) and event
// dispatch by number through a binding table.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "ui/control_protocol.h"
#include "ui/form_definition.h"

using EventHandler = int32_t (*)(const EventArgs&);

// Which event of which control runs which handler. The window's own events
// are bound under its unit identifier. A null handler is a slot that is not
// filled yet: the event then has its default result.
struct Binding {
    uint32_t controlId;
    int event;
    EventHandler handler;
};

struct BindingTable {
    const Binding* rows;
    size_t count;
};

// Creates the window and its controls, raises the created event and then,
// if the window still exists, shows it. Null when the window or one of its
// controls cannot be created.
HWND LoadForm(HINSTANCE instance, const FormDefinition& definition, BindingTable bindings);

// The window of a loaded form, or null.
HWND formWindow(uint32_t windowId);

// The window of a control of a loaded form (the form itself for its unit
// identifier), or null.
HWND controlWindow(uint32_t windowId, uint32_t controlId);

// 0 for an unknown window, control or property.
int32_t getProperty(uint32_t windowId, uint32_t controlId, int property);

// False for an unknown window, control or property.
bool setProperty(uint32_t windowId, uint32_t controlId, int property, int32_t value);

// Runs the handler bound to the event and returns its result, or fallback
// when nothing is bound.
int32_t dispatchEvent(uint32_t windowId, uint32_t controlId, int event, const EventArgs& args,
                      int32_t fallback = 0);

// The test build answers this registered message (wParam = a dpi) as if the
// window had moved to a screen of that scale: it sends itself the system's
// scale-change message with the rectangle the system would suggest. Wine
// never sends that message, so this is how a test drives it.
constexpr wchar_t kTestScaleMessageName[] = L"heyu.TestScaleChange";
void answerScaleMessagesForTests();

// Centres a window of the given size on a screen; negative on a small screen.
POINT centredOrigin(int screenWidth, int screenHeight, int width, int height);
