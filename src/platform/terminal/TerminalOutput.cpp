#include "platform/terminal/TerminalOutput.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "platform/Cp437.h"

namespace dw {

namespace {

// The game's colours 0..7 are black, blue, green, cyan, red, magenta, brown,
// grey; a terminal numbers the same colours black, red, green, yellow, blue,
// magenta, cyan, white.
constexpr std::array<int, 8> ansiOfColour = {0, 4, 2, 6, 1, 5, 3, 7};

int distance2(const Rgb& a, const Rgb& b) {
  int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
  return dr * dr + dg * dg + db * db;
}

// The nearest of the game's first 16 colours.
int nearest16(const Rgb& c, const Palette& palette) {
  int best = 0;
  for (int i = 1; i < 16; ++i) {
    if (distance2(c, palette[i]) < distance2(c, palette[best])) best = i;
  }
  return best;
}

// The nearest colour of the 256-colour terminal's cube and grey ramp (its
// first 16 are left alone: terminals let their users change them).
int nearest256(const Rgb& c) {
  static constexpr std::array<int, 6> levels = {0, 95, 135, 175, 215, 255};
  auto level = [](int v) {
    int best = 0;
    for (int i = 1; i < 6; ++i) {
      if (std::abs(v - levels[i]) < std::abs(v - levels[best])) best = i;
    }
    return best;
  };
  int r = level(c.r), g = level(c.g), b = level(c.b);
  Rgb cube{static_cast<std::uint8_t>(levels[r]), static_cast<std::uint8_t>(levels[g]),
           static_cast<std::uint8_t>(levels[b])};
  int grey = std::clamp(((c.r + c.g + c.b) / 3 - 3) / 10, 0, 23);
  auto greyValue = static_cast<std::uint8_t>(8 + 10 * grey);
  Rgb ramp{greyValue, greyValue, greyValue};
  if (distance2(c, ramp) < distance2(c, cube)) return 232 + grey;
  return 16 + 36 * r + 6 * g + b;
}

int readLe(const std::string& data, std::size_t at, int size) {
  if (size == 2) {
    auto v = static_cast<std::int16_t>(static_cast<unsigned char>(data[at]) |
                                       (static_cast<unsigned char>(data[at + 1]) << 8));
    return v;
  }
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(data[at + i]);
  return static_cast<std::int32_t>(v);
}

// The "colors" number of a compiled terminfo entry, -1 when it has none.
int coloursOfEntry(const std::string& data) {
  constexpr int coloursIndex = 13;
  if (data.size() < 12) return -1;
  int magic = readLe(data, 0, 2);
  int numberSize = magic == 0432 ? 2 : magic == 01036 ? 4 : 0;
  int nameSize = readLe(data, 2, 2), boolCount = readLe(data, 4, 2), numCount = readLe(data, 6, 2);
  if (numberSize == 0 || nameSize < 0 || boolCount < 0 || numCount <= coloursIndex) return -1;
  std::size_t at = 12 + static_cast<std::size_t>(nameSize) + static_cast<std::size_t>(boolCount);
  at += at % 2;
  at += static_cast<std::size_t>(coloursIndex) * numberSize;
  if (at + numberSize > data.size()) return -1;
  int colours = readLe(data, at, numberSize);
  return colours < 0 ? -1 : colours;
}

}  // namespace

int terminfoColours(const char* term) {
  if (term == nullptr || *term == '\0' || *term == '.' || std::strchr(term, '/') != nullptr)
    return -1;
  std::vector<std::string> folders;
  if (const char* own = std::getenv("TERMINFO"); own && *own) folders.emplace_back(own);
  if (const char* home = std::getenv("HOME"); home && *home)
    folders.push_back(std::string(home) + "/.terminfo");
  if (const char* list = std::getenv("TERMINFO_DIRS"); list && *list) {
    std::stringstream in(list);
    for (std::string folder; std::getline(in, folder, ':');)
      folders.push_back(folder.empty() ? "/usr/share/terminfo" : folder);
  }
  for (const char* system : {"/etc/terminfo", "/lib/terminfo", "/usr/share/terminfo"})
    folders.emplace_back(system);
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(term[0]));
  for (const auto& folder : folders) {
    for (const std::string& sub : {std::string(1, term[0]), std::string(hex)}) {
      std::ifstream in(folder + "/" + sub + "/" + term, std::ios::binary);
      if (!in) continue;
      // Entries are a few kilobytes; anything larger is no entry.
      std::string data(65536, '\0');
      in.read(data.data(), static_cast<std::streamsize>(data.size()));
      data.resize(static_cast<std::size_t>(in.gcount()));
      return coloursOfEntry(data);
    }
  }
  return -1;
}

