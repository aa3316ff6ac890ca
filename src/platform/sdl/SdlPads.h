#pragma once

#include <SDL.h>

#include <map>
#include <optional>
#include <string>

#include "platform/PadInput.h"

namespace dw {

// The gamepads plugged into the window's machine, through SDL's game
// controller support: opened as they come, closed as they go, their buttons
// named by position (a Nintendo pad's south button is south too).
class SdlPads {
 public:
  SdlPads() = default;
  ~SdlPads();
  SdlPads(const SdlPads&) = delete;
  SdlPads& operator=(const SdlPads&) = delete;

  // Starts SDL's game controller support, after the video; false when the
  // machine has none (the window plays on without pads).
  bool start();
  // Closes every pad and SDL's controller support, before SDL ends.
  void stop();
  // Adds the player's mappings from a file of SDL's format, when it exists;
  // why it was refused, or empty.
  std::string addMappings(const std::string& path);

  // What an SDL event meant for the pads.
  struct Change {
    enum class Kind { plugged, unplugged, button, stick } kind = Kind::button;
    std::string name;
    PadKind padKind = PadKind::other;
    PadButton button = PadButton::south;
    bool down = false;
    double x = 0, y = 0;
  };
  // Nothing for an event that is not about a pad, or about a part of one
  // the game does not use.
  std::optional<Change> translate(const SDL_Event& event);

 private:
  struct Pad {
    SDL_GameController* controller = nullptr;
    std::string name;
    double x = 0, y = 0;
  };
  std::optional<Change> plugged(int deviceIndex);
  std::optional<Change> unplugged(SDL_JoystickID id);
  std::map<SDL_JoystickID, Pad> pads_;
  bool started_ = false;
};

}  // namespace dw
