#include "runs/CatchUp.h"

#include <algorithm>
#include <cstdio>

#include "frame/RunGame.h"
#include "platform/CappedRead.h"
#include "platform/VisibleText.h"
#include "recording/Fingerprint.h"
#include "recording/RecordedInput.h"
#include "runs/Checkpoint.h"
#include "runs/RecordingChain.h"
#include "runs/RecordingCheck.h"
#include "runs/RunFiles.h"
#include "runs/RunSummary.h"

namespace dw {

namespace fs = std::filesystem;

namespace {

// The recording after some point, packed for playing, with the points
// before its last key and after its last entry.
struct Tail {
  RecordedInput input;
  RecordingPoint beforeLastKey, afterLast;
  std::string problem;
};

Tail readTail(RecordingScanner& scanner) {
  Tail tail;
  tail.beforeLastKey = tail.afterLast = scanner.point();
  while (const RecordedEvent* event = scanner.next()) {
    if (event->kind == RecordedEvent::Kind::key) tail.beforeLastKey = tail.afterLast;
    tail.input.add(*event);
    if (event->kind != RecordedEvent::Kind::end) tail.afterLast = scanner.point();
  }
  tail.problem = describeStop(scanner);
  return tail;
}

// Notes at each play-loop key read whether every key had been given, tells
// the watch how far the catch-up has got, and stops it when the watch asks.
class KeyReads : public GameObserver {
 public:
  KeyReads(const RecordedInput& input, HeadlessPlatform& platform, CatchUpWatch* watch,
           std::uint64_t keysBefore, RunTally& tally)
      : input_(input), platform_(platform), watch_(watch), keysBefore_(keysBefore), tally_(tally) {}
  void onLevel(const Game& game) override {
    tally_.onLevel(game);
    if (watch_ && watch_->observer) watch_->observer->onLevel(game);
  }
  void onCycle(const Game& game) override {
    tally_.onCycle(game);
    if (watch_ && watch_->observer) watch_->observer->onCycle(game);
  }
  void onMessageReplaced(const Game& game, std::string_view earlier) override {
    if (watch_ && watch_->observer) watch_->observer->onMessageReplaced(game, earlier);
  }
  void onKeyRead(const Game& game) override {
    allGiven = !input_.keysLeft();
    if (watch_ && watch_->observer) watch_->observer->onKeyRead(game);
    if (watch_ && watch_->progress && (reads_++ & 255) == 0) tell(game);
  }
  bool allGiven = false;

 private:
  void tell(const Game& game) {
    auto now = std::chrono::steady_clock::now();
    if (now < nextTell_) return;
    nextTell_ = now + watch_->every;
    CatchUpProgress progress{keysBefore_ + input_.keysGiven(), keysBefore_ + input_.keyCount(),
                             game.state.levelNumber};
    if (watch_->progress(progress)) return;
    // No key more: the game stops at this read.
    watch_->stopped = true;
    platform_.setKeySource([] { return std::optional<std::string>(); });
  }

