#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace dw {

// An off-screen block of palette indices (a decoded tile, for instance).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // row by row

  Image() = default;
  Image(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0) {}
};

Image createImage(int width, int height);
void setPixel(Image& image, int x, int y, int colour);
int getPixel(const Image& image, int x, int y);

// How an image combines with the pixels under it.
enum class RasterMode { pset, preset, andMode, orMode, xorMode };
// "pset", "preset", "and", "or", "xor"; any other word combines as "xor".
RasterMode rasterModeFromWord(std::string_view word);

// A writable rectangle of palette indices: a page or an image.
struct Canvas {
  std::uint8_t* pixels;
  int width;
  int height;
};

inline Canvas canvasOf(Image& image) {
  return {image.pixels.data(), image.width, image.height};
}

enum class LineKind { line = 0, box = 1, filledBox = 2 };

// Draws on any canvas; coordinates outside it are clipped. The style is a
// 16-bit on/off pattern, most significant bit first, applied to line and box
// outlines; filled boxes are solid.
void drawLine(Canvas target, int x1, int y1, int x2, int y2, int colour, LineKind kind,
              std::uint16_t style = 0xFFFF);

struct Rgb {
  std::uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};
using Palette = std::array<Rgb, 256>;
const Palette& defaultPalette();

// The 320 x 200 screen with eight pages and a 40 x 25 text grid. Every
// backend shows the visible page of this one model.
// The part of a w x h picture, put with its top-left corner at (x, y), that
// lands on a page: its own columns left..right-1 and rows top..bottom-1.
// Worked out in 64 bits, so positions far off the page cannot overflow.
struct PageClip {
  long long left, top, right, bottom;
  bool empty() const { return left >= right || top >= bottom; }
};
PageClip clipToPage(int x, int y, long long w, long long h);

class Screen {
 public:
  static constexpr int width = 320;
  static constexpr int height = 200;
  static constexpr int pageCount = 8;
  static constexpr int pageSize = width * height;
  static constexpr int textRows = 25;
  static constexpr int textCols = 40;

  Screen();

  // Clears all pages, restores the palette, cursor to (1, 1), colours 15 on 0.
  void openScreen();
  void setPages(int work, int visible);
  void copyPage(int source, int destination);

  int workPage() const { return work_; }
  int visiblePage() const { return visible_; }
  // A page's pixels, good until the next call that changes the screen.
  const std::uint8_t* page(int n) const { return buffers_[bufferOf_[clampPage(n)]].pixels.data(); }
  // A page's pixels to change by hand, good until the next call on the
  // screen; the whole page counts as changed.
  std::uint8_t* changePage(int n);
  Canvas workCanvas() { return {changePage(work_), width, height}; }
  const Palette& palette() const { return palette_; }
  // Counts every change that can alter what the visible page shows, so a
  // window knows when to present again.
  std::uint64_t visibleChanges() const { return visibleChanges_; }

  void drawLine(int x1, int y1, int x2, int y2, int colour, LineKind kind,
                std::uint16_t style = 0xFFFF);
  void putImage(int x, int y, const Image& image, RasterMode mode);
  void putImage(int x, int y, const Image& image, std::string_view modeWord) {
    putImage(x, y, image, rasterModeFromWord(modeWord));
  }

  void setTextColour(int foreground);
  void setTextColour(int foreground, int background);
  void locate(int row, int col);
  // Draws each byte at the cursor and advances it. Characters past column 40
  // are cut; with newline the cursor moves to column 1 of the next row, and
  // a new line below row 25 scrolls the work page up by one text row.
  void print(std::string_view text, bool newline);
  int cursorRow() const { return row_; }
  int cursorCol() const { return col_; }
  int foreground() const { return fg_; }
  int background() const { return bg_; }

  // Everything the screen holds, for a saved game: every page, the palette,
  // the pages in use, the cursor and the colours.
  struct Saved {
    std::array<std::vector<std::uint8_t>, pageCount> pages;
    Palette palette{};
    int work = 0, visible = 0, row = 1, col = 1, fg = 15, bg = 0;
    bool operator==(const Saved&) const = default;
  };
  Saved save() const;
  // Puts a saved screen back (pages of the wrong size are left as they
  // are); counts as a change of the visible page.
  void restore(const Saved& saved);

