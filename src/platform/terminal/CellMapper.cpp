#include "platform/terminal/CellMapper.h"

#include <bit>
#include <cstring>
#include <vector>

#include "platform/Cp437.h"
#include "platform/Font.h"

namespace dw {

namespace {

constexpr int darkGrey = 8, lightGrey = 7;

// The order in which codes win when glyphs look alike (a blank is a space,
// not the null byte): printable ASCII first, then the rest of the high half,
// then the graphic characters of the control codes.
constexpr std::array<std::uint8_t, 256> preferredCodes = [] {
  std::array<std::uint8_t, 256> order{};
  std::size_t n = 0;
  for (int c = 32; c < 127; ++c) order[n++] = static_cast<std::uint8_t>(c);
  for (int c = 128; c < 255; ++c) order[n++] = static_cast<std::uint8_t>(c);
  for (int c = 1; c < 32; ++c) order[n++] = static_cast<std::uint8_t>(c);
  order[n++] = 127;
  order[n++] = 0;
  order[n++] = 255;
  return order;
}();

// A glyph as 64 bits, bit y * 8 + x set where the glyph has ink.
std::uint64_t glyphMask(std::uint8_t code) {
  const auto& rows = fontGlyphs()[code];
  std::uint64_t mask = 0;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      if (rows[y] & (0x80u >> x)) mask |= std::uint64_t{1} << (y * 8 + x);
    }
  }
  return mask;
}

const std::array<std::uint64_t, 256>& glyphMasks() {
  static const std::array<std::uint64_t, 256> masks = [] {
    std::array<std::uint64_t, 256> m{};
    for (int c = 0; c < 256; ++c) m[c] = glyphMask(static_cast<std::uint8_t>(c));
    return m;
  }();
  return masks;
}

template <typename Pixels>
std::uint64_t maskOf(const Pixels& pixels, std::uint8_t colour) {
  std::uint64_t mask = 0;
  for (int i = 0; i < 64; ++i) {
    if (pixels[i] == colour) mask |= std::uint64_t{1} << i;
  }
  return mask;
}

// The most common colour other than skip (-1: none skipped) and its count;
// ties go to the lower colour.
template <typename Pixels>
std::pair<int, int> commonest(const Pixels& pixels, int skip) {
  std::array<int, 256> counts{};
  for (std::uint8_t p : pixels) ++counts[p];
  int best = -1;
  for (int c = 0; c < 256; ++c) {
    if (c == skip || counts[c] == 0) continue;
    if (best < 0 || counts[c] > counts[best]) best = c;
  }
  return {best, best < 0 ? 0 : counts[best]};
}

}  // namespace

std::size_t CellMapper::PixelsHash::operator()(const Pixels& p) const {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (int i = 0; i < 64; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p.data() + i, sizeof word);
    h = (h ^ word) * 0x100000001b3ull;
    h ^= h >> 29;
  }
  return static_cast<std::size_t>(h);
}

CellMapper::CellMapper() {
  for (std::uint8_t code : preferredCodes) glyphOfMask_.try_emplace(glyphMasks()[code], code);
}

TextCell CellMapper::tileCell(std::uint8_t code, const Image& picture) {
  // The colours in which the character looks most like the picture: the most
  // pixels under its ink in the ink colour, the most of the rest in the
  // background colour.
  std::array<int, 256> ink{}, paper{}, all{};
  std::uint64_t mask = glyphMasks()[code];
  for (std::size_t i = 0; i < picture.pixels.size() && i < 64; ++i) {
    std::uint8_t p = picture.pixels[i];
    ++all[p];
    ++((mask >> i) & 1 ? ink : paper)[p];
  }
  std::vector<int> present;
  for (int c = 0; c < 256; ++c) {
    if (all[c] > 0) present.push_back(c);
  }
  int bestFg = 0, bestBg = 0, bestScore = -1, bestTie = -1;
  for (int fg : present) {
    for (int bg : present) {
      if (bg == fg && present.size() > 1) continue;
      // Where the character leaves a colour no place (a full block), the
      // other is the picture's next commonest.
      int score = ink[fg] + paper[bg], tie = all[bg];
      if (score > bestScore || (score == bestScore && tie > bestTie)) {
        bestFg = fg;
        bestBg = bg;
        bestScore = score;
        bestTie = tie;
      }
    }
  }
  // Dark grey on black, as the open door is drawn, all but vanishes on most
  // terminals: such a character is drawn in light grey.
  if (bestFg == darkGrey && bestBg == 0) bestFg = lightGrey;
  return {code, static_cast<std::uint8_t>(bestFg), static_cast<std::uint8_t>(bestBg)};
}

