#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sdl/KeyTranslator.h"
#include "platform/sdl/Overlay.h"
#include "platform/sdl/ViewLayout.h"

namespace dw {

// The game in a desktop window: shows the visible page scaled up sharply,
// turns key presses into key strings and sleeps while the game waits.
class SdlPlatform : public Platform {
 public:
  // Opens the window; nothing (and the reason in error) when there is no
  // display to open it on.
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

  // --- around the game: panels, notices, screenshots ----------------------
  // None of these reach the game: its keys, pages and state stay untouched.
  // What F1 shows; the title names F1 once there is help to show.
  void setKeyHelp(OverlayContent help);
  // Asked for the message log each time F2 opens it.
  void setMessageLog(std::function<OverlayContent()> source) { messageLog_ = std::move(source); }
  // F12: saves the visible page (and, when scale > 1, an enlargement by that
  // whole-number scale) and returns what the title tells the player.
  using ScreenshotSaver = std::function<std::string(const Screen&, int scale)>;
  void setScreenshotSaver(ScreenshotSaver saver) { screenshotSaver_ = std::move(saver); }
  // A notice about the party (code-page-437 text, empty for none), shown in
  // the title and in the black bars when the window has any.
  void setNotice(const std::string& notice);
  // Tells the player something in the title for a few seconds.
  void flashTitle(const std::string& utf8);
  // The window's title as it is now.
  std::string title() const { return shownTitle_; }

  // --- watching a recording -----------------------------------------------
  // From now on the game's keys come from next, one at a time at the
  // watching pace, until it has none left; the player's own keys steer the
  // watching instead: Space pauses, + and - change the speed, Escape stops
  // (no key comes any more). name is what the title calls the recording.
  using KeyFeed = std::function<std::optional<std::string>()>;
  void watch(KeyFeed next, const std::string& name);
  // Keys a second while watching.
  int watchSpeed() const;
  bool watchPaused() const { return watchPaused_; }

 protected:
  double readTimer() override;
  ClockTime readLocalTime() override;
  void pumpEvents() override;
  bool waitEvents() override;

 private:
  SdlPlatform() = default;
  bool create(std::string& error);
  void handleEvent(const SDL_Event& event);
  void apply(WindowAction action);
  void close();
  bool dirty() const;
  void redraw();
  bool drawStaged(const ViewLayout& view);

  // Panels and notices (WindowPanels.cpp).
  bool panelKey(const SDL_KeyboardEvent& key);
  void openPanel(WindowAction which);
  void takeScreenshot();
  void updateTitle();
  void expireFlash();
  bool waitEvent(SDL_Event& event, std::uint64_t until);
  std::string watchStatus() const;

  // Watching (WindowWatch.cpp).
  bool watching() const { return static_cast<bool>(keyFeed_); }
  void deliverTyped();
  void watchControl(const std::string& key);
  bool waitWatching();
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
  WindowAction panelShown_ = WindowAction::none;
  OverlayContent help_;
  bool haveHelp_ = false;
  std::function<OverlayContent()> messageLog_;
  ScreenshotSaver screenshotSaver_;
  bool swallowText_ = false;  // the text of a key a panel took
  SDL_Scancode closingKey_ = SDL_SCANCODE_UNKNOWN;
  std::string notice_;
  std::string flash_;
  std::uint64_t flashUntil_ = 0;
  std::string shownTitle_;
  SDL_Texture* noticeTexture_ = nullptr;
  std::vector<std::string> noticeLines_;

  KeyFeed keyFeed_;
  std::string watchName_;
  std::size_t watchSpeedIndex_ = 3;
  bool watchPaused_ = false;
  bool watchEnded_ = false;    // every recorded key has been given
  bool watchStopped_ = false;  // the player stopped watching
  std::uint64_t nextKeyDue_ = 0;
};

}  // namespace dw
