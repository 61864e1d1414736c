// The pause of the start sequence: time passes while the window's messages
// go on being dispatched, so its event handlers can run inside the pause.
#pragma once

#include <cstdint>

// Returns once more than the given number of milliseconds have passed (at
// once for 0 or less). Meanwhile every waiting message of this thread is
// dispatched; a quit message stops the dispatching and stays in the queue
// for the message loop. Blocks on the queue between messages rather than
// polling it, so a pause costs no processor time.
void wait(int32_t milliseconds);
