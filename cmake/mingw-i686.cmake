# The tests on 32-bit Windows, with the posix thread flavour GoogleTest needs.
set(HEYU_MINGW_PROCESSOR i686)
set(HEYU_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
