#include "app/program_state.h"

#include <algorithm>

ProgramState& programState() {
    static ProgramState state;
    return state;
}

namespace {

template <typename T>
void release(T& item) {
    T().swap(item);
}

std::vector<AtExitRoutine>& atExitRoutines() {
    static std::vector<AtExitRoutine> routines;
    return routines;
}

}  // namespace

void releaseProgramState() {
    ProgramState& state = programState();
    release(state.maskList);
    release(state.settingsPath);
    state.shadowRing5.release();
    state.shadowRing10.release();
    release(state.tempDir);
    for (std::wstring& path : state.trackPaths) release(path);
}

void registerAtExit(AtExitRoutine routine) {
    auto& routines = atExitRoutines();
    if (std::find(routines.begin(), routines.end(), routine) == routines.end())
        routines.push_back(routine);
}

void runAtExitRoutines() {
    // Taken out first, so a routine that ends the program again cannot run
    // the list a second time.
    std::vector<AtExitRoutine> routines;
    routines.swap(atExitRoutines());
    for (AtExitRoutine routine : routines) routine();
}
