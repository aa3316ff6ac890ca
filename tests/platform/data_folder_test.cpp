// Which folder the game runs in: the one given, the working directory with
// its res/ folder, the installed data, then the folder beside the program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/DataFolder.h"

namespace fs = std::filesystem;

namespace {

// An installed tree: <root>/usr/bin (the programs), <root>/usr/share/duskwarren
// (the data), and a home folder without data.
struct InstalledTree {
  fs::path root, bin, data, home;
  InstalledTree() {
    root = fs::temp_directory_path() / ("duskwarren-data-folder-" + std::to_string(getpid()));
    fs::remove_all(root);
    bin = root / "usr" / "bin";
    data = root / "usr" / "share" / "duskwarren";
    home = root / "home";
    fs::create_directories(bin);
    fs::create_directories(data / "res");
    fs::create_directories(home);
  }
  ~InstalledTree() { fs::remove_all(root); }
};

const fs::path fromBin = "../share/duskwarren";

}  // namespace

TEST(DataFolder, TheGivenFolderThenHereThenInstalledThenBesideTheProgram) {
  InstalledTree t;

  // A folder given on the command line wins even where there is data.
  auto given = dw::chooseDataFolder("/some/mod", t.data, t.bin, fromBin);
  EXPECT_EQ(given.folder, fs::path("/some/mod"));
  EXPECT_EQ(given.note, "");

  // A game folder (a build tree, a copied game) runs where it is, quietly.
  auto here = dw::chooseDataFolder("", t.data, t.bin, fromBin);
  EXPECT_TRUE(here.folder.empty());
  EXPECT_EQ(here.note, "");

  // From the home folder: the installed data, said on one line.
  auto installed = dw::chooseDataFolder("", t.home, t.bin, fromBin);
  EXPECT_EQ(installed.folder, t.data);
  EXPECT_EQ(installed.note, "no res/ folder here: using the game data in " + t.data.string());

  // A res file is not a res folder.
  ASSERT_TRUE(std::ofstream(t.home / "res"));
  EXPECT_EQ(dw::chooseDataFolder("", t.home, t.bin, fromBin).folder, t.data);

  // No installed data: the folder beside the program, as in a build tree.
  fs::remove_all(t.data);
  fs::create_directories(t.bin / "res");
  auto beside = dw::chooseDataFolder("", t.home, t.bin, fromBin);
  EXPECT_EQ(beside.folder, t.bin);
  EXPECT_NE(beside.note.find(t.bin.string()), std::string::npos) << beside.note;

  // Nowhere: the game stays and names every folder it looked in.
  fs::remove_all(t.bin / "res");
  auto nowhere = dw::chooseDataFolder("", t.home, t.bin, fromBin);
  EXPECT_TRUE(nowhere.folder.empty());
  for (const fs::path& looked : {t.home, t.data, t.bin})
    EXPECT_NE(nowhere.note.find(looked.string()), std::string::npos) << nowhere.note;

  // The program's folder unknown: only the working directory counts.
  auto unknown = dw::chooseDataFolder("", t.home, {}, fromBin);
  EXPECT_TRUE(unknown.folder.empty());
  EXPECT_FALSE(unknown.note.empty());
}

TEST(DataFolder, EntersTheInstalledDataAndRefusesAMissingGivenFolder) {
  InstalledTree t;
  const fs::path before = fs::current_path();
  // The test program lives in the build tree, so "installed data" relative
  // to it is reached through an absolute path instead.
  const fs::path installedFromTests = t.data;
  std::string error;

  fs::current_path(t.home);
  ASSERT_TRUE(dw::enterDataFolder("", nullptr, installedFromTests, "test", error)) << error;
  EXPECT_EQ(fs::current_path(), fs::canonical(t.data));

  fs::current_path(t.home);
  EXPECT_FALSE(dw::enterDataFolder((t.root / "missing").string(), nullptr, installedFromTests,
                                   "test", error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
  EXPECT_EQ(fs::current_path(), fs::canonical(t.home));

  fs::current_path(before);
}
