#include "runs/KeptRuns.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstring>
#include <ctime>

#include "frame/RunGame.h"
#include "platform/CappedRead.h"
#include "platform/SafeWrite.h"
#include "platform/VisibleText.h"
#include "recording/Fingerprint.h"
#include "recording/RecordedInput.h"
#include "recording/Recording.h"
#include "runs/Checkpoint.h"
#include "runs/RecordingCheck.h"
#include "runs/RunRecorder.h"
#include "runs/UserFolders.h"

namespace dw {

namespace fs = std::filesystem;

namespace {

std::string localDate(fs::file_time_type when) {
  // Measured from now on both clocks: not every library converts between them.
  using std::chrono::system_clock;
  system_clock::time_point then =
      system_clock::now() +
      std::chrono::duration_cast<system_clock::duration>(when - fs::file_time_type::clock::now());
  return localTimeText(system_clock::to_time_t(then), "%Y-%m-%d %H:%M");
}

// When a run was last played as its summary keeps it: nanoseconds of the
// file clock (whose own count may be wider than 64 bits).
std::int64_t playedTicks(fs::file_time_type when) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
}

// A summary as it lies beside its recording; nothing, with the reason in
// error, when it is not there, is no regular file or is too long to be one.
std::optional<std::string> readSummaryFile(const fs::path& path, std::string& error,
                                           bool* missing = nullptr) {
  constexpr std::size_t most = 4096;  // far above any summary
  return readCappedFile(path.string(), most, "a summary", error, FileOrigin::found, missing);
}

// The stored summary of a recording when it is still good for it: made by
// this build from the recording as it is, of its size and last played when
// it was. A summary there that cannot be read (a FIFO, a device) is named in
// note.
std::optional<RunSummary> freshSummary(const PlayedRecording& recording,
                                       std::string* note = nullptr) {
  fs::path path = summaryPathOf(recording.path);
  std::string error;
  bool missing = false;
  auto text = readSummaryFile(path, error, &missing);
  if (!text && !missing && note != nullptr) *note = error + ": passed over";
  auto stored = text ? parseSummaryFile(*text) : std::nullopt;
  if (!stored || stored->build != recordingGameVersion ||
      stored->recordingBytes != recording.bytes ||
      stored->lastPlayed != playedTicks(recording.lastPlayed))
    return std::nullopt;
  return stored->summary;
}

// The recording as it stands now; nothing when it cannot be looked at.
std::optional<PlayedRecording> playedRecording(const fs::path& recording) {
  std::error_code ec;
  PlayedRecording out{recording, fs::last_write_time(recording, ec)};
  if (!ec) out.bytes = fs::file_size(recording, ec);
  if (ec) return std::nullopt;
  return out;
}

// Whether the file beside a recording is one the game wrote there: a
// summary that reads as one, a checkpoint that starts as one.
bool gameSidecar(const fs::path& sidecar) {
  std::string ignored;
  auto text = sidecar.extension() == summaryExtension
                  ? readSummaryFile(sidecar, ignored)
                  : readCappedFile(sidecar.string(), std::size_t{16} << 20, "a checkpoint", ignored,
                                   FileOrigin::found);
  if (!text) return false;
  if (sidecar.extension() == summaryExtension) return parseSummaryFile(*text).has_value();
  if (sidecar.extension() == checkpointLogExtension) return text->starts_with(checkpointLogMagic);
  return sidecar.extension() == checkpointExtension && text->starts_with(checkpointMagic);
}

// The files kept beside a recording that has gone (removed by the player)
// go too. Only what reads as the game's own is ever touched.
void removeLoneSidecar(const fs::path& sidecar) {
  fs::path recording = sidecar;
  recording.replace_extension(recordingExtension);
  std::error_code ec;
  if (fs::exists(recording, ec) || ec || !fs::is_regular_file(sidecar, ec)) return;
  if (gameSidecar(sidecar)) fs::remove(sidecar, ec);
}

// Where the summaries come from: the stored one while it is fresh, else
// one made again from the recording and stored for next time, until the
// time for that is up.
struct SummarySource {
  std::chrono::steady_clock::time_point rebuildUntil{};
  std::optional<std::uint64_t> fingerprint{};  // read once, and only when needed
  std::vector<std::string>* notes = nullptr;

