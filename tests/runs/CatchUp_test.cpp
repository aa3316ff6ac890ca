// Continuing a run: a recorded game, caught up from its checkpoint or from
// its start, goes on as the same game, and its recording stays one whole run.
#include "runs/CatchUp.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>

#include "frame/RunGame.h"
#include "recording/Fingerprint.h"
#include "runs/KeptRuns.h"
#include "runs/RunFiles.h"
#include "runs/RunRecorder.h"
#include "support/TestGame.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

// A walk with pick-ups, spells and the stairs now and then.
std::string walk(int moves, unsigned seed) {
  const std::string keys = "2468246824682468  hv+";
  std::string out;
  for (int i = 0; i < moves; ++i) {
    seed = seed * 1103515245u + 12345u;
    out += keys[(seed >> 16) % keys.size()];
  }
  return out;
}

// Plays keys on a fresh headless game; the game as it stands at the end.
struct KeysGame {
  HeadlessPlatform platform;
  Game game{platform};
  explicit KeysGame(const std::string& keys) : platform(keys) { runGame(game); }
};

class ContinueRun : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("duskwarren-continue-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "recordings");
    ASSERT_EQ(chdir(test::gameDir().c_str()), 0);
    // A run of about 400 keys over three levels, checkpointed every 64,
    // ended with Escape.
    keys_ =
        "@7\r 8666888828266888844886 446222222622224 2222222222666222 444888888888886 "
        "22444222222666262224444444444 b66b" +
        walk(250, 7);
    record(folder_ / "run-seed42.dwrec", keys_ + "\x1b");
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Records keys into path, checkpointed every 64 keys; `data` is the
  // fingerprint of the files it says it was played on.
  void record(const fs::path& path, const std::string& keys,
              std::uint64_t data = gameFilesFingerprint("")) {
    HeadlessPlatform platform(keys);
    Game game(platform);
    RunRecorder recorder(game, RunRecorder::InFile{path}, data);
    CheckpointTaker checkpoints(recorder, data, nullptr, 64);
    game.observer = &checkpoints;
    platform.setInputTap(&recorder);
    runGame(game);
    recorder.finish(recordedEnding(game));
    EXPECT_EQ(recorder.error(), "");
    EXPECT_EQ(checkpoints.error(), "");
    EXPECT_GE(checkpoints.lastKeys(), 320u);
  }

  fs::path folder_;
  std::string keys_;
};

TEST_F(ContinueRun, FromACheckpointOrADamagedOneTheGameIsTheOneThatStopped) {
  const fs::path run = folder_ / "run-seed42.dwrec";
  KeysGame stopped(keys_);  // the same keys without the Escape
  ASSERT_GT(stopped.game.state.levelNumber, 2);
  ASSERT_EQ(stopped.game.endReason, EndReason::inputClosed);
  stopped.game.endReason = EndReason::running;  // waiting at its key read

  std::string error;
  auto fast = catchUpRun(run.string(), false, error);
  ASSERT_TRUE(fast) << error;
  EXPECT_TRUE(fast->fromCheckpoint);
  EXPECT_TRUE(fast->notes.empty());
  EXPECT_TRUE(sameGame(*fast->game, stopped.game));

  // One byte of the checkpoint changed: passed over, and the whole run is
  // replayed to the same game.
  const fs::path cp = checkpointPathOf(run);
  std::string bytes;
  {
    std::ifstream in(cp, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    bytes = text.str();
  }
  ASSERT_GT(bytes.size(), 1000u);
  bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x10);
  std::ofstream(cp, std::ios::binary) << bytes;
  auto slow = catchUpRun(run.string(), false, error);
  ASSERT_TRUE(slow) << error;
  EXPECT_FALSE(slow->fromCheckpoint);
  ASSERT_EQ(slow->notes.size(), 1u);
  EXPECT_NE(slow->notes[0].find("the checkpoint is damaged"), std::string::npos) << slow->notes[0];
  EXPECT_TRUE(sameGame(*slow->game, stopped.game));
  EXPECT_EQ(slow->keep, fast->keep);

  // A good checkpoint of another run beside it: passed over as well.
  const fs::path other = folder_ / "other-seed7.dwrec";
  record(other, "@7\r " + walk(330, 9) + "\x1b");
  // Removed first: Windows' library cannot copy over a file.
  fs::remove(cp);
  fs::copy_file(checkpointPathOf(other), cp);
  auto foreign = catchUpRun(run.string(), false, error);
  ASSERT_TRUE(foreign) << error;
  EXPECT_FALSE(foreign->fromCheckpoint);
  ASSERT_EQ(foreign->notes.size(), 1u);
  EXPECT_NE(foreign->notes[0].find("not the one it was taken from"), std::string::npos)
      << foreign->notes[0];
  EXPECT_TRUE(sameGame(*foreign->game, stopped.game));
}

