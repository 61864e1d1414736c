# The shipped program: 32-bit Windows, XP SP3 and later, with the win32
# thread flavour, which links no winpthreads (its imports need Vista).
set(HEYU_MINGW_PROCESSOR i686)
set(HEYU_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
