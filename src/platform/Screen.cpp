#include "platform/Screen.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "platform/Font.h"

namespace dw {

Image createImage(int width, int height) {
  return Image(std::max(0, width), std::max(0, height));
}

void setPixel(Image& image, int x, int y, int colour) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
  image.pixels[static_cast<std::size_t>(y) * image.width + x] = static_cast<std::uint8_t>(colour);
}

int getPixel(const Image& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0;
  return image.pixels[static_cast<std::size_t>(y) * image.width + x];
}

RasterMode rasterModeFromWord(std::string_view word) {
  if (word == "pset") return RasterMode::pset;
  if (word == "preset") return RasterMode::preset;
  if (word == "and") return RasterMode::andMode;
  if (word == "or") return RasterMode::orMode;
  return RasterMode::xorMode;
}

namespace {

// Sets a pixel; `changed` hears of the row when its byte was another.
template <class Changed>
void plot(Canvas c, int x, int y, std::uint8_t colour, Changed& changed) {
  if (x < 0 || y < 0 || x >= c.width || y >= c.height) return;
  std::uint8_t& pixel = c.pixels[static_cast<std::size_t>(y) * c.width + x];
  if (pixel == colour) return;
  pixel = colour;
  changed(y);
}

// Walks the pattern one pixel at a time, most significant bit first.
struct StylePen {
  std::uint16_t style;
  int bit = 15;
  bool next() {
    bool on = (style >> bit) & 1;
    bit = bit == 0 ? 15 : bit - 1;
    return on;
  }
};

// A solid line along a row or a column sets every pixel between its ends,
// as the walk below would; the pen's place matters only to a styled line.
template <class Changed>
bool straightLine(Canvas c, int x1, int y1, int x2, int y2, std::uint8_t colour, StylePen& pen,
                  Changed& changed) {
  if (pen.style != 0xFFFF || (x1 != x2 && y1 != y2)) return false;
  const long long steps = std::max(std::llabs(static_cast<long long>(x2) - x1),
                                   std::llabs(static_cast<long long>(y2) - y1));
  pen.bit = static_cast<int>(((pen.bit - (steps + 1)) % 16 + 16) % 16);
  if (y1 == y2) {
    if (y1 < 0 || y1 >= c.height) return true;
    const int left = std::max(std::min(x1, x2), 0), right = std::min(std::max(x1, x2), c.width - 1);
    if (left > right) return true;
    std::uint8_t* first = c.pixels + static_cast<std::size_t>(y1) * c.width + left;
    std::uint8_t* last = first + (right - left + 1);
    if (std::all_of(first, last, [colour](std::uint8_t p) { return p == colour; })) return true;
    std::fill(first, last, colour);
    changed(y1);
    return true;
  }
  if (x1 < 0 || x1 >= c.width) return true;
  const int top = std::max(std::min(y1, y2), 0), bottom = std::min(std::max(y1, y2), c.height - 1);
  for (int y = top; y <= bottom; ++y) plot(c, x1, y, colour, changed);
  return true;
}

template <class Changed>
void styledLine(Canvas c, int x1, int y1, int x2, int y2, std::uint8_t colour, StylePen& pen,
                Changed& changed) {
  if (straightLine(c, x1, y1, x2, y2, colour, pen, changed)) return;
  // Bresenham over 64-bit deltas so that far-off corners cannot overflow;
  // the walk itself stays within the clipped span of the canvas.
  long long dx = std::llabs(static_cast<long long>(x2) - x1);
  long long dy = -std::llabs(static_cast<long long>(y2) - y1);
  int sx = x1 < x2 ? 1 : -1;
  int sy = y1 < y2 ? 1 : -1;
  long long err = dx + dy;
  long long x = x1, y = y1;
  // The game's lines are short; the walk covers the whole line so that the
  // style pattern stays in step, and only pixels on the canvas are set.
  long long steps = std::max(dx, -dy);
  for (long long i = 0; i <= steps; ++i) {
    if (pen.next() && x >= 0 && y >= 0 && x < c.width && y < c.height) {
      plot(c, static_cast<int>(x), static_cast<int>(y), colour, changed);
    }
    long long e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

// drawLine, telling `changed` of each row in which a byte changed.
template <class Changed>
void drawLineOn(Canvas c, int x1, int y1, int x2, int y2, int colour, LineKind kind,
                std::uint16_t style, Changed& changed) {
  auto ink = static_cast<std::uint8_t>(colour);
  StylePen pen{style};
  switch (kind) {
    case LineKind::line:
      styledLine(c, x1, y1, x2, y2, ink, pen, changed);
      break;
    case LineKind::box:
      styledLine(c, x1, y1, x2, y1, ink, pen, changed);
      styledLine(c, x1, y2, x2, y2, ink, pen, changed);
      styledLine(c, x1, y1, x1, y2, ink, pen, changed);
      styledLine(c, x2, y1, x2, y2, ink, pen, changed);
      break;
    case LineKind::filledBox: {
      int left = std::max(std::min(x1, x2), 0);
      int right = std::min(std::max(x1, x2), c.width - 1);
      int top = std::max(std::min(y1, y2), 0);
      int bottom = std::min(std::max(y1, y2), c.height - 1);
      if (left > right) break;
      for (int y = top; y <= bottom; ++y) {
        std::uint8_t* first = c.pixels + static_cast<std::size_t>(y) * c.width + left;
        std::uint8_t* last = first + (right - left + 1);
        if (std::all_of(first, last, [ink](std::uint8_t p) { return p == ink; })) continue;
        std::fill(first, last, ink);
        changed(y);
      }
      break;
    }
  }
}

}  // namespace

void drawLine(Canvas c, int x1, int y1, int x2, int y2, int colour, LineKind kind,
              std::uint16_t style) {
  auto unheard = [](int) {};
  drawLineOn(c, x1, y1, x2, y2, colour, kind, style, unheard);
}

const Palette& defaultPalette() {
  static const Palette palette = [] {
    Palette p{};
    auto six = [](int v) { return static_cast<std::uint8_t>((v * 255 + 31) / 63); };
    const int ega[16][3] = {{0, 0, 0},    {0, 0, 42},   {0, 42, 0},   {0, 42, 42},
                            {42, 0, 0},   {42, 0, 42},  {42, 21, 0},  {42, 42, 42},
                            {21, 21, 21}, {21, 21, 63}, {21, 63, 21}, {21, 63, 63},
                            {63, 21, 21}, {63, 21, 63}, {63, 63, 21}, {63, 63, 63}};
    for (int i = 0; i < 16; ++i) p[i] = {six(ega[i][0]), six(ega[i][1]), six(ega[i][2])};
    const int greys[16] = {0, 5, 8, 11, 14, 17, 20, 24, 28, 32, 36, 40, 45, 50, 56, 63};
    for (int i = 0; i < 16; ++i) p[16 + i] = {six(greys[i]), six(greys[i]), six(greys[i])};
    // Nine rings of 24 hues: three brightnesses, each at three saturations.
    const int levels[9][5] = {{0, 16, 31, 47, 63}, {31, 39, 47, 55, 63}, {45, 49, 54, 58, 63},
                              {0, 7, 14, 21, 28},  {14, 17, 21, 24, 28}, {20, 22, 24, 26, 28},
                              {0, 4, 8, 12, 16},   {8, 10, 12, 14, 16},  {11, 12, 13, 15, 16}};
    int index = 32;
    for (const auto& l : levels) {
      int r = l[0], g = l[0], b = l[4];
      auto put = [&] { p[index++] = {six(r), six(g), six(b)}; };
      for (int i = 0; i <= 4; ++i) {
        r = l[i];
        put();
      }
      for (int i = 3; i >= 0; --i) {
        b = l[i];
        put();
      }
      for (int i = 1; i <= 4; ++i) {
        g = l[i];
        put();
      }
      for (int i = 3; i >= 0; --i) {
        r = l[i];
        put();
      }
      for (int i = 1; i <= 4; ++i) {
        b = l[i];
        put();
      }
      for (int i = 3; i >= 1; --i) {
        g = l[i];
        put();
      }
    }
    return p;  // 248..255 stay black
  }();
  return palette;
}

Screen::Screen() {
  for (auto& b : buffers_) b.pixels.assign(pageSize, 0);
  // Every page starts blank, in one buffer.
  buffers_[0].users = pageCount;
  palette_ = defaultPalette();
}

void Screen::openScreen() {
  // Every page shows the work page's buffer, cleared; whatever page shared
  // it is cleared with it, as every page is.
  const int blank = bufferOf_[work_];
  std::uint8_t* p = buffers_[blank].pixels.data();
  for (int y = 0; y < height; ++y, p += width) {
    if (std::all_of(p, p + width, [](std::uint8_t v) { return v == 0; })) continue;
    std::memset(p, 0, width);
    changedRows(y, 1);
  }
  for (auto& b : buffers_) b.users = 0;
  bufferOf_.fill(blank);
  buffers_[blank].users = pageCount;
  palette_ = defaultPalette();
  row_ = 1;
  col_ = 1;
  fg_ = 15;
  bg_ = 0;
  ++visibleChanges_;
}

void Screen::setPages(int work, int visible) {
  work_ = clampPage(work);
  if (clampPage(visible) != visible_) ++visibleChanges_;
  visible_ = clampPage(visible);
}

void Screen::copyPage(int source, int destination) {
  int s = clampPage(source), d = clampPage(destination);
  if (bufferOf_[d] != bufferOf_[s]) {
    --buffers_[bufferOf_[d]].users;
    bufferOf_[d] = bufferOf_[s];
    ++buffers_[bufferOf_[d]].users;
  }
  touched(d);
}

std::uint8_t* Screen::takeBuffer(int n) {
  PageBuffer& shared = buffers_[bufferOf_[n]];
  // Eight buffers for eight pages: a shared one leaves one free at least.
  // The free one that differs least from the shared one, judged by the
  // marks of one row in each text row, takes only the rows that differ.
  int chosen = -1, chosenSame = -1;
  for (int b = 0; b < pageCount; ++b) {
    if (buffers_[b].users != 0) continue;
    int same = 0;
    for (int y = 3; y < height; y += 8) same += buffers_[b].marks[y] == shared.marks[y];
    if (same > chosenSame) chosen = b, chosenSame = same;
    if (same == textRows) break;  // none can do better
  }
  PageBuffer& mine = buffers_[chosen];
  // Each run of rows that differ goes over in one copy; a text row whose
  // eight rows all match is passed over at once.
  auto textRowMatches = [&](int y) {
    std::uint64_t differ = 0;
    for (int i = 0; i < 8; ++i) differ |= mine.marks[y + i] ^ shared.marks[y + i];
    return differ == 0;
  };
  for (int y = 0; y < height;) {
    if (y % 8 == 0 && textRowMatches(y)) {
      y += 8;
      continue;
    }
    if (mine.marks[y] == shared.marks[y]) {
      ++y;
      continue;
    }
    int end = y;
    for (; end < height && mine.marks[end] != shared.marks[end]; ++end)
      mine.marks[end] = shared.marks[end];
    std::memcpy(mine.pixels.data() + y * width, shared.pixels.data() + y * width,
                static_cast<std::size_t>(end - y) * width);
    y = end;
  }
  --shared.users;
  mine.users = 1;
  bufferOf_[n] = chosen;
  return mine.pixels.data();
}

std::uint8_t* Screen::changePage(int n) {
  n = clampPage(n);
  std::uint8_t* p = own(n);
  for (auto& mark : buffers_[bufferOf_[n]].marks) mark = ++lastMark_;
  touched(n);
  return p;
}

void Screen::drawLine(int x1, int y1, int x2, int y2, int colour, LineKind kind,
                      std::uint16_t style) {
  auto changed = [this](int y) { changedRows(y, 1); };
  drawLineOn(Canvas{ownWork(), width, height}, x1, y1, x2, y2, colour, kind, style, changed);
  touched(work_);
}

PageClip clipToPage(int x, int y, long long w, long long h) {
  return {std::max<long long>(0, -static_cast<long long>(x)),
          std::max<long long>(0, -static_cast<long long>(y)),
          std::min<long long>(w, static_cast<long long>(Screen::width) - x),
          std::min<long long>(h, static_cast<long long>(Screen::height) - y)};
}

void Screen::putClipped(int x, int y, const Image& image, RasterMode mode) {
  const PageClip clip = clipToPage(x, y, image.width, image.height);
  if (clip.empty()) return;
  const long long left = clip.left, top = clip.top, right = clip.right, bottom = clip.bottom;
  std::uint8_t* dest = ownWork();
  auto combine = [mode](std::uint8_t under, std::uint8_t over) -> std::uint8_t {
    switch (mode) {
      case RasterMode::pset:
        return over;
      case RasterMode::preset:
        return static_cast<std::uint8_t>(~over);
      case RasterMode::andMode:
        return under & over;
      case RasterMode::orMode:
        return under | over;
      case RasterMode::xorMode:
        break;
    }
    return under ^ over;
  };
  for (long long iy = top; iy < bottom; ++iy) {
    const std::uint8_t* src = image.pixels.data() + iy * image.width;
    std::uint8_t* d = dest + (y + iy) * width + x;
    bool changed = false;
    for (long long ix = left; ix < right; ++ix) {
      const std::uint8_t now = combine(d[ix], src[ix]);
      changed = changed || now != d[ix];
      d[ix] = now;
    }
    if (changed) changedRows(static_cast<int>(y + iy), 1);
  }
  touched(work_);
}

void Screen::setTextColour(int foreground) {
  fg_ = foreground & 0xFF;
}

void Screen::setTextColour(int foreground, int background) {
  fg_ = foreground & 0xFF;
  bg_ = background & 0xFF;
}

void Screen::locate(int row, int col) {
  row_ = std::clamp(row, 1, textRows);
  col_ = std::clamp(col, 1, textCols + 1);
}

namespace {

// Each row of each glyph of the font as eight byte masks: 0xFF where the
// row has ink, 0 where it has paper.
using GlyphMasks = std::array<std::array<std::uint64_t, 8>, 256>;
const GlyphMasks glyphMasks = [] {
  GlyphMasks table{};
  const auto& font = fontGlyphs();
  for (int code = 0; code < 256; ++code) {
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        int byte = std::endian::native == std::endian::little ? x : 7 - x;
        if (font[code][y] & (0x80u >> x)) table[code][y] |= std::uint64_t{0xFF} << (8 * byte);
      }
    }
  }
  return table;
}();

// Text colours as eight pixels of each.
struct TextInk {
  std::uint64_t ink, paper;
  TextInk(int fg, int bg)
      : ink(spreadByte(static_cast<std::uint8_t>(fg))),
        paper(spreadByte(static_cast<std::uint8_t>(bg))) {}
  static std::uint64_t spreadByte(std::uint8_t b) { return 0x0101010101010101ull * b; }
};

// Puts eight rows of eight pixels into the cell whose top-left pixel is at
// cell; returns the bits that changed, all rows together (0: none did).
std::uint64_t stampRows(std::uint8_t* cell, const std::array<std::uint64_t, 8>& rows8) {
  std::uint64_t changed = 0;
  for (int y = 0; y < 8; ++y, cell += Screen::width) {
    std::uint64_t was;
    std::memcpy(&was, cell, 8);
    changed |= was ^ rows8[y];
    std::memcpy(cell, &rows8[y], 8);
  }
  return changed;
}

// The eight rows of a text row, all counted as changed when any bit was.
constexpr unsigned textRowChanged(std::uint64_t changed) {
  return changed != 0 ? 0xFFu : 0u;
}

// A glyph's eight rows in the text colours.
std::array<std::uint64_t, 8> glyphRows(std::uint8_t code, TextInk colours) {
  std::array<std::uint64_t, 8> rows8;
  const auto& masks = glyphMasks[code];
  for (int y = 0; y < 8; ++y) rows8[y] = (masks[y] & colours.ink) | (~masks[y] & colours.paper);
  return rows8;
}

// Draws a glyph into the text cell whose top-left pixel is at cell; returns
// the bits that changed, as stampRows does.
std::uint64_t stampGlyph(std::uint8_t* cell, std::uint8_t code, TextInk colours) {
  return stampRows(cell, glyphRows(code, colours));
}

}  // namespace