TEST_F(ContinueRun, GoesOnInOneRecordingOfTheWholeRun) {
  const fs::path run = folder_ / "run-seed42.dwrec";
  std::string error;
  auto caught = catchUpRun(run.string(), false, error);
  ASSERT_TRUE(caught) << error;

  // The player goes on with 60 more keys and Escape, from outside the
  // recordings folder: the source file is left as it was.
  const std::string before = [&] {
    std::ifstream in(run, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }();
  const std::string more = walk(60, 99);
  HeadlessPlatform live(more + "\x1b");
  Game game(live);
  copyGame(*caught->game, game);
  auto recorder = std::make_unique<RunRecorder>(game, *caught, folder_ / "recordings");
  // It becomes a run of this machine, named as a new run is.
  const fs::path target = recorder->path();
  EXPECT_EQ(target.parent_path(), folder_ / "recordings");
  EXPECT_TRUE(isGameRecordingName(target.filename().string())) << target;
  EXPECT_EQ(seedOfRecordingName(target), caught->game->state.seed);
  ASSERT_EQ(recorder->error(), "");
  live.setInputTap(recorder.get());
  resumeGame(game);
  recorder->finish(recordedEnding(game));
  EXPECT_EQ(game.endReason, EndReason::quit);

  // The recording of the whole run replays to the game of all its keys.
  KeysGame whole(keys_ + more + "\x1b");
  std::ifstream in(target, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  RecordingRead read = parseRecording(text.str());
  ASSERT_TRUE(read.complete) << describeStop(read);
  std::string keys;
  for (const auto& e : read.events) {
    if (e.kind == RecordedEvent::Kind::key) keys += e.text;
  }
  EXPECT_EQ(keys, keys_ + more + "\x1b");
  EXPECT_TRUE(sameGame(game, whole.game));
  std::ifstream again(run, std::ios::binary);
  std::ostringstream after;
  after << again.rdbuf();
  EXPECT_EQ(after.str(), before);

  // With the checkpoint the catch-up took beside it, the next continue
  // starts there, once this game has let the run go.
  live.setInputTap(nullptr);
  recorder.reset();
  auto next = catchUpRun(target.string(), false, error);
  ASSERT_TRUE(next) << error;
  EXPECT_TRUE(next->fromCheckpoint);
  EXPECT_EQ(next->startKeys, caught->keep.keys);
}

std::string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The turns a run of these keys takes, played at once.
std::int64_t turnsOf(const std::string& keys) {
  HeadlessPlatform platform(keys);
  Game game(platform);
  RunTally tally;
  game.observer = &tally;
  runGame(game);
  return tally.turns();
}

// Takes the run at `path` up, plays `more` keys on as the shell does (its
// tally, the recorder and its checkpoints watching) and ends it: the line
// for stderr. The run is let go of afterwards.
std::string goOn(const fs::path& path, bool force, const std::string& more, bool& fromCheckpoint) {
  std::string error;
  auto caught = catchUpRun(path.string(), force, error);
  EXPECT_TRUE(caught) << error;
  if (!caught) return error;
  fromCheckpoint = caught->fromCheckpoint;
  HeadlessPlatform live(more);
  Game game(live);
  copyGame(*caught->game, game);
  RunTally tally = caught->tally;
  RunRecorder recorder(game, *caught, path.parent_path(), gameFilesFingerprint(""));
  recorder.watchTally(tally);
  recorder.checkpoints().setNext(&tally);
  game.observer = &recorder.checkpoints();
  live.setInputTap(&recorder);
  resumeGame(game);
  recorder.finish(recordedEnding(game));
  return closeRun(tally, game, &recorder, true);
}

TEST_F(ContinueRun, QuittingAContinuedRunSumsItUpFromItsCheckpointNotItsRecording) {
  const fs::path run = folder_ / "recordings" / "2026-01-01-000000-seed7.dwrec";
  fs::rename(folder_ / "run-seed42.dwrec", run);
  fs::rename(checkpointPathOf(folder_ / "run-seed42.dwrec"), checkpointPathOf(run));
  const std::uint64_t data = gameFilesFingerprint("");
  ASSERT_FALSE(storedSummary(run));  // no summary to go on from

  // Quit at once, then again after 30 keys more, each time without a
  // summary beside it (as after a kill): the summary written is the one the whole recording gives
  // played, and the line says its turns.
  for (const std::string& more : {std::string("\x1b"), walk(30, 3) + "\x1b"}) {
    fs::remove(summaryPathOf(run));
    bool fromCheckpoint = false;
    std::string line = goOn(run, false, more, fromCheckpoint);
    EXPECT_TRUE(fromCheckpoint);
    auto written = storedSummary(run);
    auto played = summarizeRecording(run, data);
    ASSERT_TRUE(written && played) << line;
    EXPECT_EQ(*written, *played);
    EXPECT_EQ(written->ending, "quit");
    EXPECT_NE(line.find(", " + countText(played->turns) + " turns; to go on"), std::string::npos)
        << line;
  }

  // Made from the checkpoint, never from the recording: a checkpoint that
  // counts 5 turns fewer gives a summary 5 turns short.
  const std::int64_t turns = storedSummary(run)->turns;
  HeadlessPlatform scratch;
  Game game(scratch);
  CheckpointPlace place;
  std::string why;
  ASSERT_TRUE(restoreCheckpoint(fileText(checkpointPathOf(run)), game, place, why)) << why;
  place.turns -= 5;
  std::ofstream(checkpointPathOf(run), std::ios::binary) << saveCheckpoint(game, place);
  bool fromCheckpoint = false;
  goOn(run, false, "\x1b", fromCheckpoint);
  EXPECT_TRUE(fromCheckpoint);
  EXPECT_EQ(storedSummary(run)->turns, turns - 5);
}

TEST_F(ContinueRun, ASummaryHoldsForItsRecordingAsLastPlayedAndTheRunsGoInThatOrder) {
  const fs::path folder = folder_ / "recordings";
  const fs::path run = folder / "2026-01-01-000000-seed7.dwrec";
  fs::rename(folder_ / "run-seed42.dwrec", run);
  fs::rename(checkpointPathOf(folder_ / "run-seed42.dwrec"), checkpointPathOf(run));
  bool fromCheckpoint = false;
  goOn(run, false, "\x1b", fromCheckpoint);
  const auto summary = storedSummary(run);
  ASSERT_TRUE(summary);

  // The same bytes, last played at another time: the summary no longer
  // holds, and listing the runs makes it again for the recording as it is.
  const auto now = fs::file_time_type::clock::now();
  fs::last_write_time(run, now - std::chrono::hours(3));
  EXPECT_FALSE(storedSummary(run));
  const fs::path other = folder / "2026-01-09-000000-seed7.dwrec";
  fs::copy_file(run, other);
  fs::last_write_time(other, now - std::chrono::hours(5));
  auto runs = keptRuns(folder);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].file, run.filename());
  EXPECT_EQ(runs[0].summary, *summary);
  EXPECT_EQ(storedSummary(run), summary);
  EXPECT_EQ(newestRun(folder), run);

  // Played later, the other run comes first everywhere, and is kept first.
  fs::last_write_time(other, now);
  EXPECT_EQ(newestRun(folder), other);
  EXPECT_EQ(keptRuns(folder)[0].file, other.filename());
  EXPECT_EQ(pruneRecordings(folder, 1, {}), 1u);
  EXPECT_TRUE(fs::exists(other));
  EXPECT_FALSE(fs::exists(run) || fs::exists(summaryPathOf(run)));
}

