#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Game.h"
#include "recording/Recording.h"
#include "runs/CheckpointBytes.h"

namespace dw {

// A checkpoint saves a game at a play-loop key read (see CheckpointBytes.h),
// so that continuing the run reads only what the recording holds after it.
// It sits beside its recording ("NAME.dwcp" for "NAME.dwrec"). The
// recording stays the truth: a checkpoint that is missing, damaged, from
// another build or from another recording is passed over and the run is
// replayed from its start.

// Writes a new file beside path and renames it into place; false, with the
// reason, when it cannot.
bool writeCheckpointFile(const std::string& path, std::string_view bytes, std::string& error);

// What a game's session keeps of the run at a checkpoint, beside it
// ("NAME.dwlog" for "NAME.dwrec"): the message log as it stood there, so a
// run taken up from its checkpoint has the whole of it. Its bytes are the
// session's own; this file only ties them to the checkpoint's place in the
// recording, and is read back only for the very same place.
inline constexpr std::string_view checkpointLogMagic = "dwlog";
class CheckpointCompanion {
 public:
  // The bytes kept beside a checkpoint taken of `game` now.
  virtual std::string companionBytes(const Game& game) const = 0;

 protected:
  ~CheckpointCompanion() = default;
};
// Writes the companion of the checkpoint at `point` beside the recording
// (a temporary file renamed into place); false, with the reason, when it
// cannot.
bool writeCheckpointLog(const std::string& recording, const RecordingPoint& point,
                        std::string_view bytes, std::string& error);
// The companion bytes beside the recording when they were kept for the
// checkpoint at `point` and are whole; nothing else.
std::optional<std::string> readCheckpointLog(const std::string& recording,
                                             const RecordingPoint& point);

// A checkpoint of a game at a play-loop key read, with its companion's
// bytes, to write now or later.
struct TakenCheckpoint {
  std::string bytes;
  std::optional<std::string> companion;
  RecordingPoint point;
};
// Writes both beside the recording: the companion first, so that a
// checkpoint is never found with the log of another. False, with why.
bool writeTakenCheckpoint(const std::string& recording, const TakenCheckpoint& taken,
                          std::string& error);

// Takes a checkpoint now and then as a recorded game is played: at a
// play-loop key read, once at least `every` keys were recorded since the
// last one. Tells the observer after it everything it is told.
class CheckpointTaker : public GameObserver {
 public:
  // Where the recording stands, and its path; nothing while it is not
  // being written.
  struct Recorder {
    virtual ~Recorder() = default;
    virtual const RecordingWriter* writer() const = 0;
    virtual std::string path() const = 0;
  };
  CheckpointTaker(const Recorder& recorder, std::uint64_t dataFingerprint,
                  GameObserver* next = nullptr, std::uint64_t every = 1000)
      : recorder_(recorder), fingerprint_(dataFingerprint), next_(next), every_(every) {}

  void onLevel(const Game& game) override {
    if (next_) next_->onLevel(game);
  }
  void onCycle(const Game& game) override {
    ++turns_;
    if (next_) next_->onCycle(game);
  }
  void onMessageReplaced(const Game& game, std::string_view earlier) override {
    if (next_) next_->onMessageReplaced(game, earlier);
  }
  void onKeyRead(const Game& game) override;

  // Keys of the recording the last checkpoint stands at (0: none yet).
  std::uint64_t lastKeys() const { return lastKeys_; }
  // Why the last checkpoint could not be written; empty when it was.
  const std::string& error() const { return error_; }
  // Counts from this many keys and turns on (a continued run, say).
  void countFrom(std::uint64_t keys, std::uint64_t turns = 0) {
    lastKeys_ = keys;
    turns_ = turns;
  }
  void setNext(GameObserver* next) { next_ = next; }
  // What is kept beside each checkpoint from now on (none: nothing).
  void setCompanion(const CheckpointCompanion* companion) { companion_ = companion; }
  // A checkpoint of the game as it stands, at a play-loop key read, taken
  // whatever the count; nothing when the recording is not being written or
  // the checkpoint does not prove.
  std::optional<TakenCheckpoint> take(const Game& game) const;
  // Writes one taken before, beside the recording; false with error().
  bool write(const TakenCheckpoint& taken);

 private:
  const Recorder& recorder_;
  std::uint64_t fingerprint_;
  GameObserver* next_;
  std::uint64_t every_;
  std::uint64_t lastKeys_ = 0;
  std::uint64_t turns_ = 0;  // the run's, as the checkpoints keep them
  std::string error_;
  const CheckpointCompanion* companion_ = nullptr;
};

}  // namespace dw
