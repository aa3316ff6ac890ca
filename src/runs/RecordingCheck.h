#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Game.h"
#include "platform/headless/HeadlessPlatform.h"
#include "recording/RecordedInput.h"
#include "recording/Recording.h"

namespace dw {

// Opening a recording, checking it and honouring --force: the same for
// watching one, continuing one and playing one headless. A recording made
// with other rules or other game files, or one its game contradicts, is
// refused with the reason; with force it is played all the same, and a note
// says so.

// What a recording is opened for, in the words said of it: "cannot watch
// PATH: ...", "watching PATH all the same: ...".
struct RecordingUse {
  const char* verb;
  const char* doing;
};
inline constexpr RecordingUse toWatch{"watch", "watching"};
inline constexpr RecordingUse toContinue{"continue", "continuing"};
inline constexpr RecordingUse toPlay{"play", "playing"};

// Lets a recording with a problem through only with force: false, with
// "cannot <verb> PATH: <problem>; --force plays it anyway" in error, when
// force is not set; else a note "<doing> PATH all the same: <problem>".
// True at once when there is no problem.
bool passedWithForce(const std::string& path, RecordingUse use, const std::string& problem,
                     bool force, std::string& error, std::vector<std::string>& notes);

// Checks the header a scanner has read against these rules and game files
// (their fingerprint): false, with the reason in error, when there is no
// header, or when it was made with other rules or files and force is not
// set.
bool headerPassed(const RecordingScanner& scanner, const std::string& path, RecordingUse use,
                  bool force, std::uint64_t dataFingerprint, std::string& error,
                  std::vector<std::string>& notes);

// A recording read whole and checked, ready to play.
struct RecordingToPlay {
  std::string path;
  std::string name;  // the file's name, for the player
  RecordingHeader header;
  RecordedInput input;  // every whole entry, packed; given from its start
  // Lines to tell first: why a refused recording plays all the same, where
  // a damaged file stops.
  std::vector<std::string> notes;
};

// Reads the recording at `path` whole and checks its header against these
// rules and the game files in `dataFolder` (the current folder when
// empty). Nothing, with the reason in error, when it cannot be read, holds
// no recording, or was made with other rules or files and force is not set.
std::optional<RecordingToPlay> readRecordingToPlay(const std::string& path, RecordingUse use,
                                                   bool force, std::string& error,
                                                   const std::string& dataFolder = {});

// readRecordingToPlay, then the recording played without a screen on the
// game files in the current folder and checked against the game its keys
// give (see recordedGameContradiction), again refused unless force.
std::optional<RecordingToPlay> readCheckedRecording(const std::string& path, RecordingUse use,
                                                    bool force, std::string& error);

// Plays a recording into a game with no screen: the platform takes the
// recorded keys one at a time as the game reads them, and the recording is
// its clock. Neither is owned.
void feedRecording(HeadlessPlatform& platform, RecordedInput& input);

// Where a recording contradicts the game its keys gave once played (fed to
// `game` from played.input): a header seed the levels do not come from,
// keys after the game ended, a quit that never came. Empty when they agree.
std::string playedContradiction(const RecordingToPlay& played, const Game& game);
// Plays the recording without a screen, in the current game folder, and
// says where it contradicts the game its keys give, as above.
std::string recordedGameContradiction(const RecordingToPlay& recording);

}  // namespace dw
