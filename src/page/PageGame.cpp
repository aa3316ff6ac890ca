#include "page/PageGame.h"

#include <emscripten.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "page/PageKeys.h"
#include "platform/CappedRead.h"
#include "platform/SafeWrite.h"
#include "platform/web/WebPlatform.h"
#include "recording/Recording.h"
#include "runs/CatchUp.h"
#include "runs/KeptRuns.h"
#include "runs/RunFiles.h"
#include "runs/RunSummary.h"
#include "runs/UserFolders.h"
#include "shell/Session.h"
#include "shell/Shell.h"
#include "shell/TurnNotes.h"

// clang-format off
// The picture on the page's canvas, the visible page pixel for pixel, saved
// as a PNG among the player's downloads.
EM_JS(void, dw_web_save_picture, (const char* name), {
  const file = UTF8ToString(name);
  document.getElementById('screen').toBlob((blob) => {
    if (!blob) return;
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = file;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }, 'image/png');
});
// clang-format on

namespace dw {

namespace {

constexpr const char* playerHome = "/home/player";

// The player's folders, in the page's own memory; what lasts between visits
// the page keeps in the browser's storage.
Environment pageEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const std::string home = playerHome;
    if (name == "HOME") return home;
    if (name == "XDG_DATA_HOME") return home + "/.local/share";
    if (name == "XDG_CONFIG_HOME") return home + "/.config";
    return std::nullopt;
  };
}

// Hands the page each whole line of a game's recording as the shell writes
// it, a turn's lines at a time, so the browser keeps the run as it is
// played.
class KeptRunLines {
 public:
  explicit KeptRunLines(Platform& files) : files_(files) {}
  // Goes on with the run the page keeps, which holds what came before.
  void goOn() { begun_ = true; }
  // The run the shell takes up is the one the start screen offered, not a
  // file from elsewhere.
  void takesUpOffer() { offered_ = true; }
  void take(std::string_view line) { lines_.append(line); }
  // The lines written since the last time, to the page. A run the shell took
  // up itself (its first lines follow the part it went on from, with no
  // header) is handed over whole once, from its recording.
  void handOver(const std::string& recording) {
    if (lines_.empty()) return;
    if (!begun_ && lines_.rfind("dwrec ", 0) != 0 && !recording.empty()) {
      begun_ = true;
      lines_.clear();
      WebPlatform::adoptRun(files_.readWholeFile(recording), offered_);
      return;
    }
    if (!begun_) WebPlatform::beginKeptRun();
    begun_ = true;
    WebPlatform::keepRunText(lines_);
    lines_.clear();
  }

 private:
  Platform& files_;
  std::string lines_;
  bool begun_ = false;
  bool offered_ = false;
};

// The summary of the run kept (a summary file's text, as the desktop keeps
// one beside each recording), for the page's list of runs.
void keepSummary(const Shell& shell) {
  auto summary = shell.summarySoFar();
  std::error_code error;
  const auto bytes = std::filesystem::file_size(shell.recordingPath(), error);
  if (!summary || summary->deepestLevel == 0 || error) return;
  // What it is should the page go now; its end replaces it.
  summary->ending = endingOfRecording("");
  WebPlatform::keepSummary(summaryFileText({*summary, recordingGameVersion, bytes}));
}

// Hands the page each checkpoint the game writes beside the run's recording
// (in the page's own memory), to keep beside the run it keeps: the game
// writes a checkpoint as a new file, so a file not seen before is a new one.
class KeptCheckpoints {
 public:
  void look(const std::string& recording) {
    if (recording.empty()) return;
    const std::string path = checkpointPathOf(recording).string();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return;
    const Seen seen{st.st_ino, st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_size};
    if (seen == seen_) return;
    seen_ = seen;
    constexpr std::size_t most = 16u << 20;  // far above any checkpoint
    std::string why;
    if (auto bytes = readCappedFile(path, most, "a checkpoint", why, FileOrigin::found))
      WebPlatform::keepCheckpoint(*bytes);
  }