TEST_F(ContinueRun, AForcedContinueOnOtherDataTellsItsRealTurns) {
  // The run was played on other files: continued only with force, from its
  // start the first time (its checkpoints were taken on those files), from
  // the checkpoint that continue took the second, each time with the turns
  // its keys give here.
  const fs::path run = folder_ / "recordings" / "2026-01-01-000000-seed7.dwrec";
  record(run, keys_ + "\x1b", 0x1234);
  std::string keys = keys_;
  for (bool second : {false, true}) {
    fs::remove(summaryPathOf(run));  // as after a kill
    bool fromCheckpoint = false;
    std::string line = goOn(run, true, walk(10, 11) + "\x1b", fromCheckpoint);
    keys += walk(10, 11);
    const std::int64_t turns = turnsOf(keys);
    EXPECT_EQ(fromCheckpoint, second);
    auto written = storedSummary(run);
    ASSERT_TRUE(written) << line;
    EXPECT_TRUE(written->played);
    EXPECT_EQ(written->turns, turns);
    EXPECT_NE(line.find(", " + countText(turns) + " turns; to go on"), std::string::npos) << line;
  }
}

TEST_F(ContinueRun, ADamagedRecordingIsNeverCutShorter) {
  // One byte of entry 100 changed, as an editor would: the checkpoint past
  // it no longer stands on the lines before it.
  const fs::path run = folder_ / "recordings" / "run-seed42.dwrec";
  fs::rename(folder_ / "run-seed42.dwrec", run);
  fs::rename(checkpointPathOf(folder_ / "run-seed42.dwrec"), checkpointPathOf(run));
  std::string bytes = fileText(run);
  std::size_t line = 0;
  for (int n = 1; n < 100; ++n) line = bytes.find('\n', line) + 1;
  ASSERT_EQ(bytes.compare(line, 2, "k "), 0) << bytes.substr(line, 20);
  bytes[line + 3] = 'X';
  std::ofstream(run, std::ios::binary) << bytes;
  const std::string lines = std::to_string(std::count(bytes.begin(), bytes.end(), '\n'));

  // Refused, with and without its checkpoint, the file left byte for byte.
  for (bool withCheckpoint : {true, false}) {
    if (!withCheckpoint) fs::remove(checkpointPathOf(run));
    std::string error;
    EXPECT_FALSE(catchUpRun(run.string(), false, error));
    EXPECT_NE(error.find("damaged at entry 100 of " + lines), std::string::npos) << error;
    EXPECT_NE(error.find("--force"), std::string::npos) << error;
    EXPECT_EQ(fileText(run), bytes);
  }

  // Forced: it goes on from entry 99 in a new file beside it.
  std::string error;
  auto caught = catchUpRun(run.string(), true, error);
  ASSERT_TRUE(caught) << error;
  EXPECT_TRUE(caught->intoNewFile);
  HeadlessPlatform live(walk(20, 5) + "\x1b");
  Game game(live);
  copyGame(*caught->game, game);
  RunRecorder recorder(game, *caught, folder_ / "recordings");
  EXPECT_EQ(recorder.path(), (folder_ / "recordings" / "run-seed42-2.dwrec").string());
  live.setInputTap(&recorder);
  resumeGame(game);
  recorder.finish(recordedEnding(game));
  EXPECT_EQ(fileText(run), bytes);
  RecordingRead read = parseRecording(fileText(recorder.path()));
  EXPECT_TRUE(read.complete) << describeStop(read);
}

}  // namespace
}  // namespace dw
