// A run's files: the player's folders, the names the game gives a run's
// recording and the files beside it, and which of them go when old runs are
// pruned.
#include "runs/RunFiles.h"

#include <gtest/gtest.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <vector>

#include "platform/WindowsApi.h"
#include "runs/RunLock.h"
#include "runs/UserFolders.h"
#include "support/TempFolder.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

using test::TempFolder;

Environment fakeEnvironment(std::map<std::string, std::string> values) {
  return [values](const std::string& name) -> std::optional<std::string> {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  };
}

#ifdef _WIN32
// Windows keeps the player's folders by its own variables, wide, read as
// UTF-8; the home folder is written "~" with either separator after it.
TEST(PlayerFolders, SettingsAndRunsComeFromTheWindowsVariables) {
  const std::string home = "C:\\Users\\Zo\u00eb";
  auto env = fakeEnvironment({{"USERPROFILE", home},
                              {"APPDATA", home + "\\AppData\\Roaming"},
                              {"LOCALAPPDATA", "D:\\Local"},
                              {"XDG_DATA_HOME", "C:\\xdg"}});
  EXPECT_EQ(gameSettingsFolder(env), pathOfText(home + "\\AppData\\Roaming\\Duskwarren"));
  EXPECT_EQ(gameRunsFolder(env), fs::path("D:\\Local\\Duskwarren"));
  EXPECT_EQ(recordingsFolder(env), fs::path("D:\\Local\\Duskwarren\\recordings"));
  // A relative folder counts as unset.
  auto relative = fakeEnvironment({{"USERPROFILE", home}, {"LOCALAPPDATA", "Local"}});
  EXPECT_EQ(gameRunsFolder(relative), pathOfText(home + "\\AppData\\Local\\Duskwarren"));
  EXPECT_EQ(shortPath(pathOfText(home + "\\Pictures\\\u00e9t\u00e9.png"), env),
            "~\\Pictures\\\u00e9t\u00e9.png");
  EXPECT_EQ(processEnvironment()("DUSKWARREN_NO_SUCH_VARIABLE"), std::nullopt);
}
#else
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
#endif

TEST(Recordings, TheNewestAreKeptAndNothingElseIsTouched) {
  TempFolder temp;
#ifndef _WIN32
  EXPECT_EQ(recordingsFolder(fakeEnvironment({{"XDG_DATA_HOME", temp.path.string()}})),
            temp.path / "duskwarren/recordings");
#endif
  EXPECT_EQ(recordingName("2026-01-02-030405", 42), "2026-01-02-030405-seed42.dwrec");
  EXPECT_EQ(recordingName("2026-01-02-030405", std::nullopt), "2026-01-02-030405.dwrec");

  auto make = [&](const std::string& name) { std::ofstream(temp.path / name) << "dwrec"; };
  for (int day = 10; day <= 20; ++day)
    make("2026-01-" + std::to_string(day) + "-120000-seed7.dwrec");
  make("notes.txt");
  // The files beside a recording go with it, and stay with a kept one.
  for (std::string sidecar : {".dwcp", ".dwrun"}) {
    make("2026-01-11-120000-seed7" + sidecar);
    make("2026-01-20-120000-seed7" + sidecar);
  }
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
  EXPECT_EQ(left,
            (std::vector<std::string>{
                "0000-current.dwrec", "2026-01-05-1200-seed7.dwrec",
                "2026-01-10-120000-seed7.dwrec", "2026-01-19-120000-seed7.dwrec",
                "2026-01-20-120000-seed7.dwcp", "2026-01-20-120000-seed7.dwrec",
                "2026-01-20-120000-seed7.dwrun", "best-01.dwrec", "best-99.dwrec", "notes.txt"}));
}

