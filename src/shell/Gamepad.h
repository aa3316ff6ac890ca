#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FrontKeys.h"
#include "platform/PadInput.h"

namespace dw {

// What each pad button does, in the words of the settings (`pad-north = b`):
// a key of one character, or space, enter, keys (F1), log (F2), spells (the
// spell picker), menu (the Start menu), close (closes a picker) or none.
// Escape and ~ are never a single press: they are in the Start menu only.
using PadBindings = std::array<std::string, padButtonCount>;

PadBindings defaultPadBindings();
// The button's name in the settings ("south", "left-shoulder", "dpad-up").
const char* padButtonName(PadButton button);
std::optional<PadButton> padButtonOfName(std::string_view name);
// Why a binding cannot be used ("" when it can).
std::string padBindingProblem(std::string_view value);
// The button as this family of pads prints it ("cross", "A", "Y").
std::string padButtonLabel(PadButton button, PadKind kind);
const char* padKindName(PadKind kind);

// One gamepad's presses turned into the game's keys, the same in every
// front-end: the directions with a dead zone on the stick and a repeat while
// held, the pickers over the picture (the spells, the digits of a seed, the
// Start menu) and the panels the pad opens. It knows nothing of the game;
// the shell hands its keys through the key gate like typed ones.
class Gamepad {
 public:
  explicit Gamepad(PadBindings bindings = defaultPadBindings());

  // A picker item: what it shows and the key it gives.
  struct Choice {
    std::string words;
    std::string key;
  };
  // What a change of the pad gives: keys for the game (in order), a panel
  // to open, and whether the words over the picture changed.
  struct Outcome {
    std::vector<std::string> keys;
    std::optional<FrontAction> action;
    bool overlayChanged = false;
  };

  // The spells the picker offers, by name with their cost.
  void setSpells(std::vector<Choice> spells) { spells_ = std::move(spells); }

  Outcome press(PadButton button, bool startScreen, std::uint64_t nowMs);
  Outcome release(PadButton button, bool startScreen, std::uint64_t nowMs);
  // The left stick, each axis -1..1.
  Outcome stick(double x, double y, bool startScreen, std::uint64_t nowMs);
  // Time passed: a held direction may repeat.
  Outcome tick(std::uint64_t nowMs);
  // Milliseconds until tick has something to do; -1 for never.
  int untilTick(std::uint64_t nowMs) const;
  // Lets go of everything and closes a picker (a pad unplugged, a key typed).
  Outcome reset();

  // The picker over the picture, as words; empty when none is open.
  std::string overlay() const;
  bool pickerOpen() const { return picker_ != Picker::none; }
  const PadBindings& bindings() const { return bindings_; }

  static constexpr int repeatDelayMs = 400, repeatEveryMs = 200, longPressMs = 800;
  static constexpr double deadZone = 0.5;

 private:
  enum class Picker { none, spells, digits, menu };
  const std::vector<Choice>& choices() const;
  Outcome open(Picker picker);
  Outcome direction(PadButton button, std::uint64_t nowMs);
  Outcome pickerPress(PadButton button);
  Outcome bound(const std::string& binding, bool startScreen);

  PadBindings bindings_;
  std::vector<Choice> spells_;
  Picker picker_ = Picker::none;
  std::size_t chosen_ = 0;
  std::optional<PadButton> held_;       // the direction held, d-pad or stick
  std::optional<PadButton> stickHeld_;  // the stick's part of it
  std::uint64_t nextRepeat_ = 0;
  std::uint64_t startDown_ = 0;
  bool startHeld_ = false;
};

}  // namespace dw