 private:
  struct Seen {
    std::uint64_t inode = 0;
    std::int64_t seconds = 0, nanoseconds = 0, size = 0;
    bool operator==(const Seen&) const = default;
  };
  Seen seen_;
};

// The page's kept run caught up to where it stopped, from its newest
// checkpoint when that one is good; nothing when it holds no game stopped
// in the dungeon (one that ended in the start screen, or whose party has
// fallen). A run that cannot be taken up at all the page names with why.
std::optional<CaughtUpRun> catchUpKeptRun(WebPlatform& page, const Environment& env) {
  std::string text = WebPlatform::keptRun();
  std::string refused;
  auto run = catchUpHandedRun(text, WebPlatform::keptCheckpoint(), "kept-run.dwrec", env, refused);
  if (!refused.empty()) WebPlatform::keptRunRefused(refused);
  if (!run) return run;
  const std::string folder = recordingsFolder(env).string() + "/";
  for (std::string note : run->notes) {
    if (note.rfind(folder, 0) == 0) note.erase(0, folder.size());
    page.tell(note);
  }
  WebPlatform::caughtUp(run->fromCheckpoint);
  return run;
}

// Tells the page what a screen reader reads after a turn: the log's entries
// since the last turn and the status from the game's state.
class TurnReader {
 public:
  void tell(const Game& game, const MessageLog& log) {
    std::vector<std::string> messages;
    const auto& entries = log.entries();
    // The entries after the last one told; only the newest when that one has
    // left the log.
    auto from = entries.begin();
    if (last_ == nullptr && !entries.empty()) {
      // The first turn tells its own entries only: a run the shell caught up
      // has its log whole, and nothing of that is news.
      from = entries.end();
      const LogEntry& newest = entries.back();
      while (from != entries.begin() && std::prev(from)->level == newest.level &&
             std::prev(from)->turn == newest.turn)
        --from;
    } else if (last_ != nullptr) {
      from = entries.end();
      while (from != entries.begin() && &*std::prev(from) != last_) --from;
      if (from == entries.begin() && !entries.empty()) from = std::prev(entries.end());
    }
    for (auto it = from; it != entries.end(); ++it) messages.push_back(it->text);
    if (!entries.empty()) last_ = &entries.back();
    // What the picture shows of the turn and the line does not say.
    std::string note = turnNote(before_, game);
    if (!note.empty()) messages.push_back(note);
    before_ = snapshotOf(game);

    const GameState& s = game.state;
    const int m = s.currentMember;
    WebPlatform::TurnStatus status;
    status.member = s.memberNames[m];
    status.values = {s.memberStats[m][stat::hp],
                     s.memberStats[m][stat::ap],
                     s.memberStats[m][stat::dp],
                     s.memberStats[m][stat::mp],
                     s.levelNumber,
                     s.gold,
                     s.keys,
                     s.bombs};
    WebPlatform::tellTurn(messages, status);
  }

 private:
  const LogEntry* last_ = nullptr;
  TurnSnapshot before_;
};

// The recording the player chose to watch, checked against this game and
// its files; nothing (and the reason told) when there is none or it cannot
// be watched.
std::optional<RecordingToPlay> chosenRecording(WebPlatform& page) {
  auto bytes = WebPlatform::recordingToWatch();
  if (!bytes) return std::nullopt;
  std::string name = WebPlatform::watchedName();
  if (name.empty() || name[0] == '.') name = "recording.dwrec";
  std::string error;
  auto recording = watchHandedRecording(*bytes, name, playerHome, error);
  if (!recording) page.tell(error);
  return recording;
}

std::string savePagePicture() {
  std::string name = "duskwarren-" + fileStamp() + ".png";
  dw_web_save_picture(name.c_str());
  return "Picture saved as " + name + " in your downloads";
}

