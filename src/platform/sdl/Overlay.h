#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/PanelText.h"
#include "platform/Screen.h"
#include "platform/sdl/ViewLayout.h"

namespace dw {

// A text panel drawn over the dimmed picture at the page's own size, in the
// game's 8 x 8 font. It lives in the window's own pixels: the game's pages
// never hold it.
class OverlayPanel {
 public:
  // Text rows a panel holds inside its frame.
  static constexpr int bodyRows = 21;
  static constexpr int bodyCols = 34;

  // Opens with the content; a pageable panel opens at its end (the newest
  // message).
  void open(OverlayContent content);
  void close() { open_ = false; }
  bool isOpen() const { return open_; }
  const std::string& title() const { return content_.title; }
  bool pageable() const { return content_.pageable; }
  // A pick list (see OverlayContent::choices), and its choice highlighted.
  bool picking() const { return !content_.choices.empty(); }
  int chosen() const { return chosen_; }

  enum class Move { lineUp, lineDown, pageUp, pageDown };
  // Pages through the panel; in a pick list, moves the highlight (a page at
  // a time with pageUp and pageDown) and keeps it in view.
  void move(Move m);
  int firstRow() const { return top_; }
  int rowCount() const { return static_cast<int>(rows_.size()); }

  // Dims the picture (320 x 200 true-colour pixels) and draws the panel on it.
  void draw(std::uint32_t* argb, const Palette& palette) const;

 private:
  struct Row {
    std::string label, text;
    std::uint8_t labelColour, textColour;
    bool heading;
  };
  void layOut();
  int lastTop() const;
  PanelRows rows() const { return {firstRows_, rowCount()}; }

  OverlayContent content_;
  std::vector<Row> rows_;
  std::vector<int> firstRows_;  // the row each line of the content begins on
  int labelWidth_ = 0;
  int top_ = 0;
  int chosen_ = -1;
  bool open_ = false;
};

// Draws one glyph of the game's font, scale x scale pixels a font pixel, in
// colour on a true-colour canvas of width x height; the glyph's background
// is left as it is. Pixels off the canvas are skipped.
void drawFontGlyph(std::uint32_t* argb, int width, int height, int x, int y, std::uint8_t code,
                   std::uint32_t colour, int scale = 1);

// Draws a notice over the middle of the picture (320 x 200 true-colour
// pixels): its words in the notice colour between two rules on black.
void drawBanner(std::uint32_t* argb, const Palette& palette, std::string_view text);

// The start screen's offer and its keys over the picture's empty rows at
// the bottom of a page of true colour.
void drawStartHint(std::uint32_t* argb, const Palette& palette,
                   const std::vector<std::string>& lines);

// Where a notice is written in the black bars around the page: a bar
// rectangle of the window, the whole-pixel scale of its font and its lines.
struct BarNotice {
  ViewRect box;
  int scale = 1;
  std::vector<std::string> lines;
};
// The largest whole-pixel scale (at most maxScale) at which the text fits
// in one of the bars of view in a window of drawW x drawH; the bar below the
// page is preferred, then the one above, then the sides. Nothing when no bar
// has room for it at scale 1.
std::optional<BarNotice> placeBarNotice(int drawW, int drawH, const ViewRect& area,
                                        std::string_view text, int maxScale);

// True colour of a palette entry, opaque.
std::uint32_t argbOf(const Rgb& c);

}  // namespace dw
