// Golden games: recorded key scripts on fixed seeds, replayed through the
// real game with the shipped data and tiles, compared line by line with
// their traces and pixel by pixel with their final screenshots.
//
// Each game is games/NAME.keys (one line of keys, with the replay escapes
// \r \e \b \\ \xNN), games/NAME.jsonl and games/NAME.png. After a rule
// changes on purpose, rewrite them with
//   DUSKWARREN_UPDATE_GOLDEN=1 ./duskwarren_tests --gtest_filter='GoldenGames*'
// and commit them with the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "KeyScript.h"
#include "Trace.h"
#include "frame/RunGame.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/png/Png.h"
#include "support/TestGame.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

fs::path gamesDir() {
  return fs::path(DUSKWARREN_SOURCE_DIR) / "tests/golden/games";
}

bool updating() {
  const char* flag = std::getenv("DUSKWARREN_UPDATE_GOLDEN");
  return flag && std::string(flag) == "1";
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

struct Replay {
  std::vector<std::string> trace;
  std::string written;            // the trace as the recorder wrote it to a file
  std::vector<std::uint8_t> rgb;  // the visible page, three bytes a pixel
  Screen screen;
};

Replay replay(const std::string& keys) {
  HeadlessPlatform platform(keys, 0.0);
  platform.setDataRoot(test::gameDir());
  Game game(platform);
  std::FILE* file = std::tmpfile();
  TraceRecorder recorder(file, true);
  game.observer = &recorder;
  runGame(game);
  recorder.finish(game);
  Replay r;
  r.trace = recorder.lines();
  if (file) {
    std::rewind(file);
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
      r.written.append(block, n);
    std::fclose(file);
  }
  const Screen& screen = platform.screen();
  const std::uint8_t* page = screen.page(screen.visiblePage());
  for (int i = 0; i < Screen::pageSize; ++i) {
    const Rgb& c = screen.palette()[page[i]];
    r.rgb.insert(r.rgb.end(), {c.r, c.g, c.b});
  }
  r.screen = screen;
  return r;
}

std::vector<std::string> goldenNames() {
  std::vector<std::string> names;
  if (!fs::exists(gamesDir())) return names;
  for (const auto& entry : fs::directory_iterator(gamesDir())) {
    if (entry.path().extension() == ".keys") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class GoldenGames : public testing::TestWithParam<std::string> {};

TEST_P(GoldenGames, ReplayMatchesTraceAndScreenshot) {
  const fs::path base = gamesDir() / GetParam();
  std::string keyText = lines(slurp(base.string() + ".keys")).at(0);
  std::string error;
  auto keys = parseKeyScript(keyText, error);
  ASSERT_TRUE(keys) << error;
  Replay r = replay(*keys);

  if (updating()) {
    std::ofstream out(base.string() + ".jsonl", std::ios::binary);
    for (const auto& line : r.trace) out << line << "\n";
    ASSERT_TRUE(writeScreenshot(base.string() + ".png", r.screen));
    GTEST_SKIP() << "golden files rewritten";
  }

  const std::string goldenTrace = slurp(base.string() + ".jsonl");
  std::string report = compareTraces(lines(goldenTrace), r.trace);
  EXPECT_EQ(report, "") << "the replay went out of step";
  // Written out in blocks as it is made, the trace file is the golden file.
  EXPECT_TRUE(r.written == goldenTrace) << "the written trace differs";

  RgbImage golden;
  ASSERT_TRUE(readPngRgb(base.string() + ".png", golden)) << golden.error;
  ASSERT_EQ(golden.width, Screen::width);
  ASSERT_EQ(golden.height, Screen::height);
  for (std::size_t i = 0; i < r.rgb.size(); i += 3) {
    if (r.rgb[i] != golden.rgb[i] || r.rgb[i + 1] != golden.rgb[i + 1] ||
        r.rgb[i + 2] != golden.rgb[i + 2]) {
      int pixel = static_cast<int>(i / 3);
      FAIL() << "screenshot differs first at x " << pixel % Screen::width << ", y "
             << pixel / Screen::width;
    }
  }
}

TEST_P(GoldenGames, ReplayIsTheSameEveryTime) {
  std::string keyText = lines(slurp((gamesDir() / GetParam()).string() + ".keys")).at(0);
  std::string error;
  auto keys = parseKeyScript(keyText, error);
  ASSERT_TRUE(keys) << error;
  EXPECT_EQ(replay(*keys).trace, replay(*keys).trace);
}

// The title picture the level generator draws its progress over: the frame,
// " { DUSKWARREN }" in tiles, kept on page 2.
TEST(GoldenTitle, TitlePictureOnPageTwoMatches) {
  HeadlessPlatform platform("@42\r ", 0.0);
  platform.setDataRoot(test::gameDir());
  Game game(platform);
  runGame(game);
  const fs::path golden = fs::path(DUSKWARREN_SOURCE_DIR) / "tests/golden/title.png";
  const Screen& screen = platform.screen();
  if (updating()) {
    ASSERT_TRUE(writePagePng(golden.string(), screen.page(2), Screen::width, Screen::height,
                             screen.palette()));
    GTEST_SKIP() << "golden title rewritten";
  }
  RgbImage image;
  ASSERT_TRUE(readPngRgb(golden.string(), image)) << image.error;
  ASSERT_EQ(image.width * image.height, Screen::pageSize);
  const std::uint8_t* page = screen.page(2);
  for (int i = 0; i < Screen::pageSize; ++i) {
    const Rgb& c = screen.palette()[page[i]];
    ASSERT_TRUE(c.r == image.rgb[3 * i] && c.g == image.rgb[3 * i + 1] &&
                c.b == image.rgb[3 * i + 2])
        << "title differs first at x " << i % Screen::width << ", y " << i / Screen::width;
  }
}

INSTANTIATE_TEST_SUITE_P(Recorded, GoldenGames, testing::ValuesIn(goldenNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenGames);

}  // namespace
}  // namespace dw
