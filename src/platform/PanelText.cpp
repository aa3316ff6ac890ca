#include "platform/PanelText.h"

#include <algorithm>
#include <utility>

namespace dw {

namespace {

// A piece the wrapping keeps whole if it can, and whether a space stood
// before it (else it follows the piece before at once, as "][" does).
struct Piece {
  std::string_view text;
  bool spaceBefore = false;
};

// Where the text may break: at spaces outside brackets, and where one
// bracketed piece ends and the next begins.
std::vector<Piece> piecesOf(std::string_view text) {
  std::vector<Piece> pieces;
  std::size_t start = 0;
  int depth = 0;
  bool space = false;
  auto close = [&](std::size_t end) {
    if (end > start) pieces.push_back({text.substr(start, end - start), space});
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == ' ' && depth == 0) {
      close(i);
      start = i + 1;
      space = true;
      continue;
    }
    if (c == '[' && depth == 0 && i > start && text[i - 1] == ']') {
      close(i);
      start = i;
      space = false;
    }
    if (c == '[') ++depth;
    if (c == ']' && depth > 0) --depth;
  }
  close(text.size());
  return pieces;
}

class LineFiller {
 public:
  explicit LineFiller(int width) : width_(static_cast<std::size_t>(width)) {}

  void add(std::string_view word, bool spaceBefore) {
    while (!word.empty()) {
      std::size_t joint = line_.empty() ? 0 : (spaceBefore ? 1 : 0);
      if (line_.size() + joint + word.size() <= width_) {
        line_.append(joint, ' ');
        line_ += word;
        return;
      }
      if (!line_.empty()) {
        lines_.push_back(std::exchange(line_, std::string()));
      } else {
        // A word wider than a line is cut where the line ends.
        lines_.emplace_back(word.substr(0, width_));
        word.remove_prefix(width_);
      }
    }
  }

  std::vector<std::string> finish() {
    if (!line_.empty() || lines_.empty()) lines_.push_back(std::move(line_));
    return std::move(lines_);
  }

 private:
  std::size_t width_;
  std::string line_;
  std::vector<std::string> lines_;
};

std::size_t columnsOf(std::string_view utf8) {
  return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// The bytes of the first `columns` characters of UTF-8 text.
std::size_t bytesOfColumns(std::string_view utf8, std::size_t columns) {
  std::size_t i = 0;
  for (std::size_t seen = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && seen++ == columns) break;
  }
  return i;
}

}  // namespace

std::vector<std::string> wrapPanelText(std::string_view text, int width) {
  LineFiller filler(std::max(width, 1));
  for (const Piece& piece : piecesOf(text)) {
    if (static_cast<int>(piece.text.size()) <= width || piece.text.find(' ') == piece.text.npos) {
      filler.add(piece.text, piece.spaceBefore);
      continue;
    }
    // A bracketed piece wider than a line breaks at its own spaces.
    bool space = piece.spaceBefore;
    std::string_view rest = piece.text;
    while (!rest.empty()) {
      std::size_t end = std::min(rest.find(' '), rest.size());
      if (end > 0) filler.add(rest.substr(0, end), space);
      space = true;
      rest.remove_prefix(std::min(end + 1, rest.size()));
    }
  }
  return filler.finish();
}

std::string fitToRow(std::string_view text, int width) {
  if (width <= 0) return {};
  std::size_t room = static_cast<std::size_t>(width);
  if (columnsOf(text) <= room) return std::string(text);
  const std::string ellipsis = "\xe2\x80\xa6";
  std::string_view kept = text.substr(0, bytesOfColumns(text, room - 1));
  std::size_t space = kept.find_last_of(' ');
  if (space != kept.npos && text[kept.size()] != ' ') kept = kept.substr(0, space);
  while (!kept.empty() && (kept.back() == ' ' || kept.back() == ',' || kept.back() == ':'))
    kept.remove_suffix(1);
  return std::string(kept) + ellipsis;
}

int choiceOfLine(const OverlayContent& content, int line) {
  int choice = -1;
  for (std::size_t c = 0; c < content.choices.size() && content.choices[c] <= line; ++c)
    choice = static_cast<int>(c);
  return choice;
}

std::pair<int, int> rowsOfChoice(const OverlayContent& content, const PanelRows& rows, int choice) {
  auto rowOfLine = [&rows](int line) {
    return line < static_cast<int>(rows.firstRows.size()) ? rows.firstRows[line] : rows.count;
  };
  int last = static_cast<int>(content.choices.size()) - 1;
  return {rowOfLine(content.choices[choice]),
          choice < last ? rowOfLine(content.choices[choice + 1]) : rows.count};
}

PanelPlace movePanel(const OverlayContent& content, const PanelRows& rows, int height,
                     PanelPlace place, int step) {
  int lastTop = std::max(0, rows.count - height);
  if (content.choices.empty()) {
    place.top = std::clamp(place.top + step, 0, lastTop);
    return place;
  }
  int choices = static_cast<int>(content.choices.size());
  if (step == 1 || step == -1) {
    place.chosen = std::clamp(place.chosen + step, 0, choices - 1);
  } else {
    // The choice a page away from the one highlighted.
    int row = std::clamp(rowsOfChoice(content, rows, place.chosen).first + step, 0,
                         std::max(0, rows.count - 1));
    int line = 0;
    while (line + 1 < static_cast<int>(rows.firstRows.size()) && rows.firstRows[line + 1] <= row)
      ++line;
    place.chosen = std::clamp(choiceOfLine(content, line), 0, choices - 1);
  }
  auto [first, end] = rowsOfChoice(content, rows, place.chosen);
  // The lines before the first choice come into view with it.
  if (place.chosen == 0) first = 0;
  if (end > place.top + height) place.top = end - height;
  if (first < place.top) place.top = first;
  place.top = std::clamp(place.top, 0, lastTop);
  return place;
}

}  // namespace dw
