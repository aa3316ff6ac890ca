#include "shell/Gamepad.h"

#include <cmath>

#include "platform/Platform.h"

namespace dw {

namespace {

constexpr const char* buttonNames[padButtonCount] = {
    "south", "east",  "west",    "north",     "left-shoulder", "right-shoulder",
    "back",  "start", "dpad-up", "dpad-down", "dpad-left",     "dpad-right"};

// The words of a binding that are not a key of one character.
constexpr std::string_view bindingWords[] = {"space",  "enter", "keys",  "log",
                                             "spells", "menu",  "close", "none"};

bool isDirection(PadButton button) {
  return button == PadButton::up || button == PadButton::down || button == PadButton::left ||
         button == PadButton::right;
}

std::string directionKey(PadButton button) {
  switch (button) {
    case PadButton::up:
      return "8";
    case PadButton::down:
      return "2";
    case PadButton::left:
      return "4";
    default:
      return "6";
  }
}

std::vector<Gamepad::Choice> digitRow() {
  std::vector<Gamepad::Choice> row{{"@", "@"}};
  for (char d = '0'; d <= '9'; ++d) row.push_back({std::string(1, d), std::string(1, d)});
  row.push_back({"Back", std::string(1, backspaceKey)});
  row.push_back({"Enter", std::string(1, enterKey)});
  return row;
}

std::vector<Gamepad::Choice> startMenu() {
  // The keys' panel is not a key of the game: its key is left empty.
  return {
      {"Keys (F1)", ""}, {"Quit (Escape)", std::string(1, escapeKey)}, {"Start again (~)", "~"}};
}

}  // namespace

PadBindings defaultPadBindings() {
  PadBindings b;
  b[static_cast<int>(PadButton::south)] = "space";
  b[static_cast<int>(PadButton::east)] = "close";
  b[static_cast<int>(PadButton::west)] = "spells";
  b[static_cast<int>(PadButton::north)] = "b";
  b[static_cast<int>(PadButton::leftShoulder)] = "-";
  b[static_cast<int>(PadButton::rightShoulder)] = "+";
  b[static_cast<int>(PadButton::back)] = "log";
  b[static_cast<int>(PadButton::start)] = "menu";
  for (PadButton d : {PadButton::up, PadButton::down, PadButton::left, PadButton::right})
    b[static_cast<int>(d)] = directionKey(d);
  return b;
}

const char* padButtonName(PadButton button) {
  return buttonNames[static_cast<int>(button)];
}

std::optional<PadButton> padButtonOfName(std::string_view name) {
  for (int i = 0; i < padButtonCount; ++i)
    if (name == buttonNames[i]) return static_cast<PadButton>(i);
  return std::nullopt;
}

std::string padBindingProblem(std::string_view value) {
  for (std::string_view word : bindingWords)
    if (value == word) return "";
  if (value == "~" || value == "escape")
    return "Escape and ~ are in the pad's Start menu only, never on one button";
  if (value.size() == 1 && value[0] > ' ' && value[0] < 127) return "";
  return "a pad button gives one key (a character, space or enter) or keys, log, spells, menu, "
         "close or none, not \"" +
         std::string(value) + "\"";
}

const char* padKindName(PadKind kind) {
  switch (kind) {
    case PadKind::xbox:
      return "Xbox";
    case PadKind::playstation:
      return "PlayStation";
    case PadKind::nintendo:
      return "Nintendo";
    default:
      return "gamepad";
  }
}

std::string padButtonLabel(PadButton button, PadKind kind) {
  static constexpr const char* faces[][4] = {{"south", "east", "west", "north"},
                                             {"A", "B", "X", "Y"},
                                             {"cross", "circle", "square", "triangle"},
                                             {"B", "A", "Y", "X"}};
  auto i = static_cast<int>(button);
  if (i < 4) return faces[static_cast<int>(kind)][i];
  static constexpr const char* others[] = {"left shoulder", "right shoulder", "Back",
                                           "Start",         "d-pad up",       "d-pad down",
                                           "d-pad left",    "d-pad right"};
  if (button == PadButton::back && kind == PadKind::playstation) return "Share";
  if (button == PadButton::back && kind == PadKind::nintendo) return "-";
  if (button == PadButton::start && kind == PadKind::nintendo) return "+";
  return others[i - 4];
}

Gamepad::Gamepad(PadBindings bindings) : bindings_(std::move(bindings)) {}

const std::vector<Gamepad::Choice>& Gamepad::choices() const {
  static const std::vector<Choice> digits = digitRow();
  static const std::vector<Choice> menu = startMenu();
  if (picker_ == Picker::spells) return spells_;
  return picker_ == Picker::digits ? digits : menu;
}

Gamepad::Outcome Gamepad::open(Picker picker) {
  picker_ = picker;
  chosen_ = 0;
  held_.reset();
  return {{}, std::nullopt, true};
}

Gamepad::Outcome Gamepad::press(PadButton button, bool startScreen, std::uint64_t nowMs) {
  if (picker_ != Picker::none) return pickerPress(button);
  if (isDirection(button) && bindings_[static_cast<int>(button)] == directionKey(button))
    return direction(button, nowMs);
  if (button == PadButton::start) {
    // Start acts as it is let go: held long on the start screen it is F3.
    startHeld_ = true;
    startDown_ = nowMs;
    return {};
  }
  return bound(bindings_[static_cast<int>(button)], startScreen);
}

Gamepad::Outcome Gamepad::release(PadButton button, bool startScreen, std::uint64_t nowMs) {
  if (held_ == button && !stickHeld_) held_.reset();
  if (button != PadButton::start || !startHeld_) return {};
  startHeld_ = false;
  if (startScreen && nowMs - startDown_ >= longPressMs)
    return {{std::string{'\0', extendedKey::f3}}, std::nullopt, false};
  return bound(bindings_[static_cast<int>(PadButton::start)], startScreen);
}

Gamepad::Outcome Gamepad::bound(const std::string& binding, bool startScreen) {
  if (binding == "space") return {{" "}, std::nullopt, false};
  if (binding == "enter") return {{std::string(1, enterKey)}, std::nullopt, false};
  if (binding == "keys") return {{}, FrontAction::keyHelp, false};
  if (binding == "log") return {{}, FrontAction::messageLog, false};
  if (binding == "spells") return open(startScreen ? Picker::digits : Picker::spells);
  if (binding == "menu") return open(Picker::menu);
  if (binding == "close" || binding == "none" || binding.empty()) return {};
  return {{binding}, std::nullopt, false};
}

Gamepad::Outcome Gamepad::pickerPress(PadButton button) {
  const std::vector<Choice>& items = choices();
  if (button == PadButton::east) {
    picker_ = Picker::none;
    return {{}, std::nullopt, true};
  }
  if ((button == PadButton::left || button == PadButton::up) && !items.empty()) {
    chosen_ = (chosen_ + items.size() - 1) % items.size();
    return {{}, std::nullopt, true};
  }
  if ((button == PadButton::right || button == PadButton::down) && !items.empty()) {
    chosen_ = (chosen_ + 1) % items.size();
    return {{}, std::nullopt, true};
  }
  if (button != PadButton::south || chosen_ >= items.size()) return {};
  Outcome out{{}, std::nullopt, false};
  const std::string& key = items[chosen_].key;
  if (picker_ == Picker::menu && key.empty()) out.action = FrontAction::keyHelp;
  if (!key.empty()) out.keys.push_back(key);
  // The digits of a seed stay open until Enter; the others close with their choice.
  if (picker_ != Picker::digits || key == std::string(1, enterKey)) {
    picker_ = Picker::none;
    out.overlayChanged = true;
  }
  return out;
}

Gamepad::Outcome Gamepad::direction(PadButton button, std::uint64_t nowMs) {
  held_ = button;
  nextRepeat_ = nowMs + repeatDelayMs;
  return {{directionKey(button)}, std::nullopt, false};
}

Gamepad::Outcome Gamepad::stick(double x, double y, bool startScreen, std::uint64_t nowMs) {
  std::optional<PadButton> way;
  if (std::max(std::fabs(x), std::fabs(y)) >= deadZone) {
    if (std::fabs(x) >= std::fabs(y))
      way = x > 0 ? PadButton::right : PadButton::left;
    else
      way = y > 0 ? PadButton::down : PadButton::up;
  }
  (void)startScreen;
  if (way == stickHeld_) return {};
  std::optional<PadButton> was = stickHeld_;
  stickHeld_ = way;
  if (was && held_ == was) held_.reset();
  if (!way) return {};
  if (picker_ != Picker::none) return pickerPress(*way);
  return direction(*way, nowMs);
}

Gamepad::Outcome Gamepad::tick(std::uint64_t nowMs) {
  if (!held_ || picker_ != Picker::none || nowMs < nextRepeat_) return {};
  nextRepeat_ = nowMs + repeatEveryMs;
  return {{directionKey(*held_)}, std::nullopt, false};
}

int Gamepad::untilTick(std::uint64_t nowMs) const {
  if (!held_ || picker_ != Picker::none) return -1;
  return nowMs >= nextRepeat_ ? 0 : static_cast<int>(nextRepeat_ - nowMs);
}

Gamepad::Outcome Gamepad::reset() {
  held_.reset();
  stickHeld_.reset();
  startHeld_ = false;
  bool wasOpen = picker_ != Picker::none;
  picker_ = Picker::none;
  return {{}, std::nullopt, wasOpen};
}

std::string Gamepad::overlay() const {
  if (picker_ == Picker::none) return "";
  std::string text = picker_ == Picker::spells   ? "Cast:"
                     : picker_ == Picker::digits ? "Seed:"
                                                 : "Menu:";
  const std::vector<Choice>& items = choices();
  for (std::size_t i = 0; i < items.size(); ++i)
    text += i == chosen_ ? "  [" + items[i].words + "]" : "  " + items[i].words;
  return text;
}

}  // namespace dw
