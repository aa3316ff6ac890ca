#include "platform/png/Png.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "platform/SafeWrite.h"

namespace dw {

bool writePagePng(const std::string& path, const std::uint8_t* pixels, int width, int height,
                  const Palette& palette, std::string* error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB_COLORMAP;
  image.colormap_entries = 256;
  std::vector<std::uint8_t> colours(256 * 3);
  for (int i = 0; i < 256; ++i) {
    colours[i * 3] = palette[i].r;
    colours[i * 3 + 1] = palette[i].g;
    colours[i * 3 + 2] = palette[i].b;
  }
  // Made in memory first, so the file is written whole or not at all.
  png_alloc_size_t size = 0;
  std::string why;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, width, colours.data())) {
    why = image.message;
  } else {
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels, width, colours.data())) {
      why = image.message;
    } else {
      bytes.resize(size);
      why = writeWholeFile(path, bytes);
    }
  }
  if (error) *error = why;
  return why.empty();
}

bool writeScreenshot(const std::string& path, const Screen& screen, std::string* error) {
  return writePagePng(path, screen.page(screen.visiblePage()), Screen::width, Screen::height,
                      screen.palette(), error);
}

bool readPngRgb(const std::string& path, RgbImage& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    out.error = image.message;
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  // Refuse absurd sizes instead of allocating for them.
  if (image.width == 0 || image.height == 0 || image.width > 16384 || image.height > 16384) {
    png_image_free(&image);
    out.error = "image size out of range";
    return false;
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.rgb.assign(static_cast<std::size_t>(out.width) * out.height * 3, 0);
  if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) {
    out.error = image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

}  // namespace dw
