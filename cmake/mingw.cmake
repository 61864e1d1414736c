# The part the MinGW-w64 cross toolchains share. Each toolchain file names
# the processor (i686, x86_64) and the compilers' thread flavour, then
# includes this one:
# - posix: std::mutex and std::thread, which GoogleTest needs; its static
#   winpthreads library imports functions that Windows XP lacks;
# - win32: no threads of the standard library and no winpthreads, for the
#   shipped program, which starts no threads of its own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${HEYU_MINGW_PROCESSOR})

set(HEYU_MINGW_TRIPLE ${HEYU_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${HEYU_MINGW_TRIPLE}-gcc-${HEYU_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${HEYU_MINGW_TRIPLE}-g++-${HEYU_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${HEYU_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HEYU_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
