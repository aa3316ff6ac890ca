# Cross-builds for 64-bit Windows with Debian's mingw-w64 (posix threads),
# against the libraries scripts/install-windows-deps.sh builds into
# build/windows-deps/. Libraries, headers and CMake packages are looked for
# in that prefix only: the host's /usr/include and /usr/lib never mix in.
# Programs link statically (the C and C++ runtimes and winpthread too), so
# an .exe imports only the system's own DLLs. Tests and build steps that run
# a built program run it under wine.
#
# Another prefix: -DDUSKWARREN_WINDOWS_DEPS=DIR, or the environment variable
# of the same name.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DUSKWARREN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DUSKWARREN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DUSKWARREN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DUSKWARREN_MINGW_TRIPLE}-windres)

if(NOT DUSKWARREN_WINDOWS_DEPS)
  if(DEFINED ENV{DUSKWARREN_WINDOWS_DEPS})
    set(DUSKWARREN_WINDOWS_DEPS "$ENV{DUSKWARREN_WINDOWS_DEPS}")
  else()
    get_filename_component(DUSKWARREN_WINDOWS_DEPS
      "${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps" ABSOLUTE)
  endif()
endif()
# try_compile() projects read this file again: hand them the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DUSKWARREN_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH "${DUSKWARREN_WINDOWS_DEPS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The prefix holds static libraries only; never pick up an import library.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# SDL2 as a static imported target with its Windows link flags
# (cmake/windows/SDL2Config.cmake), not the one SDL installs.
set(SDL2_DIR "${CMAKE_CURRENT_LIST_DIR}/windows")

find_program(DUSKWARREN_WINE wine)
if(DUSKWARREN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${DUSKWARREN_WINE}")
endif()
