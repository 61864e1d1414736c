#include "base/at_exit.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<AtExitRoutine>& atExitRoutines() {
    static std::vector<AtExitRoutine> routines;
    return routines;
}

}  // namespace

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
