#pragma once

#include <string>

#include "platform/Screen.h"
#include "platform/terminal/CellMapper.h"

namespace dw {

// How many colours a terminal shows.
enum class ColourDepth { ansi16, indexed256, direct };

struct TerminalStyle {
  ColourDepth colours = ColourDepth::ansi16;
  bool utf8 = true;
};

// The depth a terminal announces: COLORTERM "truecolor" or "24bit" gives
// 24-bit colour; 256 colours in its terminfo entry, or a TERM name with
// "256color", give 256; anything else the 16 standard colours.
ColourDepth colourDepthFor(const char* colorterm, const char* term, int terminfoColours);
// The "colors" number of the terminal's terminfo entry, or -1 when there is
// none to be read.
int terminfoColours(const char* term);

// Draws text pages on a terminal as escape sequences, only the cells that
// changed since the last page it drew.
class TerminalPainter {
 public:
  explicit TerminalPainter(TerminalStyle style) : style_(style) {}

  // The bytes that bring the terminal from the last page to this one; all of
  // it (after clearing the terminal) when everything must be drawn afresh.
  std::string update(const TextPage& page, const Palette& palette, bool everything);
  // Forgets what the terminal shows, so the next update draws everything.
  void forget() { known_ = false; }

 private:
  void colours(std::string& out, int fg, int bg, const Palette& palette);
  void colour(std::string& out, int index, bool background, const Palette& palette) const;

  TerminalStyle style_;
  TextPage shown_{};
  bool known_ = false;
  int fg_ = -1, bg_ = -1;
};

// The message shown instead of the game while the terminal is too small,
// wrapped to its width: clears the terminal first.
std::string tooSmallMessage(int columns, int rows);

}  // namespace dw
