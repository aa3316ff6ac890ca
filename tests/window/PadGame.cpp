// window-padgame: the game in its window as duskwarren plays it, with a
// virtual gamepad that lines read from the file named by PAD_COMMANDS (a
// FIFO the test writes to) plug in, press and take out:
//
//   plug xbox|playstation    a pad of that family (SDL knows it by its ids)
//   tap BUTTON [MS]          down, MS milliseconds (default 80), up
//   hold BUTTON MS           the same, held longer
//   unplug
//
// BUTTON is a, b, x, y, back, start, lb, rb, up, down, left, right.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "window/WindowGame.h"

namespace {

const std::map<std::string, int> buttons = {{"a", SDL_CONTROLLER_BUTTON_A},
                                            {"b", SDL_CONTROLLER_BUTTON_B},
                                            {"x", SDL_CONTROLLER_BUTTON_X},
                                            {"y", SDL_CONTROLLER_BUTTON_Y},
                                            {"back", SDL_CONTROLLER_BUTTON_BACK},
                                            {"start", SDL_CONTROLLER_BUTTON_START},
                                            {"lb", SDL_CONTROLLER_BUTTON_LEFTSHOULDER},
                                            {"rb", SDL_CONTROLLER_BUTTON_RIGHTSHOULDER},
                                            {"up", SDL_CONTROLLER_BUTTON_DPAD_UP},
                                            {"down", SDL_CONTROLLER_BUTTON_DPAD_DOWN},
                                            {"left", SDL_CONTROLLER_BUTTON_DPAD_LEFT},
                                            {"right", SDL_CONTROLLER_BUTTON_DPAD_RIGHT}};

void pause(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

SDL_Joystick* plug(const std::string& family) {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  bool ps = family == "playstation";
  desc.vendor_id = ps ? 0x054c : 0x045e;
  desc.product_id = ps ? 0x09cc : 0x028e;
  desc.name = ps ? "Virtual PlayStation pad" : "Virtual Xbox pad";
  int index = SDL_JoystickAttachVirtualEx(&desc);
  if (index < 0) {
    std::fprintf(stderr, "window-padgame: no virtual pad: %s\n", SDL_GetError());
    return nullptr;
  }
  return SDL_JoystickOpen(index);
}

// Reads the commands once the game's window has started SDL's pads.
void drive(const char* path) {
  std::ifstream in(path);
  SDL_Joystick* pad = nullptr;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string verb, arg;
    int ms = 80;
    words >> verb >> arg >> ms;
    while (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0) pause(20);
    if (verb == "plug") {
      pad = plug(arg);
    } else if (verb == "unplug" && pad != nullptr) {
      SDL_JoystickID id = SDL_JoystickInstanceID(pad);
      SDL_JoystickClose(pad);
      pad = nullptr;
      for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    } else if ((verb == "tap" || verb == "hold") && pad != nullptr && buttons.contains(arg)) {
      SDL_JoystickSetVirtualButton(pad, buttons.at(arg), 1);
      pause(ms);
      SDL_JoystickSetVirtualButton(pad, buttons.at(arg), 0);
    }
    std::printf("done %s\n", line.c_str());
    std::fflush(stdout);
  }
}

}  // namespace

int main() {
  const char* commands = std::getenv("PAD_COMMANDS");
  if (commands == nullptr) {
    std::fprintf(stderr, "window-padgame: PAD_COMMANDS names no file\n");
    return 2;
  }
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  std::thread driver(drive, commands);
  driver.detach();
  return dw::playInWindow({});
}
