#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/ShellFront.h"

namespace dw {

// The game in a browser page: shows the visible page on the page's canvas,
// takes the keys the page script collects and waits for the next one without
// holding the browser (the wait suspends the game until a key arrives). As
// the shell's front-end it shows panels, notices and the watching status in
// the page, and hands the page what it keeps and reads aloud.
class WebPlatform : public Platform, public ShellFront {
 public:
  WebPlatform();

  // Hides the mouse pointer over the picture.
  void hideMouse() override;
  // Shows the picture (palette indices, colour 0 clear) as the page's icon.
  void setIcon(const Image& icon);
  // Draws the visible page on the canvas if it changed since it was last
  // drawn.
  void present() override;

  // Tells the page that the game has ended with this exit code and waits
  // until the player asks for a new one.
  static void waitForRestart(int exitCode);

  // --- what the page keeps and reads aloud --------------------------------
  // The run's recording as the page keeps it (empty when there is none);
  // waits for the browser's storage, and for the player when another tab
  // plays the run (it is taken over, or there is none).
  static std::string keptRun();
  // The newest checkpoint the page keeps beside that run (empty: none).
  static std::string keptCheckpoint();
  // Keeps a checkpoint of the run being kept beside it, in place of the
  // one before.
  static void keepCheckpoint(const std::string& bytes);
  // The run keptRun() gave cannot be taken up, for this reason: the page
  // names it and offers it for download.
  static void keptRunRefused(const std::string& reason);
  // The kept run was caught up from its checkpoint, or from its start.
  static void caughtUp(bool fromCheckpoint);
  // A recording the player chose to watch, handed over at most once.
  static std::optional<std::string> recordingToWatch();
  // Its file name, made safe to use as one.
  static std::string watchedName();
  // Begins a new kept run, then adds recording text to it.
  static void beginKeptRun();
  static void keepRunText(const std::string& text);
  // Goes on adding to the run keptRun() gave, from its first keptBytes
  // bytes (what came after them, the key that ended it, is dropped).
  static void goOnWithKeptRun(std::uint64_t keptBytes);
  // What a screen reader reads after a turn: its messages (code-page-437
  // text) and the status: the member's name, then Hp, Ap, Dp, Mp, the
  // level, Gold, Keys and Bombs.
  struct TurnStatus {
    std::string member;
    std::array<std::int64_t, 8> values{};
  };
  static void tellTurn(const std::vector<std::string>& messages, const TurnStatus& status);
  // The summary of the run being kept (a summary file's text), kept beside
  // it for the list of runs; and the one kept with the run keptRun() gave.
  static void keepSummary(const std::string& text);
  static std::string keptSummary();
  // A recording the player chose to continue, handed over at most once;
  // watchedName() gives its file name.
  static std::optional<std::string> recordingToContinue();
  // The run last played of those the page keeps, when no run is being
  // played: its file name as the game names its runs, its recording and
  // the summary kept with it.
  struct KeptFile {
    std::string name, text, summary;
  };
  static std::optional<KeptFile> lastKeptRun();
  // A run the shell took up (a file, or the run the start screen offered)
  // is kept from now on as its whole recording, under the game's name.
  static void adoptRun(const std::string& text, bool offered);

  // --- the shell's front-end ----------------------------------------------
  FrontKind frontKind() const override { return FrontKind::page; }
  Platform& gamePlatform() override { return *this; }
  void setShellEvents(ShellEvents* events) override { events_ = events; }
  void setNotice(const std::string& notice) override;
  void setWatchStatus(const std::string& status) override;
  void tell(const std::string& message) override;
  void showBanner(const std::string& text) override;
  void showStartHint(const std::vector<std::string>& lines) override;
  bool panelOpen() const override;

 protected:
  // Hands the page's script the page's own keys and the numbers that ask
  // for what they do.
  void frontKeysChanged() override;
  // The browser's clock, in the player's own time zone.
  double readTimer() override;
  ClockTime readLocalTime() override;
  void pumpEvents() override;
  // A page can always receive another key, so this only returns once one
  // has arrived.
  bool waitEvents() override;
  bool waitEventsFor(int ms) override;

 private:
  void openPanel(PanelKind which);
  void request(FrontAction action);
  void padItem(int item);

  std::uint64_t shownChanges_ = 0;
  bool shownOnce_ = false;
  // The notice changed since the page last had a moment to show it.
  std::string notice_;
  bool noticeChanged_ = false;
  ShellEvents* events_ = nullptr;
};

}  // namespace dw
