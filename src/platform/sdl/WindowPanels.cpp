// The window's own panels (key help, message log), its notices about the
// party and its screenshots: all drawn in the window's pixels, never on the
// game's pages, and none of their keys reach the game.
#include <algorithm>

#include "platform/sdl/SdlPlatform.h"

namespace dw {

namespace {

constexpr const char* gameName = "Duskwarren";
// How long the title tells where a screenshot went.
constexpr std::uint64_t flashMilliseconds = 4000;
constexpr int noticeColour = 12;

bool modifierOnly(SDL_Keycode sym) {
  switch (sym) {
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
    case SDLK_LCTRL:
    case SDLK_RCTRL:
    case SDLK_LALT:
    case SDLK_RALT:
    case SDLK_LGUI:
    case SDLK_RGUI:
    case SDLK_MODE:
    case SDLK_NUMLOCKCLEAR:
    case SDLK_CAPSLOCK:
    case SDLK_SCROLLLOCK:
      return true;
    default:
      return false;
  }
}

// The keys that page through a panel; in a pick list the keypad's 8 and 2
// move the highlight too, as they walk in the game.
std::optional<OverlayPanel::Move> pagingMove(SDL_Keycode sym, bool picking) {
  if (picking && sym == SDLK_KP_8) return OverlayPanel::Move::lineUp;
  if (picking && sym == SDLK_KP_2) return OverlayPanel::Move::lineDown;
  switch (sym) {
    case SDLK_UP:
      return OverlayPanel::Move::lineUp;
    case SDLK_DOWN:
      return OverlayPanel::Move::lineDown;
    case SDLK_PAGEUP:
    case SDLK_LEFT:
      return OverlayPanel::Move::pageUp;
    case SDLK_PAGEDOWN:
    case SDLK_RIGHT:
      return OverlayPanel::Move::pageDown;
    default:
      return std::nullopt;
  }
}

}  // namespace

void SdlPlatform::setShellEvents(ShellEvents* events) {
  shell_ = events;
  if (shell_ == nullptr && panel_.isOpen()) {
    panel_.close();
    panelShown_.reset();
    needsRedraw_ = true;
  }
  updateTitle();
}

void SdlPlatform::setWatchStatus(const std::string& status) {
  watchStatus_ = status;
  updateTitle();
}

void SdlPlatform::showBanner(const std::string& text) {
  if (text == banner_) return;
  banner_ = text;
  needsRedraw_ = true;
}

void SdlPlatform::showStartHint(const std::vector<std::string>& lines) {
  if (lines == startHint_) return;
  startHint_ = lines;
  needsRedraw_ = true;
}

void SdlPlatform::applyView(const ViewOptions& view) {
  if (view.fullscreen != fullscreen())
    SDL_SetWindowFullscreen(window_, view.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  aspect_ = view.aspect;
  needsRedraw_ = true;
}

void SdlPlatform::setNotice(const std::string& notice) {
  if (notice == notice_) return;
  notice_ = notice;
  noticeLines_.clear();  // the bar text is made again for the new notice
  updateTitle();
  needsRedraw_ = true;
}

void SdlPlatform::tell(const std::string& message) {
  flash_ = message;
  flashUntil_ = SDL_GetTicks64() + flashMilliseconds;
  updateTitle();
}

void SdlPlatform::expireFlash() {
  if (flashUntil_ == 0 || SDL_GetTicks64() < flashUntil_) return;
  flashUntil_ = 0;
  flash_.clear();
  updateTitle();
}

void SdlPlatform::updateTitle() {
  std::string title = gameName;
  if (!watchStatus_.empty()) title += " - " + watchStatus_;
  if (!flash_.empty()) {
    title += " - " + flash_;
  } else if (!notice_.empty()) {
    title += " - " + utf8FromCp437(notice_);
  }
  const FrontKey* help = rowOf(frontKeys(), FrontAction::keyHelp);
  if (shell_ != nullptr && help != nullptr) title += " - " + help->keys.front() + ": keys";
  if (title == shownTitle_) return;
  shownTitle_ = title;
  SDL_SetWindowTitle(window_, title.c_str());
}

bool SdlPlatform::waitEvent(SDL_Event& event, std::uint64_t until) {
  for (;;) {
    expireFlash();
    // While the title tells something for a while, sleep no longer than that.
    if (padRepeatDue(event)) return true;
    std::uint64_t deadline = until;
    if (flashUntil_ != 0 && (deadline == 0 || flashUntil_ < deadline)) deadline = flashUntil_;
    // A direction held on a pad repeats: sleep no longer than that either.
    int repeatIn = shell_ != nullptr && !panel_.isOpen() ? shell_->padRepeatIn() : -1;
    std::uint64_t repeatAt = SDL_GetTicks64() + static_cast<std::uint64_t>(std::max(repeatIn, 0));
    if (repeatIn >= 0 && (deadline == 0 || repeatAt < deadline)) deadline = repeatAt;
    if (deadline == 0) return SDL_WaitEvent(&event) != 0;
    std::uint64_t now = SDL_GetTicks64();
    if (now >= deadline) {
      if (until != 0 && now >= until) return false;
      continue;  // the title's time is up, or a repeat's: both are done above
    }
    auto wait = static_cast<int>(std::min<std::uint64_t>(deadline - now, 1000));
    if (SDL_WaitEventTimeout(&event, wait) != 0) return true;
  }
}

// A held pad direction whose repeat is due gives its key now, as an event
// of no other meaning that wakes the wait.
bool SdlPlatform::padRepeatDue(SDL_Event& event) {
  if (shell_ == nullptr || shell_->padRepeatIn() != 0) return false;
  if (panel_.isOpen()) return false;
  shell_->padTick();
  event = {};
  event.type = SDL_USEREVENT;
  return true;
}

// A pad's change: the shell turns presses into the game's keys. Under a
// panel, any button closes it and goes no further, as a key does.
void SdlPlatform::padEvent(const SdlPads::Change& change) {
  if (shell_ == nullptr) return;
  using Kind = SdlPads::Change::Kind;
  if (change.kind == Kind::plugged) {
    shell_->padPlugged(change.name, change.padKind);
  } else if (change.kind == Kind::unplugged) {
    shell_->padUnplugged(change.name);
  } else if (change.kind == Kind::stick) {
    if (!panel_.isOpen()) shell_->padStick(change.x, change.y);
  } else if (panel_.isOpen()) {
    if (!change.down) return;
    panel_.close();
    panelShown_.reset();
    needsRedraw_ = true;
  } else {
    apply(shell_->padButton(change.button, change.down));
  }
}

bool SdlPlatform::panelKey(const SDL_KeyboardEvent& key) {
  // The key that closed a panel, held down, repeats into nothing.
  if (key.repeat != 0 && key.keysym.scancode == closingKey_) return true;
  closingKey_ = SDL_SCANCODE_UNKNOWN;
  swallowText_ = false;
  if (!panel_.isOpen()) return false;

  SDL_Keycode sym = key.keysym.sym;
  if (modifierOnly(sym)) return true;
  auto action = ownAction(windowKeyName(sym, key.keysym.mod));
  auto asked = action ? panelOf(*action) : std::nullopt;
  // The window's view keys and its pictures work as ever under a panel.
  if (action && !asked) return false;
  needsRedraw_ = true;
  if (asked) {
    if (asked != panelShown_ && key.repeat == 0) {
      openPanel(*asked);
      return true;
    }
  } else if (auto move = pagingMove(sym, panel_.picking()); move && panel_.pageable()) {
    panel_.move(*move);
    swallowText_ = true;  // the keypad's digit is no key of the game
    return true;
  }
  // Any other key closes the panel, and the game never sees it; Enter in a
  // pick list picks the choice highlighted.
  bool picked = panel_.picking() && (sym == SDLK_RETURN || sym == SDLK_KP_ENTER);
  std::optional<PanelKind> shown = panelShown_;
  panel_.close();
  panelShown_.reset();
  closingKey_ = key.keysym.scancode;
  swallowText_ = true;
  if (picked && shown && shell_ != nullptr) shell_->panelPicked(*shown, panel_.chosen());
  return true;
}

void SdlPlatform::openPanel(PanelKind which) {
  if (shell_ == nullptr) return;
  panel_.open(shell_->panel(which));
  panelShown_ = which;
  needsRedraw_ = true;
}

void SdlPlatform::takeScreenshot() {
  if (shell_ == nullptr) return;
  int drawW = 0, drawH = 0;
  SDL_GetRendererOutputSize(renderer_, &drawW, &drawH);
  ViewLayout view = layoutView(drawW, drawH, aspect_);
  int scale = std::max(1, std::min(view.stageW / Screen::width, view.stageH / Screen::height));
  shell_->pictureAsked(screen(), scale);
}

void SdlPlatform::drawBarNotice(const ViewLayout& view, int drawW, int drawH) {
  if (notice_.empty()) return;
  int maxScale = std::max(1, view.stageW / Screen::width);
  auto place = placeBarNotice(drawW, drawH, view.area, notice_, maxScale);
  if (!place) return;
  // The notice is drawn once at the font's size and enlarged by whole pixels.
  if (noticeTexture_ == nullptr || noticeLines_ != place->lines) {
    if (noticeTexture_ != nullptr) SDL_DestroyTexture(noticeTexture_);
    noticeTexture_ = nullptr;
    noticeLines_ = place->lines;
    int rows = static_cast<int>(noticeLines_.size());
    int w = place->box.w / place->scale, h = rows * 8 + (rows - 1) * 4;
    std::vector<std::uint32_t> text(static_cast<std::size_t>(w) * h, 0xFF000000u);
    std::uint32_t colour = argbOf(screen().palette()[noticeColour]);
    for (int r = 0; r < rows; ++r) {
      const std::string& line = noticeLines_[r];
      int x = (w - static_cast<int>(line.size()) * 8) / 2;
      for (std::size_t i = 0; i < line.size(); ++i) {
        drawFontGlyph(text.data(), w, h, x + static_cast<int>(i) * 8, r * 12,
                      static_cast<std::uint8_t>(line[i]), colour);
      }
    }
    noticeTexture_ =
        SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, w, h);
    if (noticeTexture_ == nullptr) return;
    SDL_SetTextureScaleMode(noticeTexture_, SDL_ScaleModeNearest);
    SDL_UpdateTexture(noticeTexture_, nullptr, text.data(), w * 4);
  }
  SDL_Rect box{place->box.x, place->box.y, place->box.w, place->box.h};
  SDL_RenderCopy(renderer_, noticeTexture_, nullptr, &box);
}

}  // namespace dw
