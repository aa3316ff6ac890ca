#include "shell/KeyHelp.h"

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

void add(OverlayContent& help, std::initializer_list<OverlayLine> lines) {
  help.lines.insert(help.lines.end(), lines);
}

const char* frontHeading(FrontKind front) {
  switch (front) {
    case FrontKind::window:
      return "The window";
    case FrontKind::terminal:
      return "The terminal";
    case FrontKind::page:
      return "The page";
  }
  return "";
}

// A row of the front-end's table as the help shows it: its first key and
// its other keys of one character as the label ("F1 ?"), any longer one in
// the words ("Full screen (or Alt+Enter)").
OverlayLine frontKeyLine(const FrontKey& row) {
  std::string label, words = row.words;
  for (const std::string& name : row.keys) {
    if (label.empty() || name.size() == 1) {
      label += (label.empty() ? "" : " ") + name;
    } else {
      words += " (or " + name + ")";
    }
  }
  return {label, words};
}

// The keys of the front-end itself, from its table: none of them reaches the
// game, and F3 reaches the shell, which takes up the last run with it on the
// start screen only.
void frontKeys(OverlayContent& help, const HelpFacts& facts, bool watching) {
  add(help, {gap(), heading(frontHeading(facts.front))});
  for (const FrontKey& row : facts.keys) {
    if (row.action == FrontAction::picture && !facts.pictures) continue;
    if (row.action == FrontAction::continueRun && watching) continue;
    help.lines.push_back(frontKeyLine(row));
  }
}

void arrowKeys(OverlayContent& help, const HelpFacts& facts) {
  if (facts.front == FrontKind::page) {
    add(help, {key("Arrows", "Nothing: the page passes no key without a character to the game")});
  } else if (facts.arrowsWalk) {
    add(help, {key("Arrows",
                   "Walk, as 8 6 2 4 (arrow-keys = walk in the settings; "
                   "arrow-keys = turn puts back the game's own rule)")});
  } else {
    add(help, {key("Arrows",
                   "Spend the turn and nothing more (arrow-keys = walk in the "
                   "settings makes them walk)")});
  }
}

// What a pad binding does, in the help's words.
std::string padWords(const std::string& binding) {
  if (binding == "space") return "Space";
  if (binding == "enter") return "Enter";
  if (binding == "keys") return "The keys (F1)";
  if (binding == "log") return "The message log (F2)";
  if (binding == "spells") return "Spells to cast; on the start screen, the digits of a seed";
  if (binding == "menu") return "A menu: the keys, Quit, Start again; held on the start screen, F3";
  if (binding == "close") return "Closes a panel or a picker";
  if (binding == "none" || binding.empty()) return "Nothing";
  return binding;
}

// The pad plugged in, its buttons by the names printed on them.
void padKeys(OverlayContent& help, const HelpFacts& facts) {
  if (!facts.pad) return;
  std::string title = std::string("The gamepad (") + padKindName(*facts.pad) + ")";
  help.lines.push_back({"", title, 0, headingColour, true});
  for (int i = 0; i < padButtonCount; ++i) {
    auto button = static_cast<PadButton>(i);
    if (button == PadButton::up) {
      help.lines.push_back({"d-pad", "Walk (the left stick too); in a picker, choose"});
      break;
    }
    help.lines.push_back({padButtonLabel(button, *facts.pad), padWords(facts.padBindings[i])});
  }
}

}  // namespace

std::vector<ShellFront::GlyphName> mapGlyphs() {
  return {{120, "You: the member played"},
          {219, "Floor"},
          {176, "Rock"},
          {249, "Not seen yet"},
          {247, "Stairs down (Space)"},
          {45, "Open door"},
          {254, "Locked door: push with a Key"},
          {35, "Gate: push, costs Hp"},
          {178, "Block wall"},
          {248, "Gold"},
          {236, "Hp potion"},
          {244, "Mp potion"},
          {231, "Treasure chest"},
          {241, "The Mystic Orb (Space)"},
          {253, "Snake"},
          {243, "Viperess"},
          {224, "Zombie"},
          {240, "Orc"},
          {227, "Shadow"}};
}

namespace {

// An empty panel of keys, paged, that opens at its top.
OverlayContent keysPanel() {
  OverlayContent help;
  help.title = "Keys";
  help.footer = "PgUp PgDn \x18\x19: page";
  help.pageable = true;
  help.opensAtTop = true;
  return help;
}

}  // namespace

OverlayContent keyHelp(const HelpFacts& facts) {
  OverlayContent help = keysPanel();
  add(help,
      {heading("Before a game"), key("Space", "Start a game"), key("@", "Type a seed, then Enter"),
       gap(), heading("In the dungeon"), key("8 2 4 6", "Walk up, down, left, right"),
       key("Space", "Take, use, go down stairs"), key("+ -", "Next or previous member"),
       key("w v t", "Cast Warp, Vision, Tinker"), key("p h f", "Cast Passage, Heal, Flare"),
       key("b", "Set off a Bomb")});
  add(help, {key("~",
                 "Start again: one or two fallen members rejoin; Gold, Keys and Bombs go "
                 "to 0; the level count and everyone's Hp go on"),
             key("Escape", "Quit")});
  arrowKeys(help, facts);
  add(help, {key("", "Every other key spends the turn too"), gap(), heading("What kills"),
             key("",
                 "A monster sharing your cell, hidden under the hero, strikes at every move "
                 "that is blocked: step off it")});
  frontKeys(help, facts, false);
  if (facts.pad) add(help, {gap()});
  padKeys(help, facts);
  if (!facts.legend.empty()) {
    add(help, {gap(), heading("What the characters stand for")});
    help.lines.insert(help.lines.end(), facts.legend.begin(), facts.legend.end());
  }
  return help;
}

OverlayContent watchKeyHelp(const HelpFacts& facts) {
  OverlayContent help = keysPanel();
  add(help, {heading("Watching a recording"), key("Space", "Pause or go on"),
             key("+ -", "Faster or slower"), key("Escape", "Stop watching")});
  frontKeys(help, facts, true);
  if (!facts.legend.empty()) {
    add(help, {gap(), heading("What the characters stand for")});
    help.lines.insert(help.lines.end(), facts.legend.begin(), facts.legend.end());
  }
  return help;
}

}  // namespace dw
