// The terminal's panels (key help, message log), its notices and the notice
// over the picture: drawn over the text of the page, never on the game's own
// pages, and none of their keys reach the game.
#include <algorithm>
#include <optional>
#include <utility>

#include "platform/Cp437.h"
#include "platform/terminal/TerminalPlatform.h"

namespace dw {

namespace {

// How long what the shell tells stays on the notice row (or a key clears it).
constexpr std::int64_t tellMilliseconds = 4000;
constexpr int cols = Screen::textCols, rows = Screen::textRows;
// The frame sits one cell inside the page's edge, as the window's does.
constexpr int frameLeft = 1, frameRight = cols - 2, bodyRows = rows - 4;
constexpr int bodyCols = frameRight - frameLeft - 3;
constexpr std::uint8_t frameColour = 3, titleColour = 14, footerColour = 7, noticeColour = 12;
constexpr std::uint8_t chosenColour = 1;  // the paper behind a pick list's highlight
constexpr std::uint8_t boxTopLeft = 218, boxTopRight = 191, boxBottomLeft = 192,
                       boxBottomRight = 217, boxHorizontal = 196, boxVertical = 179;

std::string key(char code) {
  return std::string{'\0', code};
}

void put(TextPage& page, int row, int col, std::string_view text, std::uint8_t fg) {
  for (std::size_t i = 0; i < text.size() && col + static_cast<int>(i) < cols; ++i) {
    page[row * cols + col + static_cast<int>(i)] = {static_cast<std::uint8_t>(text[i]), fg, 0};
  }
}

std::string utf8Of(const std::string& cp437) {
  std::string out;
  for (char c : cp437) appendUtf8(out, unicodeOfCp437(static_cast<std::uint8_t>(c)));
  return out;
}

}  // namespace

void TerminalPlatform::addTilePicture(std::uint8_t code, const Image& picture) {
  mapper_.addTile(code, picture);
  if (picture.width == 8 && picture.height == 8)
    tileCells_[code] = CellMapper::tileCell(code, picture);
}

void TerminalPlatform::setShellEvents(ShellEvents* events) {
  shell_ = events;
  if (shell_ == nullptr) panelOpen_ = false;
  frontChanged();
}

void TerminalPlatform::setNotice(const std::string& notice) {
  if (notice == notice_) return;
  notice_ = notice;
  frontChanged();
}

void TerminalPlatform::setWatchStatus(const std::string& status) {
  watchStatus_ = status;
  frontChanged();
}

void TerminalPlatform::tell(const std::string& message) {
  told_ = message;
  toldUntilMs_ = nowMs() + tellMilliseconds;
  frontChanged();
}

void TerminalPlatform::showBanner(const std::string& text) {
  if (text == banner_) return;
  banner_ = text;
  frontChanged();
}

std::vector<OverlayLine> TerminalPlatform::helpLegend(const std::vector<GlyphName>& glyphs) const {
  std::vector<OverlayLine> lines;
  for (const GlyphName& glyph : glyphs) {
    auto cell = tileCells_.find(glyph.code);
    TextCell shown = cell != tileCells_.end() ? cell->second : TextCell{glyph.code, 7, 0};
    // Ink the colour of black shows in its paper's colour on the panel.
    std::uint8_t colour = shown.fg != 0 ? shown.fg : shown.bg;
    lines.push_back({std::string(1, static_cast<char>(shown.code)), glyph.name, colour, 15});
  }
  return lines;
}

// The keys of the panels; true when the key was one, and so never reaches
// the game (a recording made with panels replays alike).
bool TerminalPlatform::frontKey(const std::string& k) {
  if (!told_.empty()) {
    told_.clear();
    toldUntilMs_ = 0;
    frontChanged();
  }
  if (shell_ == nullptr) return false;
  auto action = ownAction(nameOfKey(k));
  auto asked = action ? panelOf(*action) : std::nullopt;
  if (!panelOpen_) {
    if (action == FrontAction::picture) {
      shell_->pictureAsked(screen(), 1);
      return true;
    }
    if (!asked) return false;
    openPanel(*asked);
    return true;
  }
  frontChanged();
  if (int step = panelStep(k); step != 0) {
    PanelPlace place = movePanel(panel_, panelLines_, bodyRows, {panelTop_, panelChosen_}, step);
    panelTop_ = place.top;
    panelChosen_ = place.chosen;
  } else if (asked && *asked != panelKind_) {
    openPanel(*asked);
  } else {
    panelOpen_ = false;  // any other key closes the panel
    // Enter in a pick list picks the choice highlighted.
    if (!panel_.choices.empty() && k == std::string(1, enterKey))
      shell_->panelPicked(panelKind_, panelChosen_);
  }
  return true;
}

// How far a key under the panel moves it (0: not at all): the arrows a line,
// PageUp, PageDown, Left and Right a page; in a pick list 8 and 2 a line,
// as they walk in the game.
int TerminalPlatform::panelStep(const std::string& k) const {
  bool picking = !panel_.choices.empty();
  if (k == key(extendedKey::up) || (picking && k == "8")) return -1;
  if (k == key(extendedKey::down) || (picking && k == "2")) return 1;
  if (k == key(extendedKey::pageUp) || k == key(extendedKey::left)) return -(bodyRows - 1);
  if (k == key(extendedKey::pageDown) || k == key(extendedKey::right)) return bodyRows - 1;
  return 0;
}

void TerminalPlatform::openPanel(PanelKind kind) {
  panel_ = shell_->panel(kind);
  panelKind_ = kind;
  panelOpen_ = true;
  panelRows_.clear();
  panelLines_ = {};
  std::size_t labelWidth = 0;
  for (const OverlayLine& line : panel_.lines) labelWidth = std::max(labelWidth, line.label.size());
  labelWidth = std::min<std::size_t>(labelWidth, bodyCols / 2);
  int textWidth = bodyCols - static_cast<int>(labelWidth > 0 ? labelWidth + 1 : 0);
  for (const OverlayLine& line : panel_.lines) {
    panelLines_.firstRows.push_back(static_cast<int>(panelRows_.size()));
    auto pieces = wrapPanelText(line.text, line.heading ? bodyCols : textWidth);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      OverlayLine row = line;
      row.label = i == 0 ? line.label.substr(0, labelWidth) : std::string();
      // The text starts where labels end; the label is written over its start.
      std::size_t indent = line.heading || labelWidth == 0 ? 0 : labelWidth + 1;
      row.text = std::string(indent, ' ') + pieces[i];
      panelRows_.push_back(row);
    }
  }
  panelLines_.count = static_cast<int>(panelRows_.size());
  int last = std::max(0, static_cast<int>(panelRows_.size()) - bodyRows);
  panelTop_ = panel_.pageable && !panel_.opensAtTop ? last : 0;
  panelChosen_ = panel_.choices.empty() ? -1 : 0;
  frontChanged();
}