ColourDepth colourDepthFor(const char* colorterm, const char* term, int terminfoColours) {
  if (colorterm &&
      (std::strcmp(colorterm, "truecolor") == 0 || std::strcmp(colorterm, "24bit") == 0))
    return ColourDepth::direct;
  if (terminfoColours >= 0x1000000) return ColourDepth::direct;
  if (terminfoColours >= 256) return ColourDepth::indexed256;
  if (term && std::strstr(term, "256color")) return ColourDepth::indexed256;
  return ColourDepth::ansi16;
}

void TerminalPainter::colour(std::string& out, int index, bool background,
                             const Palette& palette) const {
  const Rgb& c = palette[static_cast<std::size_t>(index)];
  switch (style_.colours) {
    case ColourDepth::ansi16: {
      int e = index < 16 ? index : nearest16(c, palette);
      int base = (e >= 8 ? 90 : 30) + (background ? 10 : 0);
      out += std::to_string(base + ansiOfColour[e & 7]);
      return;
    }
    case ColourDepth::indexed256:
      out += background ? "48;5;" : "38;5;";
      out += std::to_string(nearest256(c));
      return;
    case ColourDepth::direct:
      out += background ? "48;2;" : "38;2;";
      out += std::to_string(c.r) + ";" + std::to_string(c.g) + ";" + std::to_string(c.b);
      return;
  }
}

void TerminalPainter::colours(std::string& out, int fg, int bg, const Palette& palette) {
  if (fg == fg_ && bg == bg_) return;
  out += "\x1b[";
  if (fg != fg_) colour(out, fg, false, palette);
  if (bg != bg_) {
    if (fg != fg_) out += ';';
    colour(out, bg, true, palette);
  }
  out += 'm';
  fg_ = fg;
  bg_ = bg;
}

std::string TerminalPainter::update(const TextPage& page, const Palette& palette, bool everything) {
  std::string out;
  bool all = everything || !known_;
  if (all) {
    out += "\x1b[0m\x1b[2J";
    fg_ = bg_ = -1;
  }
  int row = -1, col = -1;  // where the cursor is, once known
  for (std::size_t i = 0; i < page.size(); ++i) {
    if (!all && page[i] == shown_[i]) continue;
    int r = static_cast<int>(i) / Screen::textCols, c = static_cast<int>(i) % Screen::textCols;
    if (r != row || c != col) {
      if (r == row && c > col) {
        out += "\x1b[" + (c - col == 1 ? std::string() : std::to_string(c - col)) + "C";
      } else {
        out += "\x1b[" + std::to_string(r + 1) + ";" + std::to_string(c + 1) + "H";
      }
    }
    const TextCell& cell = page[i];
    int fg = cell.fg, bg = cell.bg;
    if (style_.utf8) {
      char32_t ch = unicodeOfCp437(cell.code);
      if (ch == ' ' && fg_ >= 0) fg = fg_;  // a blank shows no ink
      colours(out, fg, bg, palette);
      appendUtf8(out, ch);
    } else {
      char ch = asciiOfCp437(cell.code);
      if (cell.code == 219) bg = fg;  // the full block: a blank in its colour
      if (ch == ' ' && fg_ >= 0) fg = fg_;
      colours(out, fg, bg, palette);
      out += ch;
    }
    row = r;
    col = c + 1;
  }
  shown_ = page;
  known_ = true;
  return out;
}

std::string tooSmallMessage(int columns, int rows) {
  // A size stays on one line: its blanks are joined until the lines are made.
  auto size = [](int w, int h) { return std::to_string(w) + "\x01x\x01" + std::to_string(h); };
  std::string text = "Duskwarren needs a terminal of at least " +
                     size(Screen::textCols, Screen::textRows) + " characters; this one is " +
                     size(columns, rows) +
                     ". Make it larger to go on playing, or press Ctrl+C to quit.";
  std::size_t width = static_cast<std::size_t>(std::max(columns, 1));
  std::vector<std::string> lines{""};
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    while (word.size() > width) {
      if (!lines.back().empty()) lines.emplace_back();
      lines.back() = word.substr(0, width);
      word.erase(0, width);
      lines.emplace_back();
    }
    if (word.empty()) continue;
    if (!lines.back().empty() && lines.back().size() + 1 + word.size() > width)
      lines.emplace_back();
    if (!lines.back().empty()) lines.back() += ' ';
    lines.back() += word;
  }
  if (lines.back().empty()) lines.pop_back();
  for (auto& line : lines) std::replace(line.begin(), line.end(), '\x01', ' ');
  std::string out = "\x1b[0m\x1b[2J";
  int shown = std::min(static_cast<int>(lines.size()), std::max(rows, 1));
  for (int i = 0; i < shown; ++i) {
    out += "\x1b[" + std::to_string(i + 1) + ";1H" + lines[static_cast<std::size_t>(i)];
  }
  return out;
}

}  // namespace dw
