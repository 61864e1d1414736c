// SuperBar: a horizontal slider drawn from the slider strips, which all
// sliders share. It is made of child windows on its own surface: a left and
// a right arrow button, the thumb between them and the fill bar from the
// left arrow to the middle of the thumb; the surface between the arrows is
// the track.
//
// Properties: 15 minimum, 16 maximum, 17 position. Writing the position
// clamps it to the range and, if the stored position changed, raises the
// position-changed event before the write returns, whoever wrote it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/form_definition.h"
#include "ui/slider_geometry.h"

constexpr int32_t kSuperBarMinimum = 0;
constexpr int32_t kSuperBarMaximum = 100;
constexpr int32_t kSuperBarInitialPosition = 100;
constexpr int32_t kSuperBarClickStep = 10;   // arrow clicks, arrow keys
constexpr int32_t kSuperBarRepeatStep = 10;  // held arrows, Page Up / Page Down
constexpr UINT kArrowRepeatDelayMs = 500;
constexpr UINT kArrowRepeatPeriodMs = 100;
constexpr int kSuperBarArrowWidth = 15;
constexpr int kSuperBarThumbWidth = 20;

// Control identifiers of the part windows inside a slider.
constexpr int kPartIdLeftArrow = 1;
constexpr int kPartIdRightArrow = 2;
constexpr int kPartIdThumb = 3;
constexpr int kPartIdFill = 4;

// Created hidden, at its initial position, at the row's place for the
// scale.
HWND createSuperBar(HWND parent, const ControlRow& row, int dpi);

enum class PartLook { Normal = 0, Hot = 1, Pressed = 2 };

// The look a part is drawn with now (for a slider window; Normal otherwise).
PartLook superBarPartLook(HWND bar, SliderPart part);
