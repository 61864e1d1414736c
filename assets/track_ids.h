// Resource identifiers of the six embedded sound tracks, in channel order.
#pragma once

#define IDR_TRACK1 201
#define IDR_TRACK2 202
#define IDR_TRACK3 203
#define IDR_TRACK4 204
#define IDR_TRACK5 205
#define IDR_TRACK6 206
