#include "platform/sdl/SdlPlatform.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>

namespace dw {

namespace {

// While the game is busy, its pictures are shown at most this often
// (milliseconds), so a long run of drawing is not slowed by showing each
// step; the last picture is always shown before the game waits.
constexpr std::uint64_t busyRedrawInterval = 15;
// The window icon is enlarged by a whole factor to about this many pixels.
constexpr int iconSide = 32;

std::tm localCalendar(std::time_t t) {
  std::tm calendar{};
#ifdef _WIN32
  localtime_s(&calendar, &t);
#else
  localtime_r(&t, &calendar);
#endif
  return calendar;
}

std::uint32_t argb(const Rgb& c) {
  return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

SDL_Rect sdlRect(const ViewRect& r) {
  return {r.x, r.y, r.w, r.h};
}

}  // namespace

std::unique_ptr<SdlPlatform> SdlPlatform::open(std::string& error) {
  std::unique_ptr<SdlPlatform> platform(new SdlPlatform());
  if (!platform->create(error)) return nullptr;
  return platform;
}

bool SdlPlatform::create(std::string& error) {
  // A game that sits waiting for a key should let the screen saver run, and
  // gains nothing from bypassing the desktop's compositor.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // One small page a frame needs no graphics driver: drawn in memory and put
  // straight into the window, the game starts in a fraction of the time and
  // memory a GL context takes. SDL_RENDER_DRIVER and
  // SDL_FRAMEBUFFER_ACCELERATION in the environment still choose otherwise.
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
#ifdef SDL_HINT_WINDOWS_DPI_AWARENESS
  SDL_SetHint(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2");
#endif
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    error = SDL_GetError();
    return false;
  }
  int scale = 2;
  SDL_DisplayMode desktop;
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) scale = startScale(desktop.w, desktop.h);
  window_ = SDL_CreateWindow("Duskwarren", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             Screen::width * scale, Screen::height * scale,
                             SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
  if (window_ == nullptr) {
    error = SDL_GetError();
    return false;
  }
  SDL_SetWindowMinimumSize(window_, Screen::width, Screen::height);
  renderer_ =
      SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
  if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (renderer_ == nullptr) {
    error = SDL_GetError();
    return false;
  }
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer_, &info) == 0) {
    maxTextureW_ = info.max_texture_width;
    maxTextureH_ = info.max_texture_height;
  }
  page_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                            Screen::width, Screen::height);
  if (page_ == nullptr) {
    error = SDL_GetError();
    return false;
  }
  SDL_SetTextureScaleMode(page_, SDL_ScaleModeNearest);
  pixels_.assign(Screen::pageSize, 0);

  // The pointer plays no part in the game: its events would only wake us.
  for (Uint32 type : {SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_MOUSEWHEEL,
                      SDL_FINGERDOWN, SDL_FINGERUP, SDL_FINGERMOTION}) {
    SDL_EventState(type, SDL_IGNORE);
  }
  SDL_StartTextInput();
  redraw();
  return true;
}

SdlPlatform::~SdlPlatform() {
  if (noticeTexture_ != nullptr) SDL_DestroyTexture(noticeTexture_);
  if (stage_ != nullptr) SDL_DestroyTexture(stage_);
  if (page_ != nullptr) SDL_DestroyTexture(page_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  SDL_Quit();
}

void SdlPlatform::setIcon(const Image& image) {
  if (image.width < 1 || image.height < 1 || image.width > 256 || image.height > 256) return;
  int factor = std::max(1, iconSide / std::max(image.width, image.height));
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, image.width * factor, image.height * factor,
                                                     32, SDL_PIXELFORMAT_ARGB8888);
  if (icon == nullptr) return;
  // Colour 0 is the dungeon's darkness: let the desktop show through it.
  const Palette& palette = defaultPalette();
  for (int y = 0; y < icon->h; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(icon->pixels) +
                                                 static_cast<std::ptrdiff_t>(y) * icon->pitch);
    for (int x = 0; x < icon->w; ++x) {
      int colour = getPixel(image, x / factor, y / factor);
      row[x] = colour == 0 ? 0u : argb(palette[colour & 0xFF]);
    }
  }
  SDL_SetWindowIcon(window_, icon);
  SDL_FreeSurface(icon);
}

double SdlPlatform::readTimer() {
  using namespace std::chrono;
  auto now = system_clock::now();
  auto whole = floor<seconds>(now);
  std::tm calendar = localCalendar(system_clock::to_time_t(whole));
  double fraction = duration<double>(now - whole).count();
  return calendar.tm_hour * 3600.0 + calendar.tm_min * 60.0 + calendar.tm_sec + fraction;
}

ClockTime SdlPlatform::readLocalTime() {
  std::tm calendar = localCalendar(std::time(nullptr));
  return {calendar.tm_hour,    calendar.tm_min,  calendar.tm_sec,
          calendar.tm_mon + 1, calendar.tm_mday, calendar.tm_year + 1900};
}

void SdlPlatform::hideMouse() {
  SDL_ShowCursor(SDL_DISABLE);
}

bool SdlPlatform::fullscreen() const {
  return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
}