  const RecordedInput& input_;
  HeadlessPlatform& platform_;
  CatchUpWatch* watch_;
  std::uint64_t keysBefore_;
  RunTally& tally_;
  std::uint64_t reads_ = 0;
  std::chrono::steady_clock::time_point nextTell_{};
};

// Plays the tail into the run's game; true when the game then stands at a
// play-loop key read with every key played.
bool playTail(CaughtUpRun& run, RecordedInput& input, bool resumed, CatchUpWatch* watch) {
  feedRecording(*run.platform, input);
  KeyReads reads(input, *run.platform, watch, run.startKeys, run.tally);
  run.game->observer = &reads;
  if (resumed) {
    resumeGame(*run.game);
  } else {
    runGame(*run.game);
  }
  run.game->observer = nullptr;
  run.platform->setKeySource(nullptr);
  run.platform->setClockFeed(nullptr);
  bool atKeyRead = run.game->endReason == EndReason::inputClosed && reads.allGiven &&
                   run.game->state.levelNumber > 0;
  run.game->endReason = EndReason::running;
  run.game->exitCode = 0;
  return atKeyRead && !(watch && watch->stopped);
}

// Restores the recording's checkpoint into the run's game and sets the
// scanner after it. False, with a note, when there is none or it is no good.
bool startFromCheckpoint(CaughtUpRun& run, std::FILE* file, RecordingScanner& scanner,
                         std::uint64_t fingerprint, const ChainScan& chain) {
  std::string cpPath = checkpointPathOf(run.path).string();
  constexpr std::size_t most = 16u << 20;  // far above any checkpoint
  std::string why;
  bool missing = false;
  auto bytes = readCappedFile(cpPath, most, "a checkpoint", why, FileOrigin::found, &missing);
  if (!bytes) {
    // A FIFO or a device there is passed over, never waited on.
    if (!missing) run.notes.push_back(why + ": passed over, the run is replayed from its start");
    return false;
  }
  CheckpointPlace place;
  if (!restoreCheckpoint(*bytes, *run.game, place, why)) {
  } else if (place.dataFingerprint != fingerprint) {
    why = "it was taken with other data or tiles";
  } else if (!chainHolds(file, chain, place.point) || !scanner.resumeAt(run.header, place.point)) {
    // Every line before it must be the one it was taken after.
    why = "the recording before it is not the one it was taken from";
  }
  if (!why.empty()) {
    run.notes.push_back(visibleText(cpPath) + " passed over (" + why +
                        "): the run is replayed from its start");
    return false;
  }
  run.startKeys = place.point.keys;
  // The level count only grows: the level it stands on is the deepest.
  run.tally.carryOn(static_cast<std::int64_t>(place.turns), run.game->state.levelNumber);
  return true;
}

std::optional<CaughtUpRun> readHeader(const std::string& path, std::FILE* file, bool force,
                                      std::uint64_t fingerprint, std::string& error) {
  RecordingScanner scanner(file);
  scanner.readHeader();
  CaughtUpRun run;
  if (!headerPassed(scanner, path, toContinue, force, fingerprint, error, run.notes))
    return std::nullopt;
  run.path = path;
  run.header = *scanner.header();
  return run;
}

// One attempt: from the checkpoint, or from the start.
// `chain` is the whole recording's, followed once before.
bool catchUp(CaughtUpRun& run, std::FILE* file, std::uint64_t fingerprint, bool useCheckpoint,
             CatchUpWatch* watch, const ChainScan& chain) {
  run.platform = std::make_unique<HeadlessPlatform>();
  run.game = std::make_unique<Game>(*run.platform);
  run.startKeys = 0;
  run.tally = RunTally();
  std::rewind(file);
  RecordingScanner scanner(file);
  scanner.readHeader();
  run.fromCheckpoint = useCheckpoint && startFromCheckpoint(run, file, scanner, fingerprint, chain);
  // The watch may want the run from its start after all (it has nothing
  // kept for that checkpoint).
  if (run.fromCheckpoint && watch && watch->begin && !watch->begin(scanner.point()))
    run.fromCheckpoint = false;
  // A checkpoint passed over may have left its mark: start again clean.
  if (useCheckpoint && !run.fromCheckpoint)
    return catchUp(run, file, fingerprint, false, watch, chain);
  if (!run.fromCheckpoint && watch && watch->begin) watch->begin(std::nullopt);
  // Told before the recording is read: a long one takes a while.
  if (watch && watch->progress && !watch->progress({run.startKeys, 0, 0})) watch->stopped = true;
  if (watch && watch->stopped) return false;
  Tail tail = readTail(scanner);
  run.keep = tail.afterLast;
  // The Escape that ended the run is left out; after a closed window or a
  // kill every key counts.
  if (tail.input.endReason() == "quit" && tail.input.keyCount() > 0) {
    tail.input.dropLastKey();
    run.keep = tail.beforeLastKey;
  } else if (!tail.problem.empty()) {
    run.notes.push_back(visibleText(run.path) + ": " + tail.problem);
  }
  return playTail(run, tail.input, run.fromCheckpoint, watch);
}

// The catch-up keeps a checkpoint where it stopped, as play does at its key
// reads: the run goes on from there, maybe in another recording.
void takeCheckpoint(CaughtUpRun& run, std::uint64_t fingerprint) {
  run.checkpoint = checkedCheckpoint(
      *run.game, {run.keep, fingerprint, static_cast<std::uint64_t>(run.tally.turns())});
}

// A recording whose lines break their chain is never written again: the
// run goes on only with force, from the last good entry, in a new file
// beside it. False, with why, when it may not go on.
bool passedUndamaged(CaughtUpRun& run, const ChainScan& scan, bool force, std::string& error) {
  if (!scan.brokenAt) return true;
  std::string where = chainBreakText(scan);
  std::string last = countText(static_cast<std::int64_t>(*scan.brokenAt - 1));
  if (!force) {
    error = "cannot continue " + visibleText(run.path) + ": " + where +
            "; it is left as it was (--force goes on from entry " + last + " in a new file)";
    return false;
  }
  run.notes.push_back(visibleText(run.path) + " is " + where + ": going on from entry " + last +
                      " in a new file, the old one left as it was");
  run.intoNewFile = true;
  return true;
}

// The game's hold on a run of its own naming (any other file is only read,
// and the run goes on under a new name); nothing, with why, when another
// game holds it.
std::shared_ptr<RunLock> holdRun(const std::string& path, std::string& error) {
  if (!isGameRecordingName(fs::path(path).filename().string())) return RunLock::unheld();
  std::string why;
  std::shared_ptr<RunLock> lock = RunLock::take(path, why);
  if (!lock) error = "cannot continue " + visibleText(path) + ": " + why;
  return lock;
}

}  // namespace

std::optional<CaughtUpRun> catchUpRun(const std::string& path, bool force, std::string& error,
                                      bool useCheckpoint, CatchUpWatch* watch) {
  // Only a file can be continued: it is read twice and written anew.
  std::FILE* file = openRecordingFile(path, error, FileOrigin::found);
  if (!file) {
    error = "cannot continue: " + error;
    return std::nullopt;
  }
  std::shared_ptr<RunLock> lock = holdRun(path, error);
  if (!lock) {
    std::fclose(file);
    return std::nullopt;
  }
  std::uint64_t fingerprint = gameFilesFingerprint("");
  auto run = readHeader(path, file, force, fingerprint, error);
  if (run) run->lock = lock;
  // The chain is followed once, over the whole file: the checkpoint is
  // proved from what it found.
  ChainScan chain;
  if (run) chain = scanChain(file);
  if (run && !passedUndamaged(*run, chain, force, error)) run.reset();
  bool ready = run && catchUp(*run, file, fingerprint, useCheckpoint, watch, chain);
  if (run && !ready && run->fromCheckpoint && !(watch && watch->stopped)) {
    run->notes.push_back(visibleText(checkpointPathOf(path).string()) +
                         " passed over (the run does not go on from it): it is replayed from "
                         "its start");
    ready = catchUp(*run, file, fingerprint, false, watch, chain);
  }
  std::fclose(file);
  if (watch && watch->stopped) {
    error = "the catch-up of " + visibleText(path) + " was stopped: nothing was written";
    return std::nullopt;
  }
  if (run && !ready) {
    error = "cannot continue " + visibleText(path) + ": it holds no game stopped in the dungeon";
    return std::nullopt;
  }
  if (run) takeCheckpoint(*run, fingerprint);
  return run;
}

std::optional<std::string> recordingToContinue(const std::string& file, const fs::path& folder,
                                               bool force, std::string& error,
                                               std::vector<std::string>& notes) {
  std::string path = file;
  if (path.empty()) {
    auto newest = newestRun(folder);
    if (!newest) {
      error = "there is no run to continue in " + visibleText(folder.string());
      return std::nullopt;
    }
    path = newest->string();
  }
  // A run another game plays is refused before any front-end opens; the
  // catch-up takes the hold for good.
  if (!holdRun(path, error)) return std::nullopt;
  std::FILE* opened = openRecordingFile(path, error, FileOrigin::found);
  if (!opened) {
    error = "cannot continue: " + error;
    return std::nullopt;
  }
  auto run = readHeader(path, opened, force, gameFilesFingerprint(""), error);
  std::fclose(opened);
  if (!run) return std::nullopt;
  notes = run->notes;
  return path;
}

}  // namespace dw
