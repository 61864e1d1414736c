#include "app/program_state.h"

ProgramState& programState() {
    static ProgramState state;
    return state;
}

namespace {

template <typename T>
void release(T& item) {
    T().swap(item);
}

}  // namespace

void releaseProgramState() {
    ProgramState& state = programState();
    release(state.maskList);
    release(state.settingsPath);
    state.shadowRing5.release();
    state.shadowRing10.release();
    state.scaledShadowRings.clear();
    release(state.tempDir);
    for (std::wstring& path : state.trackPaths) release(path);
}
