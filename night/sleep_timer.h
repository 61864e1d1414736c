// The plain arithmetic of night use: the sleep timer's countdown on the tick
// count, the minutes it shows, the fade's volume steps and the tooltip's
// second line. No handles, so it is tested directly.
#pragma once

#include <cstdint>
#include <string>

// One minute of the sleep timer in real use.
constexpr uint32_t kRealMinuteMs = 60000;
// The fade when the timer runs out: every channel falls to silence together.
constexpr uint32_t kFadeMs = 10000;
// The fade's scale: 1000 is the slider's own volume, 0 silence.
constexpr int32_t kFullPermille = 1000;

// Milliseconds left of a span that began at start, read at now. The tick
// count wraps after 2^32 ms; the unsigned difference measures across the
// wrap, so neither the wrap nor a tick count older than the span can stretch
// or end the countdown early.
uint32_t remainingMs(uint32_t now, uint32_t start, uint32_t span);

// Whole minutes shown for what is left: a part of a minute counts as one,
// so "1" shows until the very end.
uint32_t minutesLeft(uint32_t remaining, uint32_t minuteMs);

// The share of the slider's volume that still sounds elapsed milliseconds
// into the fade: falls in equal steps from kFullPermille to 0 at the end.
int32_t fadePermille(uint32_t elapsed, uint32_t fadeMs);

enum class NightMode { Playing, Paused, Counting };

// The notification icon's tooltip: the product name, then what it does now.
std::wstring tooltipText(NightMode mode, uint32_t minutes);
