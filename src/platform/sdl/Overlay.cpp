#include "platform/sdl/Overlay.h"

#include <algorithm>
#include <utility>

#include "platform/Font.h"

namespace dw {

namespace {

constexpr int cell = 8;
// The frame sits one text cell inside the page's edge, so the dimmed picture
// shows around it.
constexpr int frameLeft = 2, frameRight = Screen::textCols - 1;
constexpr int textLeft = frameLeft + 2;
constexpr int frameColour = 3, titleColour = 14, footerColour = 7, bannerColour = 12;
// The paper behind the choice highlighted in a pick list.
constexpr int chosenColour = 1;
constexpr int bodyColsOfBanner = frameRight - frameLeft - 3;
constexpr std::uint8_t boxTopLeft = 218, boxTopRight = 191, boxBottomLeft = 192,
                       boxBottomRight = 217, boxHorizontal = 196, boxVertical = 179;

struct Canvas32 {
  std::uint32_t* pixels;
  const Palette& palette;
};

void putText(const Canvas32& c, int row, int col, std::string_view text, int colour) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    drawFontGlyph(c.pixels, Screen::width, Screen::height, (col - 1 + static_cast<int>(i)) * cell,
                  (row - 1) * cell, static_cast<std::uint8_t>(text[i]), argbOf(c.palette[colour]));
  }
}

void putChar(const Canvas32& c, int row, int col, std::uint8_t code, int colour) {
  putText(c, row, col, std::string_view(reinterpret_cast<const char*>(&code), 1), colour);
}

void fillCells(std::uint32_t* argb, int row1, int col1, int row2, int col2, std::uint32_t colour) {
  for (int y = (row1 - 1) * cell; y < row2 * cell; ++y) {
    std::fill(argb + y * Screen::width + (col1 - 1) * cell, argb + y * Screen::width + col2 * cell,
              colour);
  }
}

// A frame line: the corners, a rule between, and a caption near each end.
void frameLine(const Canvas32& c, int row, std::uint8_t leftCorner, std::uint8_t rightCorner,
               std::string_view left, std::string_view right, int captionColour) {
  putChar(c, row, frameLeft, leftCorner, frameColour);
  putChar(c, row, frameRight, rightCorner, frameColour);
  for (int col = frameLeft + 1; col < frameRight; ++col)
    putChar(c, row, col, boxHorizontal, frameColour);
  int room = frameRight - frameLeft - 5;
  if (!left.empty()) {
    std::string caption = " " + std::string(left.substr(0, room)) + " ";
    fillCells(c.pixels, row, frameLeft + 2, row, frameLeft + 1 + static_cast<int>(caption.size()),
              0xFF000000u);
    putText(c, row, frameLeft + 2, caption, captionColour);
    room -= static_cast<int>(caption.size()) + 1;
  }
  if (!right.empty() && static_cast<int>(right.size()) + 2 <= room) {
    std::string caption = " " + std::string(right) + " ";
    int col = frameRight - 1 - static_cast<int>(caption.size());
    fillCells(c.pixels, row, col, row, col + static_cast<int>(caption.size()) - 1, 0xFF000000u);
    putText(c, row, col, caption, captionColour);
  }
}

}  // namespace

std::uint32_t argbOf(const Rgb& c) {
  return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

void drawFontGlyph(std::uint32_t* argb, int width, int height, int x, int y, std::uint8_t code,
                   std::uint32_t colour, int scale) {
  const auto& rows = fontGlyphs()[code];
  for (int gy = 0; gy < cell * scale; ++gy) {
    int py = y + gy;
    if (py < 0 || py >= height) continue;
    std::uint8_t bits = rows[gy / scale];
    for (int gx = 0; gx < cell * scale; ++gx) {
      int px = x + gx;
      if (px < 0 || px >= width || ((bits >> (7 - gx / scale)) & 1) == 0) continue;
      argb[static_cast<std::size_t>(py) * width + px] = colour;
    }
  }
}

void OverlayPanel::open(OverlayContent content) {
  content_ = std::move(content);
  open_ = true;
  layOut();
  top_ = content_.pageable && !content_.opensAtTop ? lastTop() : 0;
  chosen_ = picking() ? 0 : -1;
}

void OverlayPanel::layOut() {
  rows_.clear();
  labelWidth_ = 0;
  for (const auto& line : content_.lines) {
    labelWidth_ = std::max(labelWidth_, static_cast<int>(line.label.size()));
  }
  labelWidth_ = std::min(labelWidth_, bodyCols / 2);
  int textWidth = bodyCols - (labelWidth_ > 0 ? labelWidth_ + 1 : 0);
  firstRows_.clear();
  for (const auto& line : content_.lines) {
    firstRows_.push_back(rowCount());
    auto pieces = wrapPanelText(line.text, line.heading ? bodyCols : textWidth);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      rows_.push_back({i == 0 ? line.label.substr(0, labelWidth_) : std::string(),
                       std::move(pieces[i]), line.labelColour, line.textColour, line.heading});
    }
  }
}

int OverlayPanel::lastTop() const {
  return std::max(0, rowCount() - bodyRows);
}

void OverlayPanel::move(Move m) {
  if (!content_.pageable) return;
  int step = (m == Move::lineUp || m == Move::lineDown) ? 1 : bodyRows - 1;
  if (m == Move::lineUp || m == Move::pageUp) step = -step;
  PanelPlace place = movePanel(content_, rows(), bodyRows, {top_, chosen_}, step);
  top_ = place.top;
  chosen_ = place.chosen;
}

