# The same sources for 64-bit Windows, posix threads: the tests' build on
# machines that run no 32-bit code.
set(HEYU_MINGW_PROCESSOR x86_64)
set(HEYU_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