void Screen::drawChar(int row, int col, std::uint8_t code, int fg, int bg) {
  if (row < 1 || row > textRows || col < 1 || col > textCols) return;
  changedRows((row - 1) * 8, textRowChanged(stampGlyph(textCell(row, col), code, TextInk(fg, bg))));
  touched(work_);
}

void Screen::fillChars(int row, int col, int rows, int cols, std::uint8_t code) {
  const int top = std::max(row, 1), left = std::max(col, 1);
  const auto bottom =
      static_cast<int>(std::min<long long>(textRows, static_cast<long long>(row) + rows - 1));
  const auto right =
      static_cast<int>(std::min<long long>(textCols, static_cast<long long>(col) + cols - 1));
  if (top > bottom || left > right) return;
  // The glyph is worked out once and copied into every cell.
  const std::array<std::uint64_t, 8> rows8 = glyphRows(code, TextInk(fg_, bg_));
  std::uint8_t* base = textCell(top, left);
  for (int r = top; r <= bottom; ++r, base += 8 * width) {
    std::uint8_t* cell = base;
    std::uint64_t changed = 0;
    for (int c = left; c <= right; ++c, cell += 8) changed |= stampRows(cell, rows8);
    changedRows((r - 1) * 8, textRowChanged(changed));
  }
  touched(work_);
}

