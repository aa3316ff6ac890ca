#include "shell/Screenshots.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <map>

#include "platform/png/Png.h"
#include "runs/RecordingFiles.h"
#include "runs/UserFolders.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

struct TempFolder {
  fs::path path;
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "duskwarren-around.XXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code error;
    fs::remove_all(path, error);
  }
};

Environment fakeEnvironment(std::map<std::string, std::string> values) {
  return [values](const std::string& name) -> std::optional<std::string> {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  };
}

TEST(PlayerFolders, PicturesComeFromTheEnvironmentThenTheDesktopsListThenHome) {
  TempFolder temp;
  std::string home = (temp.path / "home").string();
  EXPECT_EQ(picturesFolder(fakeEnvironment({{"HOME", home}})), fs::path(home) / "Pictures");
  EXPECT_EQ(picturesFolder(fakeEnvironment({{"HOME", home}, {"XDG_PICTURES_DIR", "/srv/shots"}})),
            fs::path("/srv/shots"));

  fs::create_directories(temp.path / "home/.config");
  std::ofstream(temp.path / "home/.config/user-dirs.dirs")
      << "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
         "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
  // A relative path in the variable counts as unset.
  EXPECT_EQ(picturesFolder(fakeEnvironment({{"HOME", home}, {"XDG_PICTURES_DIR", "shots"}})),
            fs::path(home) / "Bilder");
  fs::create_directories(temp.path / "config");
  std::ofstream(temp.path / "config/user-dirs.dirs") << "XDG_PICTURES_DIR=\"/media/pictures\"\n";
  EXPECT_EQ(picturesFolder(fakeEnvironment(
                {{"HOME", home}, {"XDG_CONFIG_HOME", (temp.path / "config").string()}})),
            fs::path("/media/pictures"));

  EXPECT_EQ(dataHome(fakeEnvironment({{"HOME", home}})), fs::path(home) / ".local/share");
  EXPECT_EQ(dataHome(fakeEnvironment({{"HOME", home}, {"XDG_DATA_HOME", "/d"}})), fs::path("/d"));
  EXPECT_EQ(shortPath(fs::path(home) / "Bilder/a.png", fakeEnvironment({{"HOME", home}})),
            "~/Bilder/a.png");
}

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

// A disk with room for the page but not its enlargement (a file-size limit
// between the two) saves neither: no half pair, no part-written file.
TEST(Screenshots, AFailedSaveLeavesNothingBehind) {
  TempFolder temp;
  Screen screen;
  screen.drawLine(10, 20, 200, 150, 14, LineKind::filledBox);
  ScreenshotResult sized = saveScreenshot(screen, 3, temp.path / "sized", "s");
  ASSERT_TRUE(sized.saved) << sized.error;
  const auto pageBytes = fs::file_size(sized.files[0]), bigBytes = fs::file_size(sized.files[1]);
  ASSERT_GT(bigBytes, pageBytes);

  fs::path folder = temp.path / "full";
  fs::create_directories(folder);
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = before;
  limited.rlim_cur = static_cast<rlim_t>(pageBytes + (bigBytes - pageBytes) / 2);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  ScreenshotResult failed = saveScreenshot(screen, 3, folder, "s");
  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(failed.saved);
  EXPECT_TRUE(failed.files.empty());
  EXPECT_NE(failed.error.find("file-size limit"), std::string::npos) << failed.error;
  EXPECT_TRUE(fs::is_empty(folder)) << fs::directory_iterator(folder)->path();
}

TEST(Recordings, TheNewestAreKeptAndNothingElseIsTouched) {
  TempFolder temp;
  EXPECT_EQ(recordingsFolder(fakeEnvironment({{"XDG_DATA_HOME", temp.path.string()}})),
            temp.path / "duskwarren/recordings");
  EXPECT_EQ(recordingName("2026-01-02-030405", 42), "2026-01-02-030405-seed42.dwrec");
  EXPECT_EQ(recordingName("2026-01-02-030405", std::nullopt), "2026-01-02-030405.dwrec");

  auto make = [&](const std::string& name) { std::ofstream(temp.path / name) << "dwrec"; };
  for (int day = 10; day <= 20; ++day)
    make("2026-01-" + std::to_string(day) + "-120000-seed7.dwrec");
  make("notes.txt");
  // A checkpoint goes with its recording, and stays with a kept one.
  make("2026-01-11-120000-seed7.dwcp");
  make("2026-01-20-120000-seed7.dwcp");
  // The game being recorded now counts among those kept, whatever its name.
  make("0000-current.dwrec");
  // Names the player gave are the player's, however they sort.
  for (std::string name : {"best-01.dwrec", "best-99.dwrec", "2026-01-05-1200-seed7.dwrec"})
    make(name);
  // The newest by the time each was last written, not by name: the game of
  // the 10th is still being continued.
  const auto now = fs::file_time_type::clock::now();
  for (int day = 10; day <= 20; ++day) {
    fs::last_write_time(temp.path / ("2026-01-" + std::to_string(day) + "-120000-seed7.dwrec"),
                        now - std::chrono::hours(100 - day));
  }
  fs::last_write_time(temp.path / "2026-01-10-120000-seed7.dwrec", now);
  EXPECT_EQ(pruneRecordings(temp.path, 4, temp.path / "0000-current.dwrec"), 8u);
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(temp.path)) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{
                      "0000-current.dwrec", "2026-01-05-1200-seed7.dwrec",
                      "2026-01-10-120000-seed7.dwrec", "2026-01-19-120000-seed7.dwrec",
                      "2026-01-20-120000-seed7.dwcp", "2026-01-20-120000-seed7.dwrec",
                      "best-01.dwrec", "best-99.dwrec", "notes.txt"}));
}

}  // namespace
}  // namespace dw
