# Cross-compiling the Windows build for 32-bit hosts with mingw-w64 (Debian
# package g++-mingw-w64-i686-posix); the programs run under Wine's WoW64
# (Debian's wine32).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QTP_MINGW_TARGET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