void Screen::putChar(int row, int col, std::uint8_t code) {
  locate(row, col);
  drawChar(row_, col_, code, fg_, bg_);
  if (col_ <= textCols) ++col_;
}

void Screen::newLine() {
  col_ = 1;
  if (row_ < textRows) {
    ++row_;
    return;
  }
  std::uint8_t* p = ownWork();
  std::memmove(p, p + 8 * width, static_cast<std::size_t>(pageSize - 8 * width));
  std::memset(p + pageSize - 8 * width, bg_, 8 * width);
  for (int y = 0; y < height; ++y) changedRows(y, 1);
  touched(work_);
}

void Screen::print(std::string_view text, bool newline) {
  // Characters past column 40 are cut; the cursor stays just past it.
  const std::size_t room = col_ <= textCols ? static_cast<std::size_t>(textCols + 1 - col_) : 0;
  const std::size_t n = std::min(text.size(), room);
  if (n > 0) {
    const TextInk colours(fg_, bg_);
    std::uint8_t* cell = textCell(row_, col_);
    std::uint64_t changed = 0;
    for (std::size_t i = 0; i < n; ++i, cell += 8) {
      changed |= stampGlyph(cell, static_cast<std::uint8_t>(text[i]), colours);
    }
    changedRows((row_ - 1) * 8, textRowChanged(changed));
    col_ += static_cast<int>(n);
    touched(work_);
  }
  if (newline) newLine();
}

Screen::Saved Screen::save() const {
  Saved saved{{}, palette_, work_, visible_, row_, col_, fg_, bg_};
  for (int n = 0; n < pageCount; ++n) saved.pages[n].assign(page(n), page(n) + pageSize);
  return saved;
}

void Screen::restore(const Saved& saved) {
  for (int n = 0; n < pageCount; ++n) {
    if (saved.pages[n].size() != static_cast<std::size_t>(pageSize)) continue;
    std::uint8_t* p = own(n);
    auto& marks = buffers_[bufferOf_[n]].marks;
    const std::uint8_t* from = saved.pages[n].data();
    for (int y = 0; y < height; ++y, p += width, from += width) {
      if (std::memcmp(p, from, width) == 0) continue;
      std::memcpy(p, from, width);
      marks[y] = ++lastMark_;
    }
  }
  palette_ = saved.palette;
  work_ = clampPage(saved.work);
  visible_ = clampPage(saved.visible);
  row_ = saved.row;
  col_ = saved.col;
  fg_ = saved.fg;
  bg_ = saved.bg;
  ++visibleChanges_;
}

}  // namespace dw