void SdlPlatform::pumpEvents() {
  expireFlash();
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) handleEvent(event);
  deliverTyped();
  present();
}

bool SdlPlatform::waitEvents() {
  if (closed_) return false;
  if (dirty()) redraw();
  if (watching()) return waitWatching();
  SDL_Event event;
  if (!waitEvent(event, 0)) {
    // The event system itself failed: no key can come any more.
    closed_ = true;
    return hasKeys();
  }
  handleEvent(event);
  pumpEvents();
  return !closed_ || hasKeys();
}

void SdlPlatform::handleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      close();
      break;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          close();
          break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
          needsRedraw_ = true;
          break;
        default:
          break;
      }
      break;
    case SDL_KEYDOWN: {
      if (panelKey(event.key)) break;
      const SDL_Keysym& key = event.key.keysym;
      apply(keys_.keyDown(key.scancode, key.sym, key.mod, event.key.repeat != 0, typed_));
      break;
    }
    case SDL_KEYUP:
      keys_.keyUp();
      break;
    case SDL_TEXTINPUT:
      if (swallowText_) break;
      keys_.textInput(event.text.text, typed_);
      break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      // The enlargement is remade on the next draw; the page is uploaded
      // afresh each time anyway.
      if (stage_ != nullptr) SDL_DestroyTexture(stage_);
      stage_ = nullptr;
      noticeLines_.clear();  // the notice's text is drawn again too
      needsRedraw_ = true;
      break;
    default:
      break;
  }
}

void SdlPlatform::apply(WindowAction action) {
  switch (action) {
    case WindowAction::none:
      return;
    case WindowAction::toggleFullscreen:
      SDL_SetWindowFullscreen(window_, fullscreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
      break;
    case WindowAction::toggleAspect:
      aspect_ = !aspect_;
      break;
    case WindowAction::keyHelp:
    case WindowAction::messageLog:
      openPanel(action);
      break;
    case WindowAction::screenshot:
      takeScreenshot();
      break;
  }
  needsRedraw_ = true;
}

void SdlPlatform::close() {
  if (closed_) return;
  closed_ = true;
  // Gone at once for the player, while the game winds down.
  SDL_HideWindow(window_);
}

bool SdlPlatform::dirty() const {
  return !closed_ && (needsRedraw_ || screen().visibleChanges() != shownChanges_);
}

void SdlPlatform::present() {
  if (dirty() && SDL_GetTicks64() - lastRedrawTicks_ >= busyRedrawInterval) redraw();
}

void SdlPlatform::redraw() {
  const Screen& s = screen();
  std::array<std::uint32_t, 256> colours;
  for (int i = 0; i < 256; ++i) colours[i] = argb(s.palette()[i]);
  const std::uint8_t* page = s.page(s.visiblePage());
  for (int i = 0; i < Screen::pageSize; ++i) pixels_[i] = colours[page[i]];
  if (panel_.isOpen()) panel_.draw(pixels_.data(), s.palette());
  SDL_UpdateTexture(page_, nullptr, pixels_.data(), Screen::width * 4);

  int drawW = 0, drawH = 0;
  SDL_GetRendererOutputSize(renderer_, &drawW, &drawH);
  ViewLayout view = layoutView(drawW, drawH, aspect_);
  SDL_SetRenderTarget(renderer_, nullptr);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (!view.smooth) {
    SDL_Rect area = sdlRect(view.area);
    SDL_RenderCopy(renderer_, page_, nullptr, &area);
  } else if (!drawStaged(view)) {
    // No room for the enlargement: filter the page directly.
    SDL_Rect area = sdlRect(view.area);
    SDL_SetTextureScaleMode(page_, SDL_ScaleModeLinear);
    SDL_RenderCopy(renderer_, page_, nullptr, &area);
    SDL_SetTextureScaleMode(page_, SDL_ScaleModeNearest);
  }
  drawBarNotice(view, drawW, drawH);
  SDL_RenderPresent(renderer_);

  shownChanges_ = s.visibleChanges();
  needsRedraw_ = false;
  lastRedrawTicks_ = SDL_GetTicks64();
}

bool SdlPlatform::drawStaged(const ViewLayout& view) {
  if (!SDL_RenderTargetSupported(renderer_)) return false;
  if ((maxTextureW_ > 0 && view.stageW > maxTextureW_) ||
      (maxTextureH_ > 0 && view.stageH > maxTextureH_)) {
    return false;
  }
  if (stage_ == nullptr || stageW_ != view.stageW || stageH_ != view.stageH) {
    if (stage_ != nullptr) SDL_DestroyTexture(stage_);
    stage_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                               view.stageW, view.stageH);
    if (stage_ == nullptr) return false;
    SDL_SetTextureScaleMode(stage_, SDL_ScaleModeLinear);
    stageW_ = view.stageW;
    stageH_ = view.stageH;
  }
  if (SDL_SetRenderTarget(renderer_, stage_) != 0) return false;
  SDL_RenderCopy(renderer_, page_, nullptr, nullptr);
  SDL_SetRenderTarget(renderer_, nullptr);
  SDL_Rect area = sdlRect(view.area);
  SDL_RenderCopy(renderer_, stage_, nullptr, &area);
  return true;
}

}  // namespace dw
