# SDL2 for the Windows build: the static library that
# scripts/install-windows-deps.sh builds into the prefix, with the system
# libraries it needs given here. (SDL's own sdl2-config and sdl2.pc name a
# wrong path for a mingw static build, and its CMake export ends in an empty
# item.) cmake/mingw-w64-x86_64.cmake points find_package(SDL2 CONFIG) here.
#
#   SDL2::SDL2      the library, its headers as <SDL.h> and <SDL2/SDL.h>
#   SDL2::SDL2main  SDL's main() for Windows, which calls the program's
#                   SDL_main; a program that does without it defines
#                   SDL_MAIN_HANDLED before including <SDL.h>
if(TARGET SDL2::SDL2)
  return()
endif()

find_path(DUSKWARREN_SDL2_INCLUDE_DIR SDL2/SDL.h)
find_library(DUSKWARREN_SDL2_LIBRARY NAMES libSDL2.a)
find_library(DUSKWARREN_SDL2MAIN_LIBRARY NAMES libSDL2main.a)
if(NOT DUSKWARREN_SDL2_INCLUDE_DIR OR NOT DUSKWARREN_SDL2_LIBRARY OR NOT DUSKWARREN_SDL2MAIN_LIBRARY)
  set(SDL2_FOUND FALSE)
  set(SDL2_NOT_FOUND_MESSAGE
    "SDL2 is not in the Windows prefix ${CMAKE_FIND_ROOT_PATH}: run scripts/install-windows-deps.sh")
  return()
endif()

add_library(SDL2::SDL2 STATIC IMPORTED)
set_target_properties(SDL2::SDL2 PROPERTIES
  IMPORTED_LOCATION "${DUSKWARREN_SDL2_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${DUSKWARREN_SDL2_INCLUDE_DIR};${DUSKWARREN_SDL2_INCLUDE_DIR}/SDL2"
  # What SDL's Windows video, input, audio and loader code call.
  INTERFACE_LINK_LIBRARIES
    "user32;gdi32;winmm;imm32;ole32;oleaut32;version;uuid;advapi32;setupapi;shell32;dinput8")

# libSDL2main.a holds WinMain, which mingw's own main() (in libmingw32.a)
# calls: libmingw32.a must come first on the link line, or WinMain is
# looked for only after libSDL2main.a was passed.
add_library(SDL2::SDL2main INTERFACE IMPORTED)
set_target_properties(SDL2::SDL2main PROPERTIES
  INTERFACE_LINK_LIBRARIES "mingw32;${DUSKWARREN_SDL2MAIN_LIBRARY};SDL2::SDL2;shell32")

set(SDL2_FOUND TRUE)
set(SDL2_LIBRARIES SDL2::SDL2)
