// Screenshots under a file-size limit (ulimit -f): POSIX behaviour on
// purpose, so this suite carries the label "posix" and stays out of the
// Windows build.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "shell/Screenshots.h"
#include "support/TempFolder.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

using test::TempFolder;

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

}  // namespace
}  // namespace dw