void TerminalPlatform::decorate(TextPage& page) const {
  if (!banner_.empty() && !panelOpen_) {
    auto lines = wrapPanelText(banner_, bodyCols);
    int top = (rows - static_cast<int>(lines.size())) / 2 - 1;
    for (int r = top; r < top + static_cast<int>(lines.size()) + 2; ++r) {
      for (int c = frameLeft; c <= frameRight; ++c) page[r * cols + c] = {' ', noticeColour, 0};
    }
    for (int c = frameLeft + 1; c < frameRight; ++c) {
      page[top * cols + c].code = boxHorizontal;
      page[(top + static_cast<int>(lines.size()) + 1) * cols + c].code = boxHorizontal;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
      int col =
          frameLeft + 1 + (frameRight - frameLeft - 1 - static_cast<int>(lines[i].size())) / 2;
      put(page, top + 1 + static_cast<int>(i), col, lines[i], noticeColour);
    }
  }
  if (!panelOpen_) return;
  for (TextCell& cell : page) cell = {cell.code, 8, 0};  // the picture behind, dimmed
  int shown = std::min(static_cast<int>(panelRows_.size()), bodyRows);
  if (panel_.pageable) shown = bodyRows;
  shown = std::max(shown, 1);
  int top = 1 + (bodyRows - shown) / 2, bottom = top + shown + 1;
  for (int r = top; r <= bottom; ++r) {
    for (int c = frameLeft; c <= frameRight; ++c) page[r * cols + c] = {' ', 7, 0};
    bool edge = r == top || r == bottom;
    page[r * cols + frameLeft] = {edge ? (r == top ? boxTopLeft : boxBottomLeft) : boxVertical,
                                  frameColour, 0};
    page[r * cols + frameRight] = {edge ? (r == top ? boxTopRight : boxBottomRight) : boxVertical,
                                   frameColour, 0};
    for (int c = frameLeft + 1; edge && c < frameRight; ++c)
      page[r * cols + c] = {boxHorizontal, frameColour, 0};
  }
  put(page, top, frameLeft + 2, " " + panel_.title + " ", titleColour);
  put(page, bottom, frameLeft + 2, " " + panel_.footer + " ", footerColour);
  if (panelRows_.empty()) put(page, top + 1, frameLeft + 2, panel_.empty, footerColour);
  auto [chosenFirst, chosenEnd] =
      panelChosen_ >= 0 ? rowsOfChoice(panel_, panelLines_, panelChosen_) : std::pair{0, 0};
  for (int i = 0; i < shown && panelTop_ + i < static_cast<int>(panelRows_.size()); ++i) {
    const OverlayLine& row = panelRows_[panelTop_ + i];
    put(page, top + 1 + i, frameLeft + 2, row.text, row.heading ? titleColour : row.textColour);
    put(page, top + 1 + i, frameLeft + 2, row.label, row.labelColour);
    // The choice highlighted in a pick list: its rows on the highlight's paper.
    if (panelTop_ + i < chosenFirst || panelTop_ + i >= chosenEnd) continue;
    for (int c = frameLeft + 1; c < frameRight; ++c)
      page[(top + 1 + i) * cols + c].bg = chosenColour;
  }
}

