#include "around/KeyHelp.h"

namespace dw {

namespace {

constexpr std::uint8_t headingColour = 14;

OverlayLine heading(const char* text) {
  return {"", text, 0, headingColour, true};
}

OverlayLine key(const char* label, const char* text) {
  return {label, text};
}

OverlayLine gap() {
  return {};
}

void windowKeys(OverlayContent& help) {
  help.lines.push_back(gap());
  help.lines.push_back(heading("The window"));
  help.lines.push_back(key("F1", "These keys"));
  help.lines.push_back(key("F2", "Message log"));
  help.lines.push_back(key("F10", "4:3 view"));
  help.lines.push_back(key("F11", "Full screen (or Alt+Enter)"));
  help.lines.push_back(key("F12", "Screenshot"));
}

}  // namespace

OverlayContent keyHelp() {
  OverlayContent help;
  help.title = "Keys";
  help.footer = "Any key closes";
  help.lines = {
      heading("Before a game"),
      key("Space", "Start a game"),
      key("@", "Type a seed, then Enter"),
      gap(),
      heading("In the dungeon"),
      key("8 2 4 6", "Walk up, down, left, right"),
      key("Space", "Take, use, go down stairs"),
      key("+ -", "Next or previous member"),
      key("w v t", "Cast Warp, Vision, Tinker"),
      key("p h f", "Cast Passage, Heal, Flare"),
      key("b", "Set off a Bomb"),
      key("~", "New game, same party"),
      key("Escape", "Quit"),
  };
  windowKeys(help);
  return help;
}

OverlayContent watchKeyHelp() {
  OverlayContent help;
  help.title = "Keys";
  help.footer = "Any key closes";
  help.lines = {
      heading("Watching a recording"),
      key("Space", "Pause or go on"),
      key("+ -", "Faster or slower"),
      key("Escape", "Stop watching"),
  };
  windowKeys(help);
  return help;
}

}  // namespace dw