  // locate and print of one byte, without building a string.
  void putChar(int row, int col, std::uint8_t code);
  // Fills a block of text cells (clipped to the grid) with one character in
  // the current colours, without moving the cursor.
  void fillChars(int row, int col, int rows, int cols, std::uint8_t code);
  // Draws one glyph of the font at a text cell without moving the cursor.
  void drawChar(int row, int col, std::uint8_t code, int fg, int bg);

 private:
  // The pixels a page shows. A page copied onto another is shared, not
  // copied; a shared page is given a buffer of its own just before it is
  // drawn on (see own). Each row of a buffer carries a mark, renewed
  // whenever a byte of the row changes and copied with the row: two buffers
  // with the same mark on a row hold the same bytes in it.
  struct PageBuffer {
    std::vector<std::uint8_t> pixels;
    std::array<std::uint64_t, height> marks{};
    int users = 0;  // the pages that show it
  };

  static int clampPage(int n) { return n < 0 ? 0 : (n >= pageCount ? pageCount - 1 : n); }
  void touched(int n) {
    if (n == visible_) ++visibleChanges_;
  }
  // Makes page n the only user of its buffer and returns its pixels.
  std::uint8_t* own(int n) {
    PageBuffer& buffer = buffers_[bufferOf_[n]];
    return buffer.users == 1 ? buffer.pixels.data() : takeBuffer(n);
  }
  // own for a page that shares its buffer.
  std::uint8_t* takeBuffer(int n);
  std::uint8_t* ownWork() { return own(work_); }
  // Rows y.. of the work page (already its own) whose bits in `rows` are
  // set have changed.
  void changedRows(int y, unsigned rows) {
    auto& marks = buffers_[bufferOf_[work_]].marks;
    for (; rows != 0; rows >>= 1, ++y) {
      if (rows & 1u) marks[y] = ++lastMark_;
    }
  }
  void newLine();
  // The top-left pixel of a text cell on the work page.
  std::uint8_t* textCell(int row, int col) {
    return ownWork() + (row - 1) * 8 * width + (col - 1) * 8;
  }
  // putImage for any position and mode.
  void putClipped(int x, int y, const Image& image, RasterMode mode);

  // Eight buffers for eight pages: while one is shared, one is free.
  std::array<PageBuffer, pageCount> buffers_;
  std::array<int, pageCount> bufferOf_{};
  std::uint64_t lastMark_ = 0;
  Palette palette_{};
  int work_ = 0;
  int visible_ = 0;
  int row_ = 1;
  int col_ = 1;
  int fg_ = 15;
  int bg_ = 0;
  std::uint64_t visibleChanges_ = 0;
};

// Tiles land whole on the page nearly always: those go straight down, eight
// bytes a row for a cell-sized one, and only rows that change are written.
inline void Screen::putImage(int x, int y, const Image& image, RasterMode mode) {
  if (mode != RasterMode::pset || x < 0 || y < 0 || image.width > width - x ||
      image.height > height - y) {
    putClipped(x, y, image, mode);
    return;
  }
  if (image.width <= 0 || image.height <= 0) return;  // nothing lands, as when clipped
  const std::uint8_t* src = image.pixels.data();
  std::uint8_t* d = ownWork() + y * width + x;
  if (image.width == 8 && image.height == 8) {
    unsigned rows = 0;
    for (int row = 0; row < 8; ++row, src += 8, d += width) {
      std::uint64_t was, now;
      std::memcpy(&was, d, 8);
      std::memcpy(&now, src, 8);
      if (was == now) continue;
      std::memcpy(d, &now, 8);
      rows |= 1u << row;
    }
    changedRows(y, rows);
  } else {
    const auto w = static_cast<std::size_t>(image.width);
    for (int row = 0; row < image.height; ++row, src += image.width, d += width) {
      if (std::memcmp(d, src, w) == 0) continue;
      std::memcpy(d, src, w);
      changedRows(y + row, 1);
    }
  }
  touched(work_);
}

}  // namespace dw
