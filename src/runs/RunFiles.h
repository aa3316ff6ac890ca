#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runs/UserFolders.h"

namespace dw {

// The names of a run's files. A run is kept as its recording,
// "<stamp>[-n]-seed<seed>.dwrec" (the stamp as 2026-12-07-141503), with
// files the game keeps beside it: its checkpoint "<name>.dwcp", the
// message log at that checkpoint "<name>.dwlog", its summary "<name>.dwrun"
// and the lock "<name>.dwlock" of the game playing it, each made again when
// it is missing. Any file the game did not name is
// the player's, and is never removed.

// How many recordings the game keeps: starting a new one removes the oldest
// beyond these.
inline constexpr std::size_t recordingsKept = 100;

inline constexpr std::string_view recordingExtension = ".dwrec";
inline constexpr std::string_view checkpointExtension = ".dwcp";
inline constexpr std::string_view summaryExtension = ".dwrun";
// What the session kept of the run at its checkpoint (see runs/Checkpoint.h).
inline constexpr std::string_view checkpointLogExtension = ".dwlog";
// The file a game holds its run by (see runs/RunLock.h).
inline constexpr std::string_view lockExtension = ".dwlock";
// Every file the game keeps beside a recording.
inline constexpr std::array<std::string_view, 4> sidecarExtensions = {
    checkpointExtension, checkpointLogExtension, summaryExtension, lockExtension};

// Where the games are recorded: <data home>/duskwarren/recordings.
std::filesystem::path recordingsFolder(const Environment& env);

// A recording's file name: "<stamp>-seed<seed>.dwrec", or "<stamp>.dwrec"
// while the seed is not known yet.
std::string recordingName(const std::string& stamp, std::optional<std::int64_t> seed);
// The first name "<head>[-n]<tail>" (n from 2 on) that is free in folder: a
// second game begun in the same second gets "-2" after its stamp.
std::filesystem::path freePath(const std::filesystem::path& folder, const std::string& head,
                               const std::string& tail);
// Where a new run begun at stamp is recorded once its seed is known.
std::filesystem::path newRecordingPath(const std::filesystem::path& folder,
                                       const std::string& stamp, std::int64_t seed);
// Where a continued run is recorded: the recording itself when it lies in
// `folder`; a recording from elsewhere becomes a run of this machine, named
// as a new run is (its stamp and seed), never after the file it came from.
std::filesystem::path continuedRecordingPath(const std::filesystem::path& recording,
                                             const std::filesystem::path& folder, std::int64_t seed,
                                             const std::string& stamp = fileStamp());

// A name the game gives its own recordings (see above, the seed maybe
// missing). Any other file is the player's.
bool isGameRecordingName(const std::string& name);
// The seed a recording's name gives ("...-seed42.dwrec", "...-seed-7-2.dwrec"
// for a run continued under a free name); nothing when it names none.
std::optional<std::int64_t> seedOfRecordingName(const std::filesystem::path& recording);
// A recording with when its run was last played: the time the file was
// last written (a game writes its recording as long as it plays it), which
// the run's summary keeps and is checked against (see runs/KeptRuns.h).
struct PlayedRecording {
  std::filesystem::path path;
  std::filesystem::file_time_type lastPlayed;
  std::uintmax_t bytes = 0;
};
// Every recording in `folder` (a regular "*.dwrec" file), the run last
// played first; of two played at the same time, the later name first. The
// one meaning of newest: F3, --continue, --runs, the past runs and pruning
// all take the runs in this order.
std::vector<PlayedRecording> recordingsLastPlayedFirst(const std::filesystem::path& folder);

// The run last played in `folder` (see recordingsLastPlayedFirst) of those
// whose name gives a seed (a game was begun in them) and that no other game
// plays now; nothing when there is none.
std::optional<std::filesystem::path> newestRun(const std::filesystem::path& folder);

// A file the game keeps beside a recording: "NAME<extension>" for
// "NAME.dwrec", "FILE<extension>" beside any other FILE.
std::filesystem::path sidecarPath(const std::filesystem::path& recording,
                                  std::string_view extension);
inline std::filesystem::path checkpointPathOf(const std::filesystem::path& recording) {
  return sidecarPath(recording, checkpointExtension);
}
inline std::filesystem::path checkpointLogPathOf(const std::filesystem::path& recording) {
  return sidecarPath(recording, checkpointLogExtension);
}
inline std::filesystem::path summaryPathOf(const std::filesystem::path& recording) {
  return sidecarPath(recording, summaryExtension);
}
inline std::filesystem::path lockPathOf(const std::filesystem::path& recording) {
  return sidecarPath(recording, lockExtension);
}

// Removes a run: its recording, and every file kept beside it that is a
// regular file. False when the recording could not be removed (its files
// are left then).
bool removeRun(const std::filesystem::path& recording);
// Removes the oldest of the game's own recordings (by the time each was
// last written, so a game still being played counts as new), each as
// removeRun does, so that at most `keep` remain, never touching keepAlways
// nor a run another game plays, nor any file the game did not name; and
// what killed games left there (see removeLeftovers). Returns how many
// were removed.
std::size_t pruneRecordings(const std::filesystem::path& folder, std::size_t keep,
                            const std::filesystem::path& keepAlways);

}  // namespace dw