void OverlayPanel::draw(std::uint32_t* argb, const Palette& palette) const {
  // Everything behind the panel is kept at a third of its brightness.
  for (int i = 0; i < Screen::pageSize; ++i) {
    std::uint32_t p = argb[i];
    std::uint32_t r = ((p >> 16) & 0xFF) * 85 / 255, g = ((p >> 8) & 0xFF) * 85 / 255,
                  b = (p & 0xFF) * 85 / 255;
    argb[i] = 0xFF000000u | (r << 16) | (g << 8) | b;
  }
  Canvas32 c{argb, palette};
  int shown = content_.pageable ? bodyRows : std::clamp(rowCount(), 1, bodyRows);
  int frameTop = 2 + (bodyRows - shown) / 2;
  int frameBottom = frameTop + shown + 1;
  fillCells(argb, frameTop, frameLeft, frameBottom, frameRight, 0xFF000000u);

  std::string where;
  if (content_.pageable && rowCount() > bodyRows) {
    where = std::to_string(top_ + 1) + "-" + std::to_string(std::min(rowCount(), top_ + bodyRows)) +
            "/" + std::to_string(rowCount());
  }
  frameLine(c, frameTop, boxTopLeft, boxTopRight, content_.title, where, titleColour);
  frameLine(c, frameBottom, boxBottomLeft, boxBottomRight, content_.footer, {}, footerColour);
  for (int row = frameTop + 1; row < frameBottom; ++row) {
    putChar(c, row, frameLeft, boxVertical, frameColour);
    putChar(c, row, frameRight, boxVertical, frameColour);
  }
  if (rows_.empty()) {
    putText(c, frameTop + 1, textLeft, content_.empty.substr(0, bodyCols), footerColour);
    return;
  }
  int textCol = textLeft + (labelWidth_ > 0 ? labelWidth_ + 1 : 0);
  auto [chosenFirst, chosenEnd] =
      chosen_ >= 0 ? rowsOfChoice(content_, rows(), chosen_) : std::pair{0, 0};
  for (int i = 0; i < shown && top_ + i < rowCount(); ++i) {
    const Row& r = rows_[top_ + i];
    if (top_ + i >= chosenFirst && top_ + i < chosenEnd)
      fillCells(argb, frameTop + 1 + i, frameLeft + 1, frameTop + 1 + i, frameRight - 1,
                argbOf(palette[chosenColour]));
    putText(c, frameTop + 1 + i, textLeft, r.label, r.labelColour);
    putText(c, frameTop + 1 + i, r.heading ? textLeft : textCol, r.text, r.textColour);
  }
}

void drawBanner(std::uint32_t* argb, const Palette& palette, std::string_view text) {
  Canvas32 c{argb, palette};
  std::vector<std::string> lines = wrapPanelText(text, bodyColsOfBanner);
  int rows = static_cast<int>(lines.size());
  int top = (Screen::textRows - rows) / 2;  // the frame's top row
  fillCells(argb, top, frameLeft, top + rows + 1, frameRight, 0xFF000000u);
  for (int col = frameLeft + 1; col < frameRight; ++col) {
    putChar(c, top, col, boxHorizontal, bannerColour);
    putChar(c, top + rows + 1, col, boxHorizontal, bannerColour);
  }
  for (int i = 0; i < rows; ++i) {
    int col = frameLeft + 1 + (frameRight - frameLeft - 1 - static_cast<int>(lines[i].size())) / 2;
    putText(c, top + 1 + i, col, lines[i], bannerColour);
  }
}

void drawStartHint(std::uint32_t* argb, const Palette& palette,
                   const std::vector<std::string>& lines) {
  Canvas32 c{argb, palette};
  // The offer in the notice colour, the keys (the last line) quieter.
  std::vector<std::pair<std::string, int>> rows;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    int colour = i + 1 == lines.size() ? footerColour : bannerColour;
    for (std::string& row : wrapPanelText(lines[i], bodyColsOfBanner))
      rows.emplace_back(std::move(row), colour);
  }
  int count = static_cast<int>(rows.size());
  int top = Screen::textRows - 2 - count;  // the last row stays free
  fillCells(argb, top, frameLeft, top + count - 1, frameRight, 0xFF000000u);
  for (int i = 0; i < count; ++i) {
    const auto& [text, colour] = rows[i];
    int col = frameLeft + 1 + (frameRight - frameLeft - 1 - static_cast<int>(text.size())) / 2;
    putText(c, top + i, col, text, colour);
  }
}

std::optional<BarNotice> placeBarNotice(int drawW, int drawH, const ViewRect& area,
                                        std::string_view text, int maxScale) {
  if (text.empty()) return std::nullopt;
  const ViewRect bars[] = {
      {0, area.y + area.h, drawW, drawH - area.y - area.h},  // below
      {0, 0, drawW, area.y},                                 // above
      {0, 0, area.x, drawH},                                 // left
      {area.x + area.w, 0, drawW - area.x - area.w, drawH},  // right
  };
  std::optional<BarNotice> best;
  for (const ViewRect& bar : bars) {
    for (int scale = std::max(maxScale, 1); scale >= 1; --scale) {
      if (best && scale <= best->scale) break;
      // Half a character of margin all round, half a line between lines.
      int glyph = cell * scale, margin = glyph / 2;
      int cols = (bar.w - 2 * margin) / glyph;
      if (cols < 8) continue;
      auto lines = wrapPanelText(text, cols);
      int rows = static_cast<int>(lines.size());
      int height = rows * glyph + (rows - 1) * margin;
      if (height > bar.h - 2 * margin) continue;
      int width = 0;
      for (const auto& line : lines) width = std::max(width, static_cast<int>(line.size()) * glyph);
      ViewRect box{bar.x + (bar.w - width) / 2, bar.y + (bar.h - height) / 2, width, height};
      best = BarNotice{box, scale, std::move(lines)};
      break;
    }
  }
  return best;
}

}  // namespace dw
