// Resource identifiers of the pictures the executable carries. Shared by the
// resource script and the code, so it holds plain macros only.
#pragma once

#define IDR_BACKGROUND 101
#define IDB_BAR_LIGHT 201
#define IDB_BAR_LIGHT_MASK 202
#define IDB_BAR_DARK 203
#define IDB_BAR_DARK_MASK 204
#define IDB_ARROWS 205
#define IDB_ARROWS_MASK 206
#define IDB_THUMB 207
#define IDB_THUMB_MASK 208
