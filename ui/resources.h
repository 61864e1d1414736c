// Resource identifiers of the pictures the executable carries. Shared by the
// resource script and the code, so it holds plain macros only.
#pragma once

#define IDR_BACKGROUND 101
#define IDR_BACKGROUND_2X 102
#define IDB_BAR_LIGHT 301
#define IDB_BAR_LIGHT_MASK 302
#define IDB_BAR_DARK 303
#define IDB_BAR_DARK_MASK 304
#define IDB_ARROWS 305
#define IDB_ARROWS_MASK 306
#define IDB_THUMB 307
#define IDB_THUMB_MASK 308
// The same strips at 2x, for high-dpi screens.
#define IDB_BAR_LIGHT_2X 311
#define IDB_BAR_LIGHT_2X_MASK 312
#define IDB_BAR_DARK_2X 313
#define IDB_BAR_DARK_2X_MASK 314
#define IDB_ARROWS_2X 315
#define IDB_ARROWS_2X_MASK 316
#define IDB_THUMB_2X 317
#define IDB_THUMB_2X_MASK 318

// The program's icon: the first icon group of the executable, so that the
// shell shows it for the file, and the icon of the notification area.
#define IDI_HEYU 1
