#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Game.h"

namespace dw {

// What a player wants to know of a run once it has stopped: how deep it
// went, how long it lasted and how it ended. One is kept beside each
// recording (see runs/KeptRuns.h).
struct RunSummary {
  std::optional<std::int64_t> seed;  // the seed the levels came from
  std::int32_t deepestLevel = 0;     // 0: no game was ever started
  std::int64_t turns = 0;            // commands carried out, over the whole run
  std::int32_t gold = 0;             // at the end
  int standing = 0;                  // members standing at the end, of seven
  std::string ending;                // "quit", "closed" or "cut off"
  // False when the recording could not be played on this game's rules and
  // files: only the seed and the ending are known then.
  bool played = true;

  bool operator==(const RunSummary&) const = default;
};

// Watches a game from outside its rules and keeps what its summary needs.
// Every call is handed on to next, so it can sit in front of another
// observer.
class RunTally : public GameObserver {
 public:
  explicit RunTally(GameObserver* next = nullptr) : next_(next) {}

  void onLevel(const Game& game) override;
  void onCycle(const Game& game) override;
  void onKeyRead(const Game& game) override;

  // A run taken up again from a checkpoint goes on from the turns and the
  // deepest level the run had there.
  void carryOn(std::int64_t turns, std::int32_t deepestLevel);
  std::int64_t turns() const { return turns_; }

  // A game has begun: its first level was made.
  bool started() const { return deepest_ > 0; }
  // The summary of the run so far, as the game stands now; ending is left
  // empty.
  RunSummary summary(const Game& game) const;

 private:
  GameObserver* next_;
  std::int32_t deepest_ = 0;
  std::int64_t turns_ = 0;
};

// The ending as the summary words it, from a recording's closing entry
// ("quit", "closed"), or from none at all (the game was killed, crashed or
// lost its terminal).
std::string endingOfRecording(std::string_view closingEntry);

// A count with its thousands parted by commas: "2,312".
std::string countText(std::int64_t value);

// The summary as the file beside the recording holds it: key=value lines,
// with the build that wrote it, and the size of the recording it was made
// from and when that was last played (the time the recording was last
// written, in nanoseconds of the file clock), so a changed recording or another
// build is told apart.
struct StoredSummary {
  RunSummary summary;
  std::string build;
  std::uintmax_t recordingBytes = 0;
  std::int64_t lastPlayed = 0;
};
std::string summaryFileText(const StoredSummary& stored);
// Reads a summary file's text; nothing when it is not one, or is damaged.
std::optional<StoredSummary> parseSummaryFile(std::string_view text);

}  // namespace dw
