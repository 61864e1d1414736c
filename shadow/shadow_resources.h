// Resource identifiers of the two standard shadow ring pictures, at 1x and
// at 2x. Shared by the resource script and the code, so it holds plain
// macros only.
#pragma once

#define IDR_SHADOW_RING5 401
#define IDR_SHADOW_RING10 402
#define IDR_SHADOW_RING5_2X 403
#define IDR_SHADOW_RING10_2X 404
