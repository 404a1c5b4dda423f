# What both mingw-w64 toolchain files share; they set QTP_MINGW_TARGET (the
# compiler's target, x86_64-w64-mingw32 or i686-w64-mingw32) and
# CMAKE_SYSTEM_PROCESSOR first. The -posix compiler has std::thread;
# everything is linked statically, so the DLL imports nothing but system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QTP_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QTP_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${QTP_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QTP_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# add_test runs the Windows programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
