// Timer: an invisible control that owns a system timer and raises its
// timer-fired event on every tick. Property: the interval in milliseconds.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/form_definition.h"

// Created hidden and idle (interval 0).
HWND createTimerControl(HWND parent, const ControlRow& row, int dpi);

// What writing an interval does to a timer that has `current`: a negative
// value counts as 0; the same value changes nothing; otherwise the running
// timer stops and, above 0, starts anew with the new period.
struct IntervalChange {
    int32_t interval;  // the interval after the write
    bool restart;      // kill the running timer, then start it if interval > 0
};
IntervalChange changeInterval(int32_t current, int32_t requested);
