#include "runs/RunRecorder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "frame/RunGame.h"
#include "platform/headless/HeadlessPlatform.h"
#include "recording/Recording.h"
#include "support/TempFolder.h"
#include "support/TestGame.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

std::string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string keysOf(const RecordingRead& read) {
  std::string keys;
  for (const auto& e : read.events) {
    if (e.kind == RecordedEvent::Kind::key) keys += e.text;
  }
  return keys;
}

// Reads the recording as it is on disk halfway through the game: what a
// crash at that moment would leave.
class HalfwayLook : public GameObserver {
 public:
  HalfwayLook(const fs::path& folder, const std::string& name) : folder_(folder), name_(name) {}
  void onKeyRead(const Game&) override {
    if (++reads_ == 500) seenHalfway = parseRecording(fileText(folder_ / name_));
  }
  RecordingRead seenHalfway;

 private:
  fs::path folder_;
  std::string name_;
  int reads_ = 0;
};

TEST(RunRecorder, AGameIsOnDiskAtEveryKeyNamedAfterItsSeedAndEveryLineIsTold) {
  // Removed once the recorder has let go of the run (Windows removes no open file).
  test::TempFolder temp;
  const fs::path folder = temp.path / "recordings";
  // A thousand keys of walking, casting and switching after the start screen.
  std::string play;
  for (int i = 0; i < 100; ++i) play += "8866224v+-";
  const std::string keys = "@42\r " + play;

  HeadlessPlatform platform(keys);
  platform.setDataRoot(test::gameDir());
  Game game(platform);
  RunRecorder recorder(game, RunRecorder::InFolder{folder, "2026-01-02-030405"},
                       0x0123456789abcdefull);
  std::string told;
  recorder.setLineSink([&told](std::string_view line) { told += line; });
  ASSERT_EQ(recorder.error(), "");
  // Nothing is on disk before a game begins.
  EXPECT_TRUE(recorder.path().empty());
  HalfwayLook look(folder, "2026-01-02-030405-seed42.dwrec");
  game.observer = &look;
  platform.setInputTap(&recorder);
  runGame(game);
  platform.setInputTap(nullptr);

  // Halfway through, every key handed to the game so far was on disk.
  EXPECT_EQ(keysOf(look.seenHalfway), keys.substr(0, 5 + 499));
  EXPECT_FALSE(look.seenHalfway.complete);

  recorder.finish(recordedEnding(game));
  const fs::path named = folder / "2026-01-02-030405-seed42.dwrec";
  ASSERT_EQ(recorder.path(), named.string());
  ASSERT_TRUE(fs::exists(named));
  RecordingRead read = parseRecording(fileText(named));
  ASSERT_TRUE(read.header);
  EXPECT_EQ(read.header->gameVersion, recordingGameVersion);
  EXPECT_EQ(read.header->seed, 42);
  EXPECT_EQ(read.header->dataFingerprint, 0x0123456789abcdefull);
  EXPECT_EQ(keysOf(read), keys);
  EXPECT_TRUE(read.complete);
  EXPECT_EQ(read.problem, "");
  // The lines told are the file, byte for byte.
  EXPECT_EQ(told, fileText(named));
  RecordProperty("bytes_for_1005_keys", static_cast<int>(fs::file_size(named)));
}

}  // namespace
}  // namespace dw
