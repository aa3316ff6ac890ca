#include "WindowMatch.h"

#include <gtest/gtest.h>

#include <cmath>

namespace dw {
namespace {

// A page of text-like detail: every pixel differs from some neighbour.
RgbImage makePage() {
  RgbImage page;
  page.width = 320;
  page.height = 200;
  page.rgb.resize(320 * 200 * 3);
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 320; ++x) {
      int c = (x * 7 + y * 13 + (x / 8) * (y / 8)) % 16;
      const Rgb& rgb = defaultPalette()[c];
      std::size_t i = (static_cast<std::size_t>(y) * 320 + x) * 3;
      page.rgb[i] = rgb.r;
      page.rgb[i + 1] = rgb.g;
      page.rgb[i + 2] = rgb.b;
    }
  }
  return page;
}

RgbImage blackWindow(int w, int h) {
  RgbImage shot;
  shot.width = w;
  shot.height = h;
  shot.rgb.assign(static_cast<std::size_t>(w) * h * 3, 0);
  return shot;
}

// Samples an image the way a renderer's filter does: nearest, or linear
// between the four texels around a texel-centre position.
std::array<double, 3> texel(const RgbImage& image, int x, int y) {
  x = std::clamp(x, 0, image.width - 1);
  y = std::clamp(y, 0, image.height - 1);
  std::size_t i = (static_cast<std::size_t>(y) * image.width + x) * 3;
  return {double(image.rgb[i]), double(image.rgb[i + 1]), double(image.rgb[i + 2])};
}

RgbImage stretch(const RgbImage& source, int w, int h, bool linear) {
  RgbImage out = blackWindow(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      double u = (x + 0.5) * source.width / w - 0.5, v = (y + 0.5) * source.height / h - 0.5;
      std::array<double, 3> c{};
      if (!linear) {
        c = texel(source, int(std::floor(u + 0.5)), int(std::floor(v + 0.5)));
      } else {
        int u0 = int(std::floor(u)), v0 = int(std::floor(v));
        double fu = u - u0, fv = v - v0;
        auto a = texel(source, u0, v0), b = texel(source, u0 + 1, v0);
        auto d = texel(source, u0, v0 + 1), e = texel(source, u0 + 1, v0 + 1);
        for (int k = 0; k < 3; ++k) {
          c[k] = (1 - fv) * ((1 - fu) * a[k] + fu * b[k]) + fv * ((1 - fu) * d[k] + fu * e[k]);
        }
      }
      for (int k = 0; k < 3; ++k) {
        out.rgb[(static_cast<std::size_t>(y) * w + x) * 3 + k] =
            static_cast<std::uint8_t>(std::lround(c[k]));
      }
    }
  }
  return out;
}

RgbImage placed(const RgbImage& picture, int windowW, int windowH, int x0, int y0) {
  RgbImage shot = blackWindow(windowW, windowH);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      for (int k = 0; k < 3; ++k) {
        shot.rgb[((static_cast<std::size_t>(y0) + y) * windowW + x0 + x) * 3 + k] =
            picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3 + k];
      }
    }
  }
  return shot;
}

TEST(WindowMatch, PlainViewAtTheLargestWholeScaleCentredMatches) {
  RgbImage page = makePage();
  MatchResult r =
      matchCapture(placed(stretch(page, 960, 600, false), 1000, 700, 20, 50), page, false);
  EXPECT_TRUE(r.matches) << r.report;
}

TEST(WindowMatch, PlainViewFaultsAreFound) {
  RgbImage page = makePage();
  RgbImage scaled = stretch(page, 960, 600, false);
  EXPECT_FALSE(matchCapture(placed(scaled, 1000, 700, 21, 50), page, false).matches)
      << "off centre by one pixel";
  EXPECT_FALSE(
      matchCapture(placed(stretch(page, 640, 400, false), 1000, 700, 180, 150), page, false)
          .matches)
      << "a smaller scale than fits";
  EXPECT_FALSE(
      matchCapture(placed(stretch(page, 1000, 625, false), 1000, 700, 0, 37), page, false).matches)
      << "stretched to fill";
  RgbImage bar = placed(scaled, 1000, 700, 20, 50);
  bar.rgb[3 * 5] = 1;
  EXPECT_FALSE(matchCapture(bar, page, false).matches) << "a bar not black";
  RgbImage pixel = placed(scaled, 1000, 700, 20, 50);
  pixel.rgb[(static_cast<std::size_t>(699 - 50) * 1000 + 979) * 3] ^= 1;
  MatchResult r = matchCapture(pixel, page, false);
  EXPECT_FALSE(r.matches);
  EXPECT_NE(r.report.find("page pixel (319,199)"), std::string::npos) << r.report;
}

TEST(WindowMatch, SharpFourThreeViewMatches) {
  RgbImage page = makePage();
  RgbImage stage = stretch(page, 1280, 800, false);
  MatchResult r = matchCapture(stretch(stage, 1280, 960, true), page, true);
  EXPECT_TRUE(r.matches) << r.report;

  // Both ways fractional, with bars left and right.
  RgbImage wideStage = stretch(page, 1280, 1000, false);
  r = matchCapture(placed(stretch(wideStage, 1440, 1080, true), 1920, 1080, 240, 0), page, true);
  EXPECT_TRUE(r.matches) << r.report;
}

TEST(WindowMatch, DoubledRowsOrBlurInTheFourThreeViewAreFound) {
  RgbImage page = makePage();
  MatchResult nearest = matchCapture(stretch(page, 1280, 960, false), page, true);
  EXPECT_FALSE(nearest.matches);
  EXPECT_NE(nearest.report.find("covers 5 whole rows"), std::string::npos) << nearest.report;
  EXPECT_FALSE(matchCapture(stretch(page, 1280, 960, true), page, true).matches);
  // The plain view is no 4:3 view.
  EXPECT_FALSE(
      matchCapture(placed(stretch(page, 1280, 800, false), 1280, 960, 0, 80), page, true).matches);
}

}  // namespace
}  // namespace dw