void CellMapper::addTile(std::uint8_t code, const Image& picture) {
  if (picture.width != 8 || picture.height != 8 || picture.pixels.size() != 64) return;
  Pixels pixels;
  std::memcpy(pixels.data(), picture.pixels.data(), pixels.size());
  TextCell read;
  if (fontReads(pixels, read)) return;
  if (tiles_.try_emplace(pixels, tileCell(code, picture)).second) cache_.clear();
}

bool CellMapper::fontReads(const Pixels& pixels, TextCell& out) const {
  std::uint8_t a = pixels[0];
  int b = -1;
  for (std::uint8_t p : pixels) {
    if (p == a) continue;
    if (b < 0) {
      b = p;
    } else if (p != b) {
      return false;
    }
  }
  if (b < 0) {
    // One colour: a blank on black, else a full block of that colour, so a
    // bar or a coloured field still shows as text.
    out = a == 0 ? TextCell{' ', 7, 0} : TextCell{219, a, 0};
    return true;
  }
  std::uint64_t inkA = maskOf(pixels, a);
  auto asA = glyphOfMask_.find(inkA);
  auto asB = glyphOfMask_.find(~inkA);
  auto bColour = static_cast<std::uint8_t>(b);
  TextCell withA{0, a, bColour}, withB{0, bColour, a};
  if (asA != glyphOfMask_.end()) withA.code = asA->second;
  if (asB != glyphOfMask_.end()) withB.code = asB->second;
  bool haveA = asA != glyphOfMask_.end(), haveB = asB != glyphOfMask_.end();
  if (!haveA && !haveB) return false;
  if (haveA && haveB) {
    // Text is mostly drawn on black, and otherwise has less ink than paper.
    if (withA.bg == 0 || withB.bg == 0) {
      out = withA.bg == 0 ? withA : withB;
    } else {
      out = std::popcount(inkA) <= 32 ? withA : withB;
    }
    return true;
  }
  out = haveA ? withA : withB;
  return true;
}

TextCell CellMapper::nearest(const Pixels& pixels) const {
  int bg = commonest(pixels, -1).first;
  int fg = commonest(pixels, bg).first;
  auto paper = static_cast<std::uint8_t>(bg);
  std::uint64_t ink = ~maskOf(pixels, paper);
  std::uint8_t best = ' ';
  int bestDistance = 65;
  for (std::uint8_t code : preferredCodes) {
    int distance = std::popcount(ink ^ glyphMasks()[code]);
    if (distance < bestDistance) {
      best = code;
      bestDistance = distance;
    }
  }
  return {best, static_cast<std::uint8_t>(fg < 0 ? 7 : fg), paper};
}

TextCell CellMapper::work(const Pixels& pixels) const {
  if (auto tile = tiles_.find(pixels); tile != tiles_.end()) return tile->second;
  TextCell cell;
  if (fontReads(pixels, cell)) return cell;
  return nearest(pixels);
}

TextCell CellMapper::cellAt(const std::uint8_t* page, int x, int y) {
  Pixels pixels;
  for (int row = 0; row < 8; ++row) {
    std::memcpy(pixels.data() + row * 8, page + (y + row) * Screen::width + x, 8);
  }
  if (auto known = cache_.find(pixels); known != cache_.end()) return known->second;
  // A screen holds at most a thousand distinct cells; a game shows only a few
  // hundred kinds, so the memory stays small even over a long game.
  if (cache_.size() >= 16384) cache_.clear();
  TextCell cell = work(pixels);
  cache_.emplace(pixels, cell);
  return cell;
}

void CellMapper::readPage(const Screen& screen, TextPage& out) {
  const std::uint8_t* page = screen.page(screen.visiblePage());
  for (int row = 0; row < Screen::textRows; ++row) {
    for (int col = 0; col < Screen::textCols; ++col) {
      out[row * Screen::textCols + col] = cellAt(page, col * 8, row * 8);
    }
  }
}

std::string textOfPage(const TextPage& page) {
  std::string text;
  text.reserve(page.size() * 3 + Screen::textRows);
  for (int row = 0; row < Screen::textRows; ++row) {
    for (int col = 0; col < Screen::textCols; ++col) {
      appendUtf8(text, unicodeOfCp437(page[row * Screen::textCols + col].code));
    }
    text += '\n';
  }
  return text;
}

}  // namespace dw
