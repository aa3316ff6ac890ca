#pragma once

#include "platform/PanelText.h"
#include "platform/ShellFront.h"
#include "shell/Gamepad.h"

namespace dw {

// What the key help of a front-end tells about it.
struct HelpFacts {
  FrontKind front = FrontKind::window;
  FrontKeys keys;                   // the front-end's own keys, from its table
  bool arrowsWalk = false;          // the player's arrow-keys setting
  bool pictures = false;            // F12 saves a picture
  std::vector<OverlayLine> legend;  // what the front-end's characters stand for
  std::optional<PadKind> pad;       // the kind of the pad plugged in, if any
  PadBindings padBindings = defaultPadBindings();
};

// The pictures of the map, by glyph code, as the player's guide names them.
std::vector<ShellFront::GlyphName> mapGlyphs();

// Every key of the game and of its front-end, as F1 shows them, with the
// rules that catch players out.
OverlayContent keyHelp(const HelpFacts& facts);
// The keys while a recording is watched.
OverlayContent watchKeyHelp(const HelpFacts& facts);

}  // namespace dw
