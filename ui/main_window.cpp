// The composition root: the one place that names the handlers of the other
// modules.
#include "ui/main_window.h"

#include <iterator>

#include "app/startup.h"
#include "mixer/channels.h"
#include "mixer/mix_menu.h"
#include "mixer/mixes.h"
#include "night/night_use.h"
#include "overlay/messages.h"
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

// Night use starts once the window is whole, before the start sequence,
// whose waits it can already pause.
int32_t firstActivation(const EventArgs&) {
    extendNightMenu(MenuExtension{appendMixItems, runMixCommand});
    startNightUse(mainWindowHandle());
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

// One handler per place that shows a text, alike but for the control.
template <uint32_t control>
int32_t showText(const EventArgs&) {
    showMessageOf(control);
    return 0;
}

int32_t nightKey(const EventArgs& args) {
    return onNightKey(args.key);
}

int32_t nightAppCommand(const EventArgs& args) {
    return onNightAppCommand(args.key);
}

int32_t nightMenu(const EventArgs& args) {
    openNightMenu(POINT{args.x, args.y});
    return 0;
}

int32_t pauseAll(const EventArgs&) {
    pauseChannels();
    return 0;
}

int32_t resumeAll(const EventArgs&) {
    resumeChannels();
    return 0;
}

int32_t isPaused(const EventArgs&) {
    return channelsPaused() ? 1 : 0;
}

int32_t wheelOverPicture(const EventArgs& args) {
    wheelMaster(args.key, POINT{args.x, args.y});
    return 0;
}

int32_t scaleVolumes(const EventArgs& args) {
    scaleChannelVolumes(args.x);
    return 0;
}

// The "x" label ends the process at once: no close request, so the close
// query does not run, the players are not stopped and the track files stay.
// Everything that must go before the process does goes here.
int32_t endAtOnce(const EventArgs&) {
    closeChannelDevices();
    endProgram(0);
}

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
    {ids::brandLabel, kEventLeftButtonDown, showText<ids::brandLabel>},  // a quote
    {ids::edgeHotSpot, kEventLeftButtonDown, showText<ids::edgeHotSpot>},  // easter egg
    {ids::leftFlowerHotSpot, kEventLeftButtonDown, showText<ids::leftFlowerHotSpot>},
    {ids::meadowHotSpot, kEventLeftButtonDown, showText<ids::meadowHotSpot>},
    {ids::poppyHotSpot, kEventLeftButtonDown, showText<ids::poppyHotSpot>},
    {ids::girlHotSpot, kEventLeftButtonDown, showText<ids::girlHotSpot>},
    {ids::boyHotSpot, kEventLeftButtonDown, showText<ids::boyHotSpot>},  // usage hint
    {ids::helpLabel, kEventLeftButtonDown, showText<ids::helpLabel>},  // about box
    {ids::minimizeLabel, kEventLeftButtonDown, minimise},
    {ids::closeLabel, kEventLeftButtonDown, endAtOnce},
    // Night use: pause all and the sleep timer.
    {ids::mainWindowUnit, kEventKeyDown, nightKey},  // Space
    {ids::mainWindowUnit, kEventAppCommand, nightAppCommand},  // play/pause key
    {ids::mainWindowUnit, kEventContextMenu, nightMenu},
    {ids::mainWindowUnit, kEventMouseWheel, wheelOverPicture},  // the master level
    {kNightUseUnit, kNightEventPause, pauseAll},
    {kNightUseUnit, kNightEventResume, resumeAll},
    {kNightUseUnit, kNightEventVolume, scaleVolumes},
    {kNightUseUnit, kNightEventIsPaused, isPaused},
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
