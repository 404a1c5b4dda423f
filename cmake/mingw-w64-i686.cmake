# Cross-compiling the Windows build for 32-bit hosts with mingw-w64 (Debian
# package g++-mingw-w64-i686-posix), as cmake/mingw-w64-x86_64.cmake does
# for 64-bit ones. The programs run under Wine's WoW64 (Debian's wine32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# add_test runs the Windows programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
