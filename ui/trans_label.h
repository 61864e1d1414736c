// TransLabel: a transparent child window that draws its caption over
// whatever lies beneath it. Without a caption it draws nothing and is an
// invisible hot spot that still takes the mouse and shows its cursor.
// Events: left button pressed.
#pragma once

#include <windows.h>

#include "ui/form_definition.h"

// Created hidden, at the row's place and with its look's font for the
// scale; the caller shows it.
HWND createTransLabel(HWND parent, const ControlRow& row, int dpi);