  std::optional<RunSummary> summaryOf(const PlayedRecording& played) {
    const fs::path& recording = played.path;
    std::string note;
    auto fresh = freshSummary(played, &note);
    if (!note.empty() && notes != nullptr) notes->push_back(note);
    if (fresh) return fresh;
    if (std::chrono::steady_clock::now() >= rebuildUntil) {
      auto seed = seedOfRecordingName(recording);
      if (!seed) return std::nullopt;
      return RunSummary{seed, 1, 0, 0, 0, "not read yet", false};
    }
    if (!fingerprint) fingerprint = gameFilesFingerprint("");
    auto made = summarizeRecording(recording, *fingerprint);
    std::string ignored;  // a summary not stored is made again next time
    if (made) writeRunSummary(recording, *made, ignored);
    return made;
  }
};

std::string numberOrUnknown(const RunSummary& run, std::int64_t value) {
  return run.played ? countText(value) : std::string("?");
}

std::string padded(std::string text, std::size_t width, bool right) {
  if (text.size() >= width) return text;
  std::string fill(width - text.size(), ' ');
  return right ? fill + text : text + fill;
}

std::string seedText(const RunSummary& run) {
  return run.seed ? std::to_string(*run.seed) : std::string("?");
}

// A path as a shell takes it back: quoted when it holds anything else than
// plain characters.
std::string shellWord(const std::string& text) {
  bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           (c != 0 && std::strchr("/._-+,:@", c) != nullptr);
  });
  if (plain) return text;
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

bool writeRunSummary(const fs::path& recording, const RunSummary& summary, std::string& error) {
  auto played = playedRecording(recording);
  if (!played) {
    error = "cannot read " + visibleText(recording.string());
    return false;
  }
  // Made again from the recording when lost: never synced.
  fs::path path = summaryPathOf(recording);
  StoredSummary stored{summary, recordingGameVersion, played->bytes,
                       playedTicks(played->lastPlayed)};
  std::string why = writeWholeFile(path.string(), summaryFileText(stored), WriteKind::cache);
  if (!why.empty()) error = "cannot write " + visibleText(path.string()) + ": " + why;
  return why.empty();
}

std::optional<RunSummary> summarizeRecording(const fs::path& recording,
                                             std::uint64_t dataFingerprint) {
  std::string error;
  auto read = readRecordingFile(recording.string(), error, FileOrigin::found);
  if (!read || !read->header) return std::nullopt;
  RecordedInput input(std::move(read->events));
  RunSummary summary;
  if (recordingMismatch(*read->header, gameRulesVersion, dataFingerprint).empty()) {
    HeadlessPlatform player;
    feedRecording(player, input);
    Game game(player);
    RunTally tally;
    game.observer = &tally;
    runGame(game);
    summary = tally.summary(game);
  } else {
    summary.played = false;
    summary.seed = read->header->seed ? read->header->seed : seedOfRecordingName(recording);
    if (summary.seed) summary.deepestLevel = 1;  // a seed is named once a level is made
  }
  summary.ending = endingOfRecording(input.endReason());
  return summary;
}

std::vector<RunListEntry> keptRuns(const fs::path& folder, const RunListing& how) {
  std::vector<RunListEntry> runs;
  SummarySource source;
  source.notes = how.notes;
  source.rebuildUntil = how.rebuildTime == std::chrono::milliseconds::max()
                            ? std::chrono::steady_clock::time_point::max()
                            : std::chrono::steady_clock::now() + how.rebuildTime;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const fs::path& path = entry.path();
    if (std::find(sidecarExtensions.begin(), sidecarExtensions.end(), path.extension()) !=
        sidecarExtensions.end())
      removeLoneSidecar(path);
  }
  for (const PlayedRecording& played : recordingsLastPlayedFirst(folder)) {
    std::error_code fileError;
    if (!how.playing.empty() && fs::equivalent(played.path, how.playing, fileError)) continue;
    auto summary = source.summaryOf(played);
    // A launch that never began a game is no run.
    if (!summary || summary->deepestLevel == 0) continue;
    runs.push_back({*summary, played.path.filename().string(), localDate(played.lastPlayed),
                    played.lastPlayed});
  }
  return runs;
}

namespace {

// One line of the table: each column at its width, numbers to the right.
std::string tableLine(const std::array<std::string, 8>& cells) {
  constexpr std::array<std::size_t, 7> widths = {16, 11, 6, 10, 13, 8, 7};
  std::string line;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    bool number = i >= 2 && i <= 4;
    line += padded(cells[i], widths[i], number) + "  ";
  }
  return line + cells[7] + "\n";
}

}  // namespace

