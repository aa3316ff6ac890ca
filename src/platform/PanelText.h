#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
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
  // A pick list: the lines where each choice begins, in order (a choice
  // runs to the next one, the last to the end; lines before the first are
  // no choice). The arrows move a highlight from choice to choice, Enter
  // picks the one highlighted and Escape closes the panel.
  std::vector<int> choices;
};

// The choice of a pick list the line belongs to, or -1.
int choiceOfLine(const OverlayContent& content, int line);

// A panel's lines as a front-end wrapped them: the row each line begins
// on, and the rows in all.
struct PanelRows {
  std::vector<int> firstRows;
  int count = 0;
};
// The rows of a choice of a pick list: its first, and the one after its last.
std::pair<int, int> rowsOfChoice(const OverlayContent& content, const PanelRows& rows, int choice);
// Where a panel stands: its first row in view, and the choice highlighted
// (-1 when it is no pick list).
struct PanelPlace {
  int top = 0;
  int chosen = -1;
};
// A pageable panel `height` rows high moved by `step` rows (1 or -1: a
// line, more: a page). In a pick list the highlight moves instead, a choice
// at a time or a page, and stays in view.
PanelPlace movePanel(const OverlayContent& content, const PanelRows& rows, int height,
                     PanelPlace place, int step);

// Splits a panel's text into lines of at most width characters (one byte a
// character: code-page-437 text). Lines break at spaces, and between two
// bracketed pieces ("[Gold +5][Hp -2]"); a bracketed piece stays whole
// unless it alone is wider than a line, and then breaks at its spaces. A
// word wider than a line is cut where the line ends. Never returns no lines.
// Every front-end's panels and notices wrap with this one.
std::vector<std::string> wrapPanelText(std::string_view text, int width);

// UTF-8 text made to fit a row of width columns: as it is when it fits,
// else cut after the last whole word that leaves room for "…" (cut inside
// a word only when the first word alone is too wide).
std::string fitToRow(std::string_view text, int width);

}  // namespace dw