// The keys of the key help and the message log, as the row below the game
// names them when it has nothing else to say.
std::string TerminalPlatform::panelKeysLine() const {
  std::string line;
  for (auto [action, what] : {std::pair{FrontAction::keyHelp, ": keys"},
                              std::pair{FrontAction::messageLog, ": messages"}}) {
    if (const FrontKey* row = rowOf(frontKeys(), action))
      line += (line.empty() ? "" : ", ") + keyNames(*row, " or ") + what;
  }
  return line;
}

// The notice row below the game, or the terminal's title where there is no
// such row: what was just told, else the watching and the party's notice.
std::string TerminalPlatform::statusBytes(bool everything) {
  std::string status = told_;
  if (status.empty()) {
    status = watchStatus_;
    if (!notice_.empty()) status += (status.empty() ? "" : " - ") + utf8Of(notice_);
  }
  if (shell_ != nullptr && status.empty()) status = panelKeysLine();
  // The row holds what fits, cut at a word; the log keeps the whole of it.
  if (rows_ > rows) status = fitToRow(status, columns_);
  if (!everything && status == shownStatus_) return "";
  shownStatus_ = status;
  if (rows_ > rows) {
    return "\x1b[0m\x1b[" + std::to_string(rows + 1) + ";1H\x1b[2K\x1b[91m" + status + "\x1b[0m";
  }
  std::string out = titleUsed_ ? "" : "\x1b[22;0t";  // keeps the terminal's own title
  titleUsed_ = true;
  return out + "\x1b]2;Duskwarren" + (status.empty() ? "" : " - " + status) + "\x07";
}

}  // namespace dw
