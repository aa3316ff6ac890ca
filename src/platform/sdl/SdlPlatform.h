#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/ShellFront.h"
#include "platform/sdl/KeyTranslator.h"
#include "platform/sdl/Overlay.h"
#include "platform/sdl/SdlPads.h"
#include "platform/sdl/ViewLayout.h"

namespace dw {

// The game in a desktop window: shows the visible page scaled up sharply,
// turns key presses into key strings and sleeps while the game waits.
class SdlPlatform : public Platform, public ShellFront {
 public:
  // Why the window could not be opened.
  struct OpenFailure {
    // No desktop to show a window on (no display named, or none that
    // answers); reason says which.
    bool noDisplay = false;
    std::string reason;
  };
  // Opens the window and waits until the desktop shows it; nothing (and why
  // in failure) when there is no display to open it on or the desktop does
  // not show it in time.
  static std::unique_ptr<SdlPlatform> open(OpenFailure& failure);
  static std::unique_ptr<SdlPlatform> open(std::string& error);
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  // Shows an image of colours 0..15 as the window's icon, colour 0 clear.
  // The game gives it: the backend knows nothing of tiles.
  void setIcon(const Image& image);

  void hideMouse() override;
  // Shows the visible page if it changed, at most at display pace; whatever
  // is on it when the game starts to wait is always shown.
  void present() override;

  // The window's view options, also for tests of the window.
  bool aspectCorrected() const { return aspect_; }
  bool fullscreen() const;
  // False once the player has closed the window.
  bool windowOpen() const { return !closed_; }

  // --- around the game: panels, notices, pictures (ShellFront) ------------
  // None of these reach the game: its keys, pages and state stay untouched.
  // F1 and F2 open the panels the shell fills, F12 asks it for a picture;
  // the title names F1 once the shell listens.
  FrontKind frontKind() const override { return FrontKind::window; }
  Platform& gamePlatform() override { return *this; }
  void setShellEvents(ShellEvents* events) override;
  // A notice about the party, shown in the title and in the black bars when
  // the window has any.
  void setNotice(const std::string& notice) override;
  void setWatchStatus(const std::string& status) override;
  // Told in the title for a few seconds.
  void tell(const std::string& message) override;
  void showBanner(const std::string& text) override;
  void showStartHint(const std::vector<std::string>& lines) override;
  bool panelOpen() const override { return panel_.isOpen(); }
  ViewOptions view() const override { return {fullscreen(), aspect_}; }
  void applyView(const ViewOptions& view) override;
  std::string addPadMappings(const std::string& path) override { return pads_.addMappings(path); }
  // The window's title as it is now.
  std::string title() const { return shownTitle_; }

 protected:
  double readTimer() override;
  ClockTime readLocalTime() override;
  void pumpEvents() override;
  bool waitEvents() override;
  bool waitEventsFor(int ms) override;

 private:
  SdlPlatform() = default;
  bool create(OpenFailure& failure);
  bool show(std::string& error);
  void handleEvent(const SDL_Event& event);
  void apply(std::optional<FrontAction> action);
  void close();
  bool dirty() const;
  void redraw();
  bool drawStaged(const ViewLayout& view);

  // Panels and notices (WindowPanels.cpp).
  bool panelKey(const SDL_KeyboardEvent& key);
  void openPanel(PanelKind which);
  void takeScreenshot();
  void updateTitle();
  void expireFlash();
  bool waitEvent(SDL_Event& event, std::uint64_t until);
  void deliverTyped();
  void padEvent(const SdlPads::Change& change);
  bool padRepeatDue(SDL_Event& event);
  void drawBarNotice(const ViewLayout& view, int drawW, int drawH);

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* page_ = nullptr;   // the visible page in true colour
  SDL_Texture* stage_ = nullptr;  // its whole-pixel enlargement, when smoothing
  int stageW_ = 0, stageH_ = 0;
  int maxTextureW_ = 0, maxTextureH_ = 0;
  std::vector<std::uint32_t> pixels_;
  std::vector<std::string> typed_;

  KeyTranslator keys_;
  bool aspect_ = false;
  bool closed_ = false;
  bool needsRedraw_ = true;
  std::uint64_t shownChanges_ = 0;
  std::uint64_t lastRedrawTicks_ = 0;

  OverlayPanel panel_;
  std::optional<PanelKind> panelShown_;
  ShellEvents* shell_ = nullptr;
  std::string banner_;
  std::vector<std::string> startHint_;
  bool swallowText_ = false;  // the text of a key a panel took
  SDL_Scancode closingKey_ = SDL_SCANCODE_UNKNOWN;
  std::string notice_;
  std::string flash_;
  std::uint64_t flashUntil_ = 0;
  std::string shownTitle_;
  SDL_Texture* noticeTexture_ = nullptr;
  std::vector<std::string> noticeLines_;
  std::string watchStatus_;
  SdlPads pads_;
};

}  // namespace dw
