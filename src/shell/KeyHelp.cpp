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

// The keys of the front-end itself: none of them reaches the game.
void frontKeys(OverlayContent& help, const HelpFacts& facts) {
  switch (facts.front) {
    case FrontKind::window:
      add(help, {gap(), heading("The window"), key("F1", "These keys"), key("F2", "Message log"),
                 key("F3", "Continue the last run (start screen)"), key("F4", "Past runs"),
                 key("F10", "4:3 view"), key("F11", "Full screen (or Alt+Enter)")});
      break;
    case FrontKind::terminal:
      add(help,
          {gap(), heading("The terminal"), key("F1 ?", "These keys"), key("F2 l", "Message log"),
           key("F4 r", "Past runs"), key("Ctrl+Z", "Suspend (fg goes on)")});
      break;
    case FrontKind::page:
      add(help, {gap(), heading("The page"), key("F1", "These keys (or the Keys button)"),
                 key("F2", "Message log (or the Log button)"),
                 key("Picture", "The screen as a PNG download"), key("F10", "4:3 view"),
                 key("Alt+Enter", "Full screen")});
      break;
  }
  if (facts.pictures) add(help, {key("F12", "Screenshot")});
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

OverlayContent keyHelp(const HelpFacts& facts) {
  OverlayContent help;
  help.title = "Keys";
  help.footer = "PgUp PgDn \x18\x19: page";
  help.pageable = true;
  help.opensAtTop = true;
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
  add(help,
      {key("", "Every other key spends the turn too"), gap(), heading("What kills"),
       key("", "A monster sharing your cell, hidden"), key("", "under the hero, strikes at every"),
       key("", "move that is blocked: step off it")});
  frontKeys(help, facts);
  if (!facts.legend.empty()) {
    add(help, {gap(), heading("What the characters stand for")});
    help.lines.insert(help.lines.end(), facts.legend.begin(), facts.legend.end());
  }
  return help;
}

OverlayContent watchKeyHelp(const HelpFacts& facts) {
  OverlayContent help;
  help.title = "Keys";
  help.footer = "PgUp PgDn \x18\x19: page";
  help.pageable = true;
  help.opensAtTop = true;
  add(help, {heading("Watching a recording"), key("Space", "Pause or go on"),
             key("+ -", "Faster or slower"), key("Escape", "Stop watching")});
  frontKeys(help, facts);
  if (!facts.legend.empty()) {
    add(help, {gap(), heading("What the characters stand for")});
    help.lines.insert(help.lines.end(), facts.legend.begin(), facts.legend.end());
  }
  return help;
}

}  // namespace dw
