// How files behave in the Windows build (run under wine here), for the
// port of the game's file writing: docs/windows-notes.md says what these
// found.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <type_traits>

namespace fs = std::filesystem;

namespace {

// A fresh folder under the system's temporary folder, gone afterwards.
class WinTrialFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("dw-wintrial-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path write(const std::string& name, const std::string& text) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  static std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
};

TEST(WinTrialPaths, AreWideWithBackslashes) {
  static_assert(std::is_same_v<fs::path::value_type, wchar_t>);
  EXPECT_EQ(fs::path::preferred_separator, L'\\');
  EXPECT_EQ((fs::path("a") / "b").string(), "a\\b");
  EXPECT_EQ(fs::path(u8"caf\u00e9").wstring(), L"caf\u00e9");
}

TEST_F(WinTrialFiles, CRenameDoesNotReplaceAFile) {
  const fs::path from = write("new", "new");
  const fs::path to = write("old", "old");
  EXPECT_NE(std::rename(from.string().c_str(), to.string().c_str()), 0);
  EXPECT_EQ(read(to), "old");
}

TEST_F(WinTrialFiles, FilesystemRenameReplacesAClosedFile) {
  const fs::path from = write("new", "new");
  const fs::path to = write("old", "old");
  std::error_code error;
  fs::rename(from, to, error);
  EXPECT_FALSE(error) << error.message();
  EXPECT_EQ(read(to), "new");
  EXPECT_FALSE(fs::exists(from));
}

TEST_F(WinTrialFiles, AFileStillOpenCannotBeRenamed) {
  const fs::path from = write("new", "new");
  const fs::path to = dir_ / "target";
  std::FILE* open = std::fopen(from.string().c_str(), "rb");
  ASSERT_NE(open, nullptr);
  std::error_code error;
  fs::rename(from, to, error);
  const bool renamed = !error;
  std::fclose(open);
  EXPECT_FALSE(renamed);
}

}  // namespace
