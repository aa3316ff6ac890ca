#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Game.h"
#include "recording/Recording.h"

namespace dw {

// A checkpoint saves a game at a play-loop key read: everything a fresh Game
// needs to go on exactly as the one it was taken from (the state, the level,
// the cell classes, the key/value tables, the generator and the screen), and
// where the game's recording stood at that moment, so that continuing the
// run reads only what the recording holds after it. It sits beside its
// recording ("NAME.dwcp" for "NAME.dwrec"). The recording stays the truth: a
// checkpoint that is missing, damaged, from another build or from another
// recording is passed over and the run is replayed from its start.
struct CheckpointPlace {
  // The recording before this key read. Its checksum chains through every
  // byte before it, so it also tells the recording's own bytes from any
  // other's.
  RecordingPoint point;
  std::uint64_t dataFingerprint = 0;
};

// How every checkpoint's bytes begin.
inline constexpr std::string_view checkpointMagic = "dwcp";

// The checkpoint's bytes: a fixed layout, the runs of each page packed, and
// a checksum of the whole at the end.
std::string saveCheckpoint(const Game& game, const CheckpointPlace& place);
// Puts a checkpoint into a game at a key read; false, with why, when the
// bytes are not a whole checkpoint of this build (the game is then left as
// it was).
bool restoreCheckpoint(std::string_view bytes, Game& game, CheckpointPlace& place,
                       std::string& why);

// Whether two games are the same in everything a checkpoint keeps.
bool sameGame(const Game& a, const Game& b);
// Makes `to` the game `from` is (its platform and tile cache aside).
void copyGame(const Game& from, Game& to);

// A checkpoint of the game, proved before it is given: restored into a fresh
// game, it must be the same game. Nothing when it is not.
std::optional<std::string> checkedCheckpoint(const Game& game, const CheckpointPlace& place);

// Writes a new file beside path and renames it into place; false, with the
// reason, when it cannot.
bool writeCheckpointFile(const std::string& path, std::string_view bytes, std::string& error);

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
    if (next_) next_->onCycle(game);
  }
  void onKeyRead(const Game& game) override;

  // Keys of the recording the last checkpoint stands at (0: none yet).
  std::uint64_t lastKeys() const { return lastKeys_; }
  // Why the last checkpoint could not be written; empty when it was.
  const std::string& error() const { return error_; }
  // Counts from this many keys on (a continued run, say).
  void countFrom(std::uint64_t keys) { lastKeys_ = keys; }
  void setNext(GameObserver* next) { next_ = next; }

 private:
  const Recorder& recorder_;
  std::uint64_t fingerprint_;
  GameObserver* next_;
  std::uint64_t every_;
  std::uint64_t lastKeys_ = 0;
  std::string error_;
};

}  // namespace dw
