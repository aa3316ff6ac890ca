#include "platform/sdl/SdlPlatform.h"

#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11) && defined(DUSKWARREN_X11)
#include <X11/Xproto.h>
#endif

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace dw {

namespace {

// While the game is busy, its pictures are shown at most this often
// (milliseconds), so a long run of drawing is not slowed by showing each
// step; the last picture is always shown before the game waits.
constexpr std::uint64_t busyRedrawInterval = 15;
// The window icon is enlarged by a whole factor to about this many pixels.
constexpr int iconSide = 32;
// How long the desktop has to show the window (milliseconds), and how often
// the request to show it is repeated meanwhile.
constexpr std::uint64_t showLimit = 10000;
constexpr std::uint64_t showRepeat = 1000;

#if defined(SDL_VIDEO_DRIVER_X11) && defined(DUSKWARREN_X11)
// SDL wakes its own wait by sending a message to the game's window over a
// second connection to the X server. When the game ends, that window can be
// gone before the server reads a message still on its way, and Xlib's
// default answer to the error is to end the program (exit code 1) as it
// closes. A message to a window that no longer exists is harmless, so that
// one error is let go; every other goes on to the handler that was there
// before. It is set before SDL starts, so that SDL's own handler passes
// errors on to it and SDL puts it back, not Xlib's, when it closes its
// connections. Xlib keeps one handler for the whole process, with no place
// for our own data, hence the one static.
XErrorHandler previousXErrorHandler = nullptr;

int onXError(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
  return previousXErrorHandler != nullptr ? previousXErrorHandler(display, error) : 0;
}

#endif

void letGoMessagesToGoneWindows() {
#if defined(SDL_VIDEO_DRIVER_X11) && defined(DUSKWARREN_X11)
  if (previousXErrorHandler != nullptr) return;
  previousXErrorHandler = XSetErrorHandler(onXError);
#endif
}

bool named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && value[0] != '\0';
}

// Whether video driver `name` may be tried when the player did not choose
// one. Drivers that show nothing (offscreen, dummy, evdev) only run when
// asked for by SDL_VIDEODRIVER: a game nobody sees would wait for keys
// forever. The others are tried only where they can find a screen, which
// also keeps a session without a desktop quick and quiet (no complaint
// about a missing runtime folder from Wayland's library).
bool mayTry(const std::string& name) {
  std::error_code ec;
  if (name == "offscreen" || name == "dummy" || name == "evdev") return false;
  if (name == "x11") return named("DISPLAY");
  if (name == "wayland") {
    if (named("WAYLAND_DISPLAY")) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime != nullptr && runtime[0] == '/' &&
           std::filesystem::exists(std::filesystem::path(runtime) / "wayland-0", ec);
  }
  if (name == "KMSDRM") return std::filesystem::exists("/dev/dri", ec);
  return true;
}

// Starts SDL's video on the player's choice of driver, or else on the first
// one that shows a window.
bool startVideo(SdlPlatform::OpenFailure& failure) {
  if (named("SDL_VIDEODRIVER")) {
    if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
    failure.reason = SDL_GetError();
    return false;
  }
  std::string tried;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const char* driver = SDL_GetVideoDriver(i);
    if (driver == nullptr || !mayTry(driver)) continue;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
    if (SDL_Init(SDL_INIT_VIDEO) == 0) {
      SDL_ResetHint(SDL_HINT_VIDEODRIVER);
      return true;
    }
    tried += std::string(tried.empty() ? "" : "; ") + driver + ": " + SDL_GetError();
  }
  SDL_ResetHint(SDL_HINT_VIDEODRIVER);
  failure.noDisplay = true;
  failure.reason = tried.empty() ? "no video driver" : tried;
  return false;
}

std::uint32_t argb(const Rgb& c) {
  return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

SDL_Rect sdlRect(const ViewRect& r) {
  return {r.x, r.y, r.w, r.h};
}

void setWindowHints() {
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
}

}  // namespace

std::unique_ptr<SdlPlatform> SdlPlatform::open(OpenFailure& failure) {
  std::unique_ptr<SdlPlatform> platform(new SdlPlatform());
  if (!platform->create(failure)) return nullptr;
  return platform;
}

std::unique_ptr<SdlPlatform> SdlPlatform::open(std::string& error) {
  OpenFailure failure;
  auto platform = open(failure);
  if (!platform) error = (failure.noDisplay ? "no display: " : "") + failure.reason;
  return platform;
}

