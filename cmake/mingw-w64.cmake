# Cross-builds Kestrune for 64-bit Windows on Debian with mingw-w64 (g++-mingw-w64-x86-64-posix):
# the POSIX-threads compiler, since the win32-threads one has no std::thread, std::mutex or
# std::promise. The programs, the component and the tests link the GCC and C++ run-time libraries
# statically, so they need no DLL beside the ones Windows has. Built programs run under Wine
# (wine64), in a Wine prefix of the build's own (KESTRUNE_WINEPREFIX, default
# <build>/wineprefix): tests, the test discovery and the build steps that run a program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTRUNE_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KESTRUNE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRUNE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRUNE_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTRUNE_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static takes winpthread's archive too; the system DLLs stay import libraries.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(KESTRUNE_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH
    "The Wine prefix in which the build runs its Windows programs")
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${KESTRUNE_WINEPREFIX}")
