#include "shell/Screenshots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "platform/png/Png.h"
#include "support/TempFolder.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

using test::TempFolder;

TEST(Screenshots, SaveThePageAndItsEnlargementAndNeverWriteOverOne) {
  TempFolder temp;
  Screen screen;
  screen.drawLine(10, 20, 200, 150, 14, LineKind::filledBox);
  screen.drawLine(0, 0, 319, 199, 9, LineKind::line);
  fs::path folder = temp.path / "Pictures/duskwarren";

  ScreenshotResult first = saveScreenshot(screen, 3, folder, "2026-01-02-030405");
  ASSERT_TRUE(first.saved) << first.error;
  ASSERT_EQ(first.files.size(), 2u);
  EXPECT_EQ(first.files[0], folder / "2026-01-02-030405.png");
  EXPECT_EQ(first.files[1], folder / "2026-01-02-030405-x3.png");

  RgbImage page, big;
  ASSERT_TRUE(readPngRgb(first.files[0].string(), page)) << page.error;
  ASSERT_TRUE(readPngRgb(first.files[1].string(), big)) << big.error;
  ASSERT_EQ(page.width, 320);
  ASSERT_EQ(page.height, 200);
  ASSERT_EQ(big.width, 960);
  ASSERT_EQ(big.height, 600);
  int wrong = 0;
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 960; ++x) {
      const Rgb& want = screen.palette()[screen.page(0)[(y / 3) * 320 + x / 3]];
      const std::uint8_t* got = &big.rgb[(static_cast<std::size_t>(y) * 960 + x) * 3];
      const std::uint8_t* small = &page.rgb[(static_cast<std::size_t>(y / 3) * 320 + x / 3) * 3];
      if (got[0] != want.r || got[1] != want.g || got[2] != want.b || small[0] != want.r ||
          small[1] != want.g || small[2] != want.b) {
        ++wrong;
      }
    }
  }
  EXPECT_EQ(wrong, 0);

  ScreenshotResult second = saveScreenshot(screen, 1, folder, "2026-01-02-030405");
  ASSERT_TRUE(second.saved) << second.error;
  EXPECT_EQ(second.files, std::vector<fs::path>{folder / "2026-01-02-030405-2.png"});
  EXPECT_TRUE(fs::exists(first.files[0]));

  // A folder that cannot be made is reported, not a crash.
  std::ofstream(temp.path / "blocker") << "a file where the folder should go";
  ScreenshotResult refused = saveScreenshot(screen, 2, temp.path / "blocker/duskwarren", "x");
  EXPECT_FALSE(refused.saved);
  EXPECT_NE(refused.error, "");
}

}  // namespace
}  // namespace dw
