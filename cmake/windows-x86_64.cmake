# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix: the
# POSIX threads flavour, which std::thread needs). scripts/build-windows.sh passes
# ORVANE_WINDOWS_DEPS, the folder where it installed the libraries built from Debian's
# source packages.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR ${triple}-gcc-ar-posix)
set(CMAKE_RANLIB ${triple}-gcc-ranlib-posix)

set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${ORVANE_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Try-compiles see the variable too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVANE_WINDOWS_DEPS)

# pkg-config reads the Windows libraries' descriptions only, never the build machine's.
if(ORVANE_WINDOWS_DEPS)
    set(ENV{PKG_CONFIG_LIBDIR} "${ORVANE_WINDOWS_DEPS}/lib/pkgconfig:/usr/${triple}/lib/pkgconfig")
    set(ENV{PKG_CONFIG_PATH} "")
endif()

# One executable with no DLL beside it: the C++ runtime, winpthread and every library are
# linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run the Windows programs under Wine where it is installed (Debian's wine64 package).
find_program(ORVANE_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(ORVANE_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVANE_WINE64})
endif()