TEST(RunNames, TheSeedAFreeNameAndTheFilesBesideARecording) {
  TempFolder temp;
  const fs::path folder = temp.path / "recordings";
  fs::create_directories(folder);
  // A second game begun in the same second, and a run continued from
  // elsewhere whose name is taken, get free names that still give the seed.
  std::ofstream(folder / "2026-01-02-030405-seed-7.dwrec") << "dwrec";
  const fs::path second = newRecordingPath(folder, "2026-01-02-030405", -7);
  EXPECT_EQ(second, folder / "2026-01-02-030405-2-seed-7.dwrec");
  EXPECT_TRUE(isGameRecordingName(second.filename().string()));
  const fs::path continued = continuedRecordingPath(temp.path / "2026-01-02-030405-seed-7.dwrec",
                                                    folder, -7, "2026-01-02-030405");
  EXPECT_EQ(continued, folder / "2026-01-02-030405-2-seed-7.dwrec");
  EXPECT_EQ(continuedRecordingPath(folder / "x.dwrec", folder, 3), folder / "x.dwrec");
  for (const fs::path& named : {second, continued}) EXPECT_EQ(seedOfRecordingName(named), -7);
  for (std::string name : {"best.dwrec", "a-seed.dwrec", "a-seed4x.dwrec", "a-seed4-.dwrec",
                           "a-seed99999999999999999999.dwrec"})
    EXPECT_EQ(seedOfRecordingName(name), std::nullopt) << name;

  // The newest run is the one last played (last written) whose name gives
  // a seed: no game was begun in the others.
  std::ofstream(folder / "2026-01-02-030406.dwrec") << "dwrec";
  std::ofstream(folder / "zz-best.dwrec") << "dwrec";
  std::ofstream(second) << "dwrec";
  const auto now = fs::file_time_type::clock::now();
  fs::last_write_time(second, now - std::chrono::hours(2));
  fs::last_write_time(folder / "2026-01-02-030405-seed-7.dwrec", now - std::chrono::hours(1));
  EXPECT_EQ(newestRun(folder), folder / "2026-01-02-030405-seed-7.dwrec");
  fs::last_write_time(second, now);
  EXPECT_EQ(newestRun(folder), second);
  EXPECT_EQ(newestRun(temp.path / "none"), std::nullopt);

  EXPECT_EQ(checkpointPathOf("/r/a.dwrec"), fs::path("/r/a.dwcp"));
  EXPECT_EQ(summaryPathOf("/r/a.dwrec"), fs::path("/r/a.dwrun"));
  EXPECT_EQ(checkpointPathOf("/r/a.rec"), fs::path("/r/a.rec.dwcp"));
}

}  // namespace
}  // namespace dw

namespace dw {
namespace {

// A process that has ended, for the names of its files.
long goneProcess() {
#ifdef _WIN32
  // Its handle stays open, so that no new process takes its number.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  std::wstring line = L"cmd.exe /c exit";
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &child))
    return 0;
  ::WaitForSingleObject(child.hProcess, INFINITE);
  ::CloseHandle(child.hThread);
  return static_cast<long>(child.dwProcessId);
#else
  pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
#endif
}

TEST(RunLocks, AHeldRunIsPassedOverAndOnlyLeftoversOfNoLiveGameGo) {
  TempFolder temp;
  const fs::path older = temp.path / "2026-12-01-100000-seed7.dwrec";
  const fs::path newer = temp.path / "2026-12-02-100000-seed42.dwrec";
  std::ofstream(older) << "x";
  std::ofstream(newer) << "x";
  std::string error;
  auto held = RunLock::take(newer, error);
  ASSERT_TRUE(held) << error;
  EXPECT_EQ(newestRun(temp.path), older);
  EXPECT_FALSE(RunLock::take(newer, error));
  EXPECT_EQ(error, "that run is being played (process " + std::to_string(getpid()) + ")");

  // What killed games left: gone unless its run is held or its writer lives.
  const std::string dead = std::to_string(goneProcess());
  const std::string alive = std::to_string(getpid());
  const std::vector<std::string> gone = {".2026-12-01-100000-seed7.dwrec." + dead + "-0.part",
                                         ".2026-12-01-100000-seed7.dwcp." + dead + "-3.part"};
  const std::vector<std::string> kept = {".2026-12-02-100000-seed42.dwcp." + dead + "-0.part",
                                         ".2026-12-01-100000-seed7.dwrun." + alive + "-0.part",
                                         ".notes.txt." + dead + "-0.part", "mine.dwrec"};
  for (const auto& name : gone) std::ofstream(temp.path / name) << "x";
  for (const auto& name : kept) std::ofstream(temp.path / name) << "x";
  EXPECT_EQ(pruneRecordings(temp.path, 1, older), 0u);  // the held run stays
  for (const auto& name : gone) EXPECT_FALSE(fs::exists(temp.path / name)) << name;
  for (const auto& name : kept) EXPECT_TRUE(fs::exists(temp.path / name)) << name;

  // Let go, the run is free again, and pruned with its lock file.
  held.reset();
  EXPECT_FALSE(runHolder(newer));
  EXPECT_EQ(pruneRecordings(temp.path, 1, older), 1u);
  EXPECT_FALSE(fs::exists(lockPathOf(newer)));
}

}  // namespace
}  // namespace dw
