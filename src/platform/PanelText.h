#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dw {

// One line of a window panel: a label (a key, or where a message was
// written) and its text, both code-page-437 bytes in palette colours.
struct OverlayLine {
  std::string label;
  std::string text;
  std::uint8_t labelColour = 11;
  std::uint8_t textColour = 15;
  bool heading = false;  // the text starts where labels do
};

// What a panel around the game shows: the key help or the message log.
struct OverlayContent {
  std::string title;
  std::vector<OverlayLine> lines;
  std::string footer;
  bool pageable = false;    // PageUp, PageDown and the arrows move through it
  bool opensAtTop = false;  // a pageable panel opens at its start, not its end
  std::string empty;        // shown when there are no lines
};

}  // namespace dw
