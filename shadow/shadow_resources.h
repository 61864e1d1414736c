// Resource identifiers of the two standard shadow ring pictures. Shared by
// the resource script and the code, so it holds plain macros only.
#pragma once

#define IDR_SHADOW_RING5 401
#define IDR_SHADOW_RING10 402
