// The composition root: the one place that names the handlers of the other
// modules. Slots whose handlers arrive with the message texts stand here
// already, empty.
#include "ui/main_window.h"

#include <iterator>

#include "app/startup.h"
#include "mixer/channels.h"
#include "ui/control_table.h"

namespace {

int32_t created(const EventArgs&) {
    onMainWindowCreated();
    return 0;
}

int32_t minimise(const EventArgs&) {
    setProperty(ids::mainWindow, ids::mainWindowUnit, kPropertyWindowState,
                kWindowStateMinimized);
    return 0;
}

int32_t firstActivation(const EventArgs&) {
    onFirstActivation();
    return 0;
}

int32_t closeQuery(const EventArgs&) {
    return releaseChannels() ? TRUE : FALSE;
}

int32_t loopTick(const EventArgs&) {
    checkChannels();
    return 0;
}

// One handler per slider, alike but for the channel number.
template <int channel>
int32_t volumeBarChanged(const EventArgs&) {
    onVolumeBarChanged(channel);
    return 0;
}

// Ends at once: no close request, so the close query does not run.
int32_t endAtOnce(const EventArgs&) {
    endProgram(0);
}

constexpr EventHandler kNotYetBound = nullptr;

const Binding kBindings[] = {
    {ids::mainWindowUnit, kEventCreated, created},
    {ids::mainWindowUnit, kEventFirstActivation, firstActivation},
    {ids::mainWindowUnit, kEventCloseQuery, closeQuery},
    {ids::loopTimer, kEventTimer, loopTick},
    {ids::volumeBar[0], kEventPositionChanged, volumeBarChanged<1>},
    {ids::volumeBar[1], kEventPositionChanged, volumeBarChanged<2>},
    {ids::volumeBar[2], kEventPositionChanged, volumeBarChanged<3>},
    {ids::volumeBar[3], kEventPositionChanged, volumeBarChanged<4>},
    {ids::volumeBar[4], kEventPositionChanged, volumeBarChanged<5>},
    {ids::volumeBar[5], kEventPositionChanged, volumeBarChanged<6>},
    {ids::brandLabel, kEventLeftButtonDown, kNotYetBound},       // texts: a quote
    {ids::edgeHotSpot, kEventLeftButtonDown, kNotYetBound},      // texts: easter egg
    {ids::leftFlowerHotSpot, kEventLeftButtonDown, kNotYetBound},  // texts
    {ids::meadowHotSpot, kEventLeftButtonDown, kNotYetBound},    // texts
    {ids::poppyHotSpot, kEventLeftButtonDown, kNotYetBound},     // texts
    {ids::girlHotSpot, kEventLeftButtonDown, kNotYetBound},      // texts
    {ids::boyHotSpot, kEventLeftButtonDown, kNotYetBound},       // texts
    {ids::helpLabel, kEventLeftButtonDown, kNotYetBound},        // texts: about box
    {ids::minimizeLabel, kEventLeftButtonDown, minimise},
    {ids::closeLabel, kEventLeftButtonDown, endAtOnce},
};

}  // namespace

BindingTable mainWindowBindings() {
    return BindingTable{kBindings, std::size(kBindings)};
}

HWND LoadMainWindow(HINSTANCE instance) {
    return LoadForm(instance, mainWindowDefinition(), mainWindowBindings());
}

HWND mainWindowHandle() {
    return formWindow(ids::mainWindow);
}
