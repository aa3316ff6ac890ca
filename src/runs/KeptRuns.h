#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/PanelText.h"
#include "runs/RunFiles.h"
#include "runs/RunRecorder.h"
#include "runs/RunSummary.h"

namespace dw {

// The runs kept in the recordings folder. Each recording of a run has its
// summary beside it, "<name>.dwrun" for "<name>.dwrec", written when the run
// stops. It keeps the size of the recording it sums up and when that was
// last played (see recordingsLastPlayedFirst); a summary that is missing,
// made by another build, or whose size or time is not the recording's is
// made again from the recording itself, played headless on the game files
// of the current folder, and written back for next time.

// Writes the summary beside the recording: a temporary file renamed into
// place, so a summary is there whole or not at all. False, with the reason
// in error, when it cannot be written.
bool writeRunSummary(const std::filesystem::path& recording, const RunSummary& summary,
                     std::string& error);

// The summary of a recording, made by playing it headless on the game files
// of the current folder, whose fingerprint is dataFingerprint. A recording
// made with another version or other files is not played: only its seed and
// ending are known then. Nothing when the file is no recording.
std::optional<RunSummary> summarizeRecording(const std::filesystem::path& recording,
                                             std::uint64_t dataFingerprint);

// One kept run, a row of the list of runs.
struct RunListEntry {
  RunSummary summary;
  std::string file;  // the recording's file name
  std::string date;  // when the run was last played: "2026-12-08 13:51"
  std::filesystem::file_time_type when;
};

// How the runs are listed.
struct RunListing {
  // The recording of the game going on now, left out.
  std::filesystem::path playing;
  // How long summaries may be made again from recordings; a run whose
  // summary is still missing after that shows only its seed, from its name.
  std::chrono::milliseconds rebuildTime = std::chrono::milliseconds::max();
  // Where a line goes for each file beside a recording passed over (a
  // summary that is a FIFO or a device), when given.
  std::vector<std::string>* notes = nullptr;
};

// The runs in the recordings folder, newest first: every recording of a
// game that was begun, with its summary (made again where it is missing or
// stale).
std::vector<RunListEntry> keptRuns(const std::filesystem::path& folder, const RunListing& how = {});

// The runs as a table for the terminal: a heading and one line a run.
std::string runsTable(const std::vector<RunListEntry>& runs);
// The runs as a panel in the game, newest first as in the table, each run a
// choice to continue; `now` is the run being played, shown first.
OverlayContent runsPanel(const std::vector<RunListEntry>& runs,
                         const std::optional<RunSummary>& now = std::nullopt);

// The summary stored beside a recording, while it is fresh; nothing else is
// read or played.
std::optional<RunSummary> storedSummary(const std::filesystem::path& recording);

// What names a run to the player: "on seed 42" (from its file name), with
// how far it went when its stored summary says so ("on seed 42, level 7,
// 2,312 turns").
std::string runDescription(const std::filesystem::path& recording);

// Ends a run played here, from its tally and its recorder (none: recording
// is off): the summary of what the recording holds goes beside it (the run
// up to the last key kept, "cut off", when the file stopped taking entries),
// and the line for stderr comes back (see endOfRunLine; empty when no game
// was begun). Nothing is played again. A summary that cannot be written is
// made again from the recording when the runs are next listed. `ending` is
// the recording's closing words, when not recordedEnding(game).
std::string closeRun(const RunTally& tally, const Game& game, const RunRecorder* recorder,
                     bool inTerminal, const std::string& ending = {});

// The line that tells, as the game ends, where the run went and how to take
// it up again: "seed 42, level 7, 2,312 turns; to go on: duskwarren
// --continue PATH". notRecorded says why there is no recording to go on
// from; keptInPart, before "to go on", how the recording falls short of
// the run ("kept in part, of 1,000 turns played (...)"). Empty when no game
// was begun.
std::string endOfRunLine(const RunSummary& summary, const std::filesystem::path& recording,
                         bool inTerminal, const std::string& notRecorded = {},
                         const std::string& keptInPart = {});

}  // namespace dw
