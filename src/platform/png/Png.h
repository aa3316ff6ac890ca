#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Screen.h"

namespace dw {

// Writes a page of palette indices as an 8-bit palette PNG, whole or not at
// all (a file written over stays as it was when the write fails). False on
// failure, with the reason in *error when given.
bool writePagePng(const std::string& path, const std::uint8_t* pixels, int width, int height,
                  const Palette& palette, std::string* error = nullptr);
// The visible page of the screen.
bool writeScreenshot(const std::string& path, const Screen& screen, std::string* error = nullptr);

// Reads a PNG as RGB pixels (any colour type); false when it cannot be read.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::string error;
  std::vector<std::uint8_t> rgb;  // three bytes a pixel, row by row
};
bool readPngRgb(const std::string& path, RgbImage& out);

}  // namespace dw
