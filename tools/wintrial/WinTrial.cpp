// A window that shows four coloured quarters at 640 x 400, for trying the
// Windows build under wine: reading its pixels from outside, sending it keys
// and ending it. Each key is printed on stdout as "key NAME" and turns the
// top-left quarter from red to yellow. Escape, closing the window or the
// deadline ends it.
//
//   duskwarren-wintrial [--seconds N] [--shot FILE.png]
//
// --shot writes the renderer's own pixels (SDL_RenderReadPixels) as a PNG
// once the first frame is shown. Prints "ready" when the window is up.
#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 400;

struct Options {
  int seconds = 30;
  std::string shot;
};

bool parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      options.seconds = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--shot") == 0 && i + 1 < argc) {
      options.shot = argv[++i];
    } else {
      std::fprintf(stderr, "usage: duskwarren-wintrial [--seconds N] [--shot FILE.png]\n");
      return false;
    }
  }
  return options.seconds > 0;
}

void fill(SDL_Renderer* renderer, int x, int y, Uint8 r, Uint8 g, Uint8 b) {
  SDL_SetRenderDrawColor(renderer, r, g, b, 255);
  SDL_Rect rect{x, y, kWidth / 2, kHeight / 2};
  SDL_RenderFillRect(renderer, &rect);
}

void draw(SDL_Renderer* renderer, bool keyed) {
  fill(renderer, 0, 0, 255, keyed ? 255 : 0, 0);
  fill(renderer, kWidth / 2, 0, 0, 255, 0);
  fill(renderer, 0, kHeight / 2, 0, 0, 255);
  fill(renderer, kWidth / 2, kHeight / 2, 255, 255, 255);
  SDL_RenderPresent(renderer);
}

bool writePng(const std::string& path, const std::vector<Uint8>& rgb) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = info != nullptr && setjmp(png_jmpbuf(png)) == 0;
  if (ok) {
    png_init_io(png, file);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y) {
      png_write_row(png, rgb.data() + static_cast<size_t>(y) * kWidth * 3);
    }
    png_write_end(png, info);
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && ok;
}

bool saveShot(SDL_Renderer* renderer, const std::string& path) {
  std::vector<Uint8> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
  if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB24, rgb.data(), kWidth * 3) != 0) {
    std::fprintf(stderr, "reading the pixels failed: %s\n", SDL_GetError());
    return false;
  }
  return writePng(path, rgb);
}

// Runs until Escape, a closed window or the deadline; true on Escape or close.
bool loop(SDL_Renderer* renderer, int seconds) {
  const Uint64 deadline = SDL_GetTicks64() + static_cast<Uint64>(seconds) * 1000;
  bool keyed = false;
  while (SDL_GetTicks64() < deadline) {
    SDL_Event event;
    while (SDL_WaitEventTimeout(&event, 100) != 0) {
      if (event.type == SDL_QUIT) {
        return true;
      }
      if (event.type == SDL_KEYDOWN) {
        std::printf("key %s\n", SDL_GetKeyName(event.key.keysym.sym));
        std::fflush(stdout);
        if (event.key.keysym.sym == SDLK_ESCAPE) {
          return true;
        }
        keyed = true;
      }
    }
    draw(renderer, keyed);
  }
  std::printf("deadline\n");
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, options)) {
    return 2;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("duskwarren-wintrial", SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, kWidth, kHeight, 0);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
  if (renderer == nullptr) {
    std::fprintf(stderr, "window: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  draw(renderer, false);
  bool ok = options.shot.empty() || saveShot(renderer, options.shot);
  std::printf("ready\n");
  std::fflush(stdout);
  ok = loop(renderer, options.seconds) && ok;
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return ok ? 0 : 1;
}
