// The platform's GDI+ declarations, flat interface included. Its headers use
// min and max unqualified, which NOMINMAX hides from them on some compilers.
#pragma once

#include <windows.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>