std::string runsTable(const std::vector<RunListEntry>& runs) {
  std::string table =
      tableLine({"Date", "Seed", "Level", "Turns", "Gold", "Standing", "Ended", "File"});
  for (const RunListEntry& run : runs) {
    const RunSummary& s = run.summary;
    table += tableLine({run.date, seedText(s), numberOrUnknown(s, s.deepestLevel),
                        numberOrUnknown(s, s.turns), numberOrUnknown(s, s.gold),
                        s.played ? std::to_string(s.standing) + " of 7" : std::string("?"),
                        s.ending, visibleText(run.file)});
  }
  return table;
}

namespace {

// A run in the panel: its label (when), then three short lines.
void addPanelRun(OverlayContent& panel, const std::string& label, const RunSummary& s,
                 std::uint8_t colour) {
  std::string deepest = "Seed " + seedText(s) + ", level " + numberOrUnknown(s, s.deepestLevel);
  std::string length = numberOrUnknown(s, s.turns) + " turns";
  if (s.played) length += ", " + countText(s.gold) + " Gold";
  std::string end = s.played ? std::to_string(s.standing) + "/7 standing" : std::string();
  if (!s.ending.empty()) end += (end.empty() ? "" : ", ") + s.ending;
  panel.lines.push_back({label, deepest, colour, colour});
  panel.lines.push_back({"", length, colour, colour});
  if (!end.empty()) panel.lines.push_back({"", end, colour, colour});
}

}  // namespace

OverlayContent runsPanel(const std::vector<RunListEntry>& runs,
                         const std::optional<RunSummary>& now) {
  OverlayContent content;
  content.title = "Past runs";
  content.footer = "\x18\x19: pick, Enter: continue";
  content.pageable = true;
  content.opensAtTop = true;
  content.empty = "No runs kept yet.";
  if (now && now->deepestLevel > 0) addPanelRun(content, "Now", *now, 14);
  for (const RunListEntry& run : runs) {
    // Each kept run is a choice to continue.
    content.choices.push_back(static_cast<int>(content.lines.size()));
    // The date without its year, which the panel has no room for.
    addPanelRun(content, run.date.substr(5), run.summary, 15);
  }
  return content;
}

std::string endOfRunLine(const RunSummary& summary, const fs::path& recording, bool inTerminal,
                         const std::string& notRecorded, const std::string& keptInPart) {
  if (summary.deepestLevel == 0) return {};
  std::string line = "seed " + seedText(summary) + ", level " + countText(summary.deepestLevel) +
                     ", " + countText(summary.turns) + " turns";
  if (recording.empty()) return line + "; not recorded: " + notRecorded;
  if (!keptInPart.empty()) line += "; " + keptInPart;
  return line + "; to go on: duskwarren " + (inTerminal ? "--terminal " : "") + "--continue " +
         shellWord(visibleText(recording.string()));
}

std::optional<RunSummary> storedSummary(const fs::path& recording) {
  auto played = playedRecording(recording);
  return played ? freshSummary(*played) : std::nullopt;
}

std::string runDescription(const fs::path& recording) {
  auto seed = seedOfRecordingName(recording);
  if (!seed) return "of " + visibleText(recording.filename().string());
  std::string text = "on seed " + std::to_string(*seed);
  // Where it went, when the run's summary says so.
  auto summary = storedSummary(recording);
  if (summary && summary->played && summary->deepestLevel > 0) {
    text += ", level " + std::to_string(summary->deepestLevel) + ", " + countText(summary->turns) +
            " turns";
  }
  return text;
}

std::string closeRun(const RunTally& tally, const Game& game, const RunRecorder* recorder,
                     bool inTerminal, const std::string& ending) {
  RunSummary summary = tally.summary(game);
  // The words the recording's closing entry uses.
  summary.ending = ending.empty() ? recordedEnding(game) : ending;
  if (recorder == nullptr) return endOfRunLine(summary, {}, inTerminal, "recording is off");
  fs::path recording = recorder->path();
  const std::string& error = recorder->error();
  std::string ignored;
  if (!recording.empty() && error.empty()) {
    if (summary.deepestLevel > 0) writeRunSummary(recording, summary, ignored);
    return endOfRunLine(summary, recording, inTerminal);
  }
  const std::optional<RunSummary>& kept = recorder->keptPart();
  if (recording.empty() || !kept || kept->deepestLevel == 0) {
    return endOfRunLine(summary, {}, inTerminal,
                        error.empty() ? "the recording could not be made" : error);
  }
  // Cut: the summary and the line tell what the file holds.
  writeRunSummary(recording, *kept, ignored);
  return endOfRunLine(
      *kept, recording, inTerminal, {},
      "kept in part, of " + countText(summary.turns) + " turns played (" + error + ")");
}

}  // namespace dw
