#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Game.h"
#include "recording/Recording.h"

namespace dw {

// A checkpoint's bytes, apart from where they are kept: everything a fresh
// Game needs to go on exactly as the one it was taken from (the state, the
// level, the cell classes, the key/value tables, the generator and the
// screen), and where the game's recording stood at that moment. The state
// is walked field by field as core/GameStateWalk.h lists it, by the writer
// and the reader alike.
struct CheckpointPlace {
  // The recording before this key read. Its checksum chains through every
  // byte before it, so it also tells the recording's own bytes from any
  // other's.
  RecordingPoint point;
  std::uint64_t dataFingerprint = 0;
  // The run's turns before this key read (commands carried out since it
  // began, as its summary counts them), which a recording cannot tell
  // without being played: the summary of a run taken up here goes on from
  // them. Never more than the keys before it.
  std::uint64_t turns = 0;
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

}  // namespace dw
