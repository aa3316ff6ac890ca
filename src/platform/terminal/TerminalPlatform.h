#pragma once

#include <signal.h>
#include <termios.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Platform.h"
#include "platform/ShellFront.h"
#include "platform/terminal/CellMapper.h"
#include "platform/terminal/KeyDecoder.h"
#include "platform/terminal/TerminalOutput.h"

namespace dw {

// The game in the terminal it was started in: the visible page read as 40 x
// 25 characters on the alternate screen, keys read raw. The terminal is given
// back as it was on every way out: the end of the game, Ctrl+C, a hang-up, a
// termination request and a crash. A terminal smaller than the game gets a
// message instead until it is large enough again.
class TerminalPlatform : public Platform, public ShellFront {
 public:
  // Takes over the terminal on standard input and output; nothing (and the
  // reason in error) when they are no terminal or another game holds it.
  // colours, when given, is the player's choice over what the terminal
  // announces.
  static std::unique_ptr<TerminalPlatform> open(std::string& error,
                                                std::optional<ColourDepth> colours = {});
  ~TerminalPlatform() override;
  TerminalPlatform(const TerminalPlatform&) = delete;
  TerminalPlatform& operator=(const TerminalPlatform&) = delete;

  // The picture of a glyph code's tile, so that cells showing it read as that
  // code in the tile's colours.
  void addTilePicture(std::uint8_t code, const Image& picture);

  // Draws the cells that changed, at most every few milliseconds while the
  // game is busy; whatever shows when the game starts to wait is drawn.
  void present() override;

  // The signal that ended the game (SIGINT for Ctrl+C, SIGTERM, SIGHUP), or
  // 0. The caller raises it again once the terminal is given back, so the
  // shell learns how the game ended.
  int endingSignal() const { return endingSignal_; }
  // Gives the terminal back now (also done on destruction).
  void close();

  // --- around the game (ShellFront, TerminalPanels.cpp) ---------------------
  // The keys of the terminal's own table (setFrontKeys) open the panels and
  // ask for a picture; none of them reaches the game.
  // Notices show on the row below the game where the terminal has one, else
  // in its title.
  FrontKind frontKind() const override { return FrontKind::terminal; }
  Platform& gamePlatform() override { return *this; }
  void setShellEvents(ShellEvents* events) override;
  void setNotice(const std::string& notice) override;
  void setWatchStatus(const std::string& status) override;
  void tell(const std::string& message) override;
  void showBanner(const std::string& text) override;
  bool panelOpen() const override { return panelOpen_; }
  std::vector<OverlayLine> helpLegend(const std::vector<GlyphName>& glyphs) const override;

 protected:
  double readTimer() override;
  ClockTime readLocalTime() override;
  void pumpEvents() override;
  bool waitEvents() override;
  bool waitEventsFor(int ms) override;

 private:
  TerminalPlatform() = default;
  bool start(std::string& error, std::optional<ColourDepth> colours);
  // Around the game (TerminalPanels.cpp).
  bool frontKey(const std::string& key);
  int panelStep(const std::string& key) const;
  std::string panelKeysLine() const;
  void openPanel(PanelKind kind);
  void decorate(TextPage& page) const;
  std::string statusBytes(bool everything);
  void frontChanged() { frontDirty_ = true; }
  void enter();
  void leave();
  void checkSize();
  void draw(bool everything);
  void write(const std::string& bytes);
  // Reads what has arrived, waiting at most timeoutMs (-1: until something
  // comes). False when no key can come any more.
  bool service(int timeoutMs);
  void installHandlers();
  void handleSignals();
  void deliver(std::vector<std::string>& keys);
  void suspend();
  std::int64_t nowMs() const;

  CellMapper mapper_;
  KeyDecoder decoder_;
  TerminalPainter painter_{TerminalStyle{}};
  TextPage page_{};
  std::array<int, 2> wakePipe_{-1, -1};
  std::vector<std::pair<int, struct sigaction>> previousActions_;
  struct termios saved_ {};
  bool active_ = false;
  bool closed_ = false;
  // A shell will let the game go on after a stop (see installHandlers).
  bool jobControl_ = true;
  bool tooSmall_ = false;
  bool needsAll_ = true;
  int columns_ = 0, rows_ = 0;
  int endingSignal_ = 0;
  std::uint64_t shownChanges_ = 0;
  bool dirty_ = true;
  std::int64_t lastDrawMs_ = 0;
  std::int64_t escapeDeadlineMs_ = 0;

  ShellEvents* shell_ = nullptr;
  std::unordered_map<std::uint8_t, TextCell> tileCells_;
  bool panelOpen_ = false;
  PanelKind panelKind_ = PanelKind::keyHelp;
  OverlayContent panel_;
  std::vector<OverlayLine> panelRows_;  // the panel's lines wrapped to its width
  PanelRows panelLines_;                // where each of its lines begins among them
  int panelTop_ = 0;
  int panelChosen_ = -1;  // the choice highlighted in a pick list
  std::string notice_, watchStatus_, told_, banner_;
  std::int64_t toldUntilMs_ = 0;
  std::string shownStatus_;
  bool titleUsed_ = false;
  bool frontDirty_ = false;
};

}  // namespace dw
