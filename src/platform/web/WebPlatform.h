#pragma once

#include <cstdint>

#include "platform/Platform.h"
#include "platform/ShellFront.h"

namespace dw {

// The game in a browser page: shows the visible page on the page's canvas,
// takes the keys the page script collects and waits for the next one without
// holding the browser (the wait suspends the game until a key arrives).
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

  // --- around the game (ShellFront) ---------------------------------------
  // The page opens the panels on F1 and F2 (or its Keys and Log buttons) and
  // shows them, and the notices, over the canvas: the canvas itself only
  // ever holds the game's page.
  FrontKind frontKind() const override { return FrontKind::page; }
  Platform& gamePlatform() override { return *this; }
  void setShellEvents(ShellEvents* events) override { shell_ = events; }
  void setNotice(const std::string& notice) override;
  void setWatchStatus(const std::string& status) override;
  void tell(const std::string& message) override;
  void showBanner(const std::string& text) override;
  bool panelOpen() const override { return panelOpen_; }

  // Tells the page that the game has ended with this exit code and waits
  // until the player asks for a new one.
  static void waitForRestart(int exitCode);

 protected:
  // The browser's clock, in the player's own time zone.
  double readTimer() override;
  ClockTime readLocalTime() override;
  void pumpEvents() override;
  // A page can always receive another key, so this only returns once one
  // has arrived.
  bool waitEvents() override;

 private:
  void openPanel(PanelKind kind);

  ShellEvents* shell_ = nullptr;
  bool panelOpen_ = false;
  std::uint64_t shownChanges_ = 0;
  bool shownOnce_ = false;
};

}  // namespace dw
