#include "platform/sdl/SdlPads.h"

#include "platform/CappedRead.h"

namespace dw {

namespace {

// A mappings file is text of a few hundred kilobytes at most.
constexpr std::size_t maxMappingsBytes = 4 * 1024 * 1024;

PadKind kindOf(SDL_GameController* controller) {
  switch (SDL_GameControllerGetType(controller)) {
    case SDL_CONTROLLER_TYPE_XBOX360:
    case SDL_CONTROLLER_TYPE_XBOXONE:
      return PadKind::xbox;
    case SDL_CONTROLLER_TYPE_PS3:
    case SDL_CONTROLLER_TYPE_PS4:
    case SDL_CONTROLLER_TYPE_PS5:
      return PadKind::playstation;
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_PRO:
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_LEFT:
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_RIGHT:
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_PAIR:
      return PadKind::nintendo;
    default:
      return PadKind::other;
  }
}

std::optional<PadButton> buttonOf(Uint8 button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A:
      return PadButton::south;
    case SDL_CONTROLLER_BUTTON_B:
      return PadButton::east;
    case SDL_CONTROLLER_BUTTON_X:
      return PadButton::west;
    case SDL_CONTROLLER_BUTTON_Y:
      return PadButton::north;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
      return PadButton::leftShoulder;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
      return PadButton::rightShoulder;
    case SDL_CONTROLLER_BUTTON_BACK:
      return PadButton::back;
    case SDL_CONTROLLER_BUTTON_START:
      return PadButton::start;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return PadButton::up;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return PadButton::down;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return PadButton::left;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return PadButton::right;
    default:
      return std::nullopt;
  }
}

}  // namespace

SdlPads::~SdlPads() {
  stop();
}

void SdlPads::stop() {
  for (auto& [id, pad] : pads_) SDL_GameControllerClose(pad.controller);
  pads_.clear();
  if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  started_ = false;
}

bool SdlPads::start() {
  // Buttons by position: south is south on every pad, whatever it says.
  SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
  started_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  return started_;
}

std::string SdlPads::addMappings(const std::string& path) {
  if (!started_) return "";
  std::string why;
  bool missing = false;
  auto text = readCappedFile(path, maxMappingsBytes, "a gamepad mappings file", why,
                             FileOrigin::found, &missing);
  if (!text) return missing ? "" : why;
  SDL_RWops* in = SDL_RWFromConstMem(text->data(), static_cast<int>(text->size()));
  if (in == nullptr || SDL_GameControllerAddMappingsFromRW(in, 1) < 0)
    return "gamepad mappings not read: " + std::string(SDL_GetError());
  return "";
}

std::optional<SdlPads::Change> SdlPads::translate(const SDL_Event& event) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
      return plugged(event.cdevice.which);
    case SDL_CONTROLLERDEVICEREMOVED:
      return unplugged(event.cdevice.which);
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      auto button = buttonOf(event.cbutton.button);
      if (!button || !pads_.contains(event.cbutton.which)) return std::nullopt;
      Change change;
      change.kind = Change::Kind::button;
      change.button = *button;
      change.down = event.type == SDL_CONTROLLERBUTTONDOWN;
      return change;
    }
    case SDL_CONTROLLERAXISMOTION: {
      auto pad = pads_.find(event.caxis.which);
      Uint8 axis = event.caxis.axis;
      if (pad == pads_.end() ||
          (axis != SDL_CONTROLLER_AXIS_LEFTX && axis != SDL_CONTROLLER_AXIS_LEFTY))
        return std::nullopt;
      (axis == SDL_CONTROLLER_AXIS_LEFTX ? pad->second.x : pad->second.y) =
          event.caxis.value / 32767.0;
      Change change;
      change.kind = Change::Kind::stick;
      change.x = pad->second.x;
      change.y = pad->second.y;
      return change;
    }
    default:
      return std::nullopt;
  }
}

std::optional<SdlPads::Change> SdlPads::plugged(int deviceIndex) {
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (controller == nullptr) return std::nullopt;
  SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
  if (pads_.contains(id)) {
    SDL_GameControllerClose(controller);  // told twice: it is open already
    return std::nullopt;
  }
  const char* name = SDL_GameControllerName(controller);
  pads_[id] = {controller, name != nullptr ? name : "a gamepad"};
  Change change;
  change.kind = Change::Kind::plugged;
  change.name = pads_[id].name;
  change.padKind = kindOf(controller);
  return change;
}

std::optional<SdlPads::Change> SdlPads::unplugged(SDL_JoystickID id) {
  auto pad = pads_.find(id);
  if (pad == pads_.end()) return std::nullopt;
  Change change;
  change.kind = Change::Kind::unplugged;
  change.name = pad->second.name;
  SDL_GameControllerClose(pad->second.controller);
  pads_.erase(pad);
  return change;
}

}  // namespace dw
