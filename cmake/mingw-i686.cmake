# Cross build for 32-bit Windows with mingw-w64. The win32 thread model is the
# default: the posix model links winpthreads, which imports GetTickCount64 and
# so keeps a binary from loading on Windows XP. Tests and their helper
# programs switch to the posix model, which GoogleTest needs for std::mutex
# (qb_posix_threads in Qubrix.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
set(CMAKE_DLLTOOL i686-w64-mingw32-dlltool)
