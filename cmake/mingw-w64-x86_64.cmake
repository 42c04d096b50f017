# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix thread model).
# Executables link statically, so they run anywhere without the compiler's
# DLLs; ctest runs the Windows tests through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KEM_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KEM_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KEM_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${KEM_MINGW_HOST}-windres)

# Libraries and headers come from the mingw-w64 tree and the prefixes named in
# CMAKE_PREFIX_PATH (wxWidgets, GoogleTest and the header-only libraries built
# for Windows), never from the build machine's /usr/include.
set(CMAKE_FIND_ROOT_PATH /usr/${KEM_MINGW_HOST} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
find_program(KEM_WINE NAMES wine)
if(KEM_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KEM_WINE})
endif()

# Static programs take the static zlib, not the import library of its DLL.
set(ZLIB_USE_STATIC_LIBS ON)
