#include "shell/Screenshots.h"

#include <algorithm>
#include <cstring>

#include "platform/VisibleText.h"
#include "platform/png/Png.h"

namespace dw {

namespace {

// Enlargements are kept to a size any viewer opens.
constexpr int largestScale = 16;

// The first of base.png, base-2.png, ... that is free, for each suffix.
std::filesystem::path freeName(const std::filesystem::path& folder, const std::string& base,
                               const std::string& suffix) {
  std::error_code error;
  for (int n = 1;; ++n) {
    std::string name = base + (n > 1 ? "-" + std::to_string(n) : "") + suffix + ".png";
    if (!std::filesystem::exists(folder / name, error)) return folder / name;
  }
}

std::vector<std::uint8_t> enlarged(const std::uint8_t* page, int scale) {
  const int w = Screen::width * scale;
  std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * Screen::height * scale);
  for (int y = 0; y < Screen::height; ++y) {
    std::uint8_t* row = out.data() + static_cast<std::size_t>(y) * scale * w;
    for (int x = 0; x < Screen::width; ++x) {
      std::memset(row + x * scale, page[y * Screen::width + x], scale);
    }
    for (int r = 1; r < scale; ++r) std::memcpy(row + r * w, row, w);
  }
  return out;
}

}  // namespace

ScreenshotResult saveScreenshot(const Screen& screen, int scale,
                                const std::filesystem::path& folder, const std::string& stamp) {
  ScreenshotResult result;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    result.error = "cannot make " + visibleText(folder.string()) + ": " + error.message();
    return result;
  }
  scale = std::clamp(scale, 1, largestScale);
  // One free base name for both files, so the pair sits side by side.
  std::filesystem::path page = freeName(folder, stamp, "");
  std::string base = page.stem().string();
  const std::uint8_t* pixels = screen.page(screen.visiblePage());
  std::string why;
  if (!writePagePng(page.string(), pixels, Screen::width, Screen::height, screen.palette(), &why)) {
    result.error = "cannot write " + visibleText(page.string()) + ": " + why;
    return result;
  }
  result.files.push_back(page);
  if (scale > 1) {
    std::filesystem::path big = folder / (base + "-x" + std::to_string(scale) + ".png");
    auto image = enlarged(pixels, scale);
    if (!writePagePng(big.string(), image.data(), Screen::width * scale, Screen::height * scale,
                      screen.palette(), &why)) {
      // A screenshot is the pair or nothing: the page just made goes again.
      std::filesystem::remove(page, error);
      result.files.clear();
      result.error = "cannot write " + visibleText(big.string()) + ": " + why;
      return result;
    }
    result.files.push_back(big);
  }
  result.saved = true;
  return result;
}

std::string savePictureForPlayer(const Screen& screen, int scale, const Environment& env) {
  std::filesystem::path folder = gamePicturesFolder(env);
  ScreenshotResult result = saveScreenshot(screen, scale, folder, fileStamp());
  if (!result.saved) return "Screenshot not saved: " + result.error;
  return "Screenshot saved: " + visibleText(shortPath(result.files.front(), env));
}

}  // namespace dw