// A recording the player chose to continue, laid down outside the
// recordings folder (it is only read; the run goes on under the game's own
// name); empty when there is none.
std::string fileToContinue(WebPlatform& page) {
  auto bytes = WebPlatform::recordingToContinue();
  if (!bytes) return {};
  std::string name = WebPlatform::watchedName();
  if (name.empty() || name[0] == '.') name = "recording.dwrec";
  const std::filesystem::path folder = std::filesystem::path(playerHome) / "continue";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::string path = (folder / name).string();
  std::string error = writeWholeFile(path, *bytes, WriteKind::cache);
  if (error.empty()) return path;
  page.tell("Cannot continue " + name + ": " + error);
  return {};
}

// The summary kept with the run goes beside its recording, so the run goes
// on with its turns counted from the start (when it still fits the
// recording; see runs/KeptRuns.h).
void laySummaryBeside(const std::string& recording, const std::string& summary) {
  // Written anew for the recording just laid down, so it is told fresh.
  auto stored = parseSummaryFile(summary);
  std::string ignored;
  if (stored) writeRunSummary(recording, stored->summary, ignored);
}

// The run last played, laid down among the recordings, where the start
// screen offers it (F3).
void layDownLastRun(const Environment& env) {
  auto last = WebPlatform::lastKeptRun();
  if (!last || !isGameRecordingName(last->name)) return;
  const std::filesystem::path folder = recordingsFolder(env);
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::string path = (folder / last->name).string();
  if (writeWholeFile(path, last->text, WriteKind::cache).empty())
    laySummaryBeside(path, last->summary);
}

}  // namespace

int playInPage(WebPlatform& page) {
  page.setFrontKeys(pageKeys());
  Environment env = pageEnvironment();
  Settings settings = readSettings(settingsFile(env));
  const ShellWiring pictures = [](Shell& shell) {
    shell.setPictureSaver([](const Screen&, int) { return savePagePicture(); });
  };
  SessionOrder order;
  auto recording = chosenRecording(page);
  if (recording) {
    order.watch = &*recording;
    return runSession(page, env, std::move(settings), order, pictures).code;
  }
  KeptRunLines kept(page);
  KeptCheckpoints checkpoints;
  std::optional<CaughtUpRun> caughtUp;
  order.continueFile = fileToContinue(page);
  if (order.continueFile.empty()) {
    // The run the page kept from an earlier visit, caught up to where it
    // stopped without showing it. The page's store already holds the run up
    // to where it goes on; what came after (the Escape that ended it) is
    // dropped there too.
    caughtUp = catchUpKeptRun(page, env);
    if (caughtUp) {
      laySummaryBeside(caughtUp->path, WebPlatform::keptSummary());
      WebPlatform::goOnWithKeptRun(caughtUp->keep.offset);
      kept.goOn();
      // Where it goes on from, so the next visit starts there.
      if (caughtUp->checkpoint) WebPlatform::keepCheckpoint(*caughtUp->checkpoint);
    } else {
      layDownLastRun(env);
      kept.takesUpOffer();
    }
  }
  TurnReader reader;
  order.run = caughtUp ? &*caughtUp : nullptr;
  SessionEnd end = runSession(page, env, std::move(settings), order, [&](Shell& shell) {
    pictures(shell);
    shell.setRecordingSink([&kept](std::string_view line) { kept.take(line); });
    shell.setTurnWatcher([&, played = &shell](const Game& game, const MessageLog& log) {
      kept.handOver(played->recordingPath());
      checkpoints.look(played->recordingPath());
      keepSummary(*played);
      reader.tell(game, log);
    });
  });
  kept.handOver(end.recording);
  // The run's summary as it ended, with its ending.
  if (!end.recording.empty()) {
    std::string summary = page.readWholeFile(summaryPathOf(end.recording).string());
    if (!summary.empty()) WebPlatform::keepSummary(summary);
  }
  if (!end.refusal.empty()) page.tell(end.refusal);
  return end.code;
}

}  // namespace dw
