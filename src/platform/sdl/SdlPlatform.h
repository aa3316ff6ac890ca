#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sdl/KeyTranslator.h"
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

  void hideMouse() override;
  // Shows the visible page if it changed, at most at display pace; whatever
  // is on it when the game starts to wait is always shown.
  void present() override;

  // The window's view options, also for tests of the window.
  bool aspectCorrected() const { return aspect_; }
  bool fullscreen() const;
  // False once the player has closed the window.
  bool windowOpen() const { return !closed_; }

 protected:
  double readTimer() override;
  ClockTime readLocalTime() override;
  void pumpEvents() override;
  bool waitEvents() override;

 private:
  SdlPlatform() = default;
  bool create(std::string& error);
  void setIcon();
  void handleEvent(const SDL_Event& event);
  void apply(WindowAction action);
  void close();
  bool dirty() const;
  void redraw();
  bool drawStaged(const ViewLayout& view);

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
};

}  // namespace dw