bool SdlPlatform::create(OpenFailure& failure) {
  std::string& error = failure.reason;
  setWindowHints();
  letGoMessagesToGoneWindows();
  if (!startVideo(failure)) return false;
  int scale = 2;
  SDL_DisplayMode desktop;
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) scale = startScale(desktop.w, desktop.h);
  window_ = SDL_CreateWindow("Duskwarren", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             Screen::width * scale, Screen::height * scale,
                             SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN);
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
  pads_.start();
  if (!show(error)) return false;
  redraw();
  return true;
}

// The window is made hidden and shown here once it is ready to draw. On X,
// the request to show it goes through the window manager, and one that is
// still starting up takes such requests from the X server without ever
// acting on them: the window would stay unseen, and SDL's own showing
// would wait for it without end. So the request is repeated until the
// window is shown, and after a while the game gives up and says so.
bool SdlPlatform::show(std::string& error) {
#if defined(SDL_VIDEO_DRIVER_X11) && defined(DUSKWARREN_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window_, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
    const std::uint64_t start = SDL_GetTicks64();
    std::uint64_t asked = 0;
    for (int requests = 0;; SDL_Delay(10)) {
      SDL_PumpEvents();
      if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0) return true;
      const std::uint64_t now = SDL_GetTicks64();
      if (now - start >= showLimit) {
        error = "the desktop did not show the window within " + std::to_string(showLimit / 1000) +
                " seconds (" + std::to_string(requests) + " requests)";
        return false;
      }
      if (requests == 0 || now - asked >= showRepeat) {
        XMapRaised(info.info.x11.display, info.info.x11.window);
        XFlush(info.info.x11.display);
        asked = now;
        ++requests;
      }
    }
  }
#endif
  (void)error;
  SDL_ShowWindow(window_);
  return true;
}

SdlPlatform::~SdlPlatform() {
  if (noticeTexture_ != nullptr) SDL_DestroyTexture(noticeTexture_);
  if (stage_ != nullptr) SDL_DestroyTexture(stage_);
  if (page_ != nullptr) SDL_DestroyTexture(page_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  pads_.stop();
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
  return hostTimer();
}

ClockTime SdlPlatform::readLocalTime() {
  return hostLocalTime();
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

bool SdlPlatform::waitEventsFor(int ms) {
  if (closed_) return false;
  if (dirty()) redraw();
  SDL_Event event;
  if (waitEvent(event, SDL_GetTicks64() + static_cast<std::uint64_t>(std::max(ms, 1)))) {
    handleEvent(event);
    pumpEvents();
  }
  return !closed_ || hasKeys();
}

void SdlPlatform::deliverTyped() {
  for (std::string& key : typed_) pushKey(std::move(key));
  typed_.clear();
}

bool SdlPlatform::waitEvents() {
  if (closed_) return false;
  if (dirty()) redraw();
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
      apply(keys_.keyDown(frontKeys(), key.scancode, key.sym, key.mod, event.key.repeat != 0,
                          typed_));
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
      if (auto change = pads_.translate(event)) padEvent(*change);
      break;
  }
}

void SdlPlatform::apply(std::optional<FrontAction> action) {
  if (!action) return;
  if (auto panel = panelOf(*action)) {
    openPanel(*panel);
  } else if (*action == FrontAction::fullscreen) {
    SDL_SetWindowFullscreen(window_, fullscreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (shell_ != nullptr) shell_->viewChanged(view());
  } else if (*action == FrontAction::aspect) {
    aspect_ = !aspect_;
    if (shell_ != nullptr) shell_->viewChanged(view());
  } else if (*action == FrontAction::picture) {
    takeScreenshot();
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
  int drawW = 0, drawH = 0;
  SDL_GetRendererOutputSize(renderer_, &drawW, &drawH);
  ViewLayout view = layoutView(drawW, drawH, aspect_);
  for (int i = 0; i < Screen::pageSize; ++i) pixels_[i] = colours[page[i]];
  if (!banner_.empty()) drawBanner(pixels_.data(), s.palette(), banner_);
  // The start screen's offer shows in a bar beside the picture; where there
  // is none (fullscreen at a whole scale), the offer and the keys show over
  // the picture's empty rows, in the window only, never on the game's pages.
  if (!startHint_.empty() && !placeBarNotice(drawW, drawH, view.area, startHint_.front(),
                                             std::max(1, view.stageW / Screen::width)))
    drawStartHint(pixels_.data(), s.palette(), startHint_);
  if (panel_.isOpen()) panel_.draw(pixels_.data(), s.palette());
  SDL_UpdateTexture(page_, nullptr, pixels_.data(), Screen::width * 4);
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
