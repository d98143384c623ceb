# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX thread
# model); test programs run under Wine.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
# Qt built for Windows (scripts/build-qt-mingw.sh) is a root of its own.
if(DEFINED ENV{MIRADO_QT_PREFIX})
    list(APPEND CMAKE_FIND_ROOT_PATH $ENV{MIRADO_QT_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs link libgcc, libstdc++ and winpthread statically, so they run
# without the compiler's DLLs beside them; MIRADO_SHARED_RUNTIME links them
# as DLLs, for Qt and the program that uses it, which then share one.
if(NOT MIRADO_SHARED_RUNTIME)
    set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
endif()

# Wine runs the test programs headless and quiet, in a prefix of the build
# folder's own. It installs no Mono, no Gecko and no desktop menu entries,
# so the user's home stays untouched (the settings of scripts/lib/wine.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=d
    "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix" wine)
