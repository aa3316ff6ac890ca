#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/Game.h"
#include "recording/Recording.h"

namespace dw {

// Records a game played in the window, always: every key handed to the game
// and every clock reading, flushed as each comes, so a crash or a kill loses
// at most the key being read. The file is made at the first key of the
// first level, when the seed the levels come from is known, and named after
// it ("<stamp>-seed<seed>.dwrec"); a launch that never begins a game leaves
// no file. Making it removes the oldest recordings beyond the hundred kept.
// Nothing here can stop the game: a recording that cannot be written just
// ends.
class WindowRecorder : public InputTap {
 public:
  WindowRecorder(const Game& game, std::filesystem::path folder, std::string stamp,
                 std::uint64_t dataFingerprint);

  void onKey(const std::string& key) override;
  void onTimer(double reading) override { writer_.onTimer(reading); }
  void onLocalTime(const ClockTime& time) override { writer_.onLocalTime(time); }
  // Writes the closing entry for why the game ended.
  void finish();

  // The recording's file; empty before a game began, or when it could not
  // be made.
  const std::filesystem::path& path() const { return path_; }
  // The file's writer, for the checkpoints taken beside it.
  const RecordingWriter& writer() const { return writer_; }
  // Why the game is not (or no longer) recorded; empty while it is.
  const std::string& error() const { return writer_.error(); }

 private:
  void start();

  const Game& game_;
  std::filesystem::path folder_;
  std::string stamp_;
  std::uint64_t fingerprint_;
  std::filesystem::path path_;
  RecordingWriter writer_;
  bool started_ = false;
};

}  // namespace dw
