// The game in a browser page, with the shell around it as in every
// front-end. The page keeps each game's recording in the browser's storage
// as it is written, reads each turn aloud, and plays a recording the player
// chose to watch. When a game ends the page says so and offers a new one;
// the page never goes dead.
#include <emscripten.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "frame/RunGame.h"
#include "platform/SafeWrite.h"
#include "platform/web/WebPlatform.h"
#include "runs/CatchUp.h"
#include "runs/RunFiles.h"
#include "runs/UserFolders.h"
#include "shell/Shell.h"

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

namespace {

constexpr const char* playerHome = "/home/player";

// The player's folders, in the page's own memory; what lasts between visits
// the page keeps in the browser's storage.
dw::Environment pageEnvironment() {
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
class KeptRun {
 public:
  // Goes on with the run the page keeps, which holds what came before.
  void goOn() { begun_ = true; }
  void take(std::string_view line) { lines_.append(line); }
  // The lines written since the last time, to the page.
  void handOver() {
    if (lines_.empty()) return;
    if (!begun_) dw::WebPlatform::beginKeptRun();
    begun_ = true;
    dw::WebPlatform::keepRunText(lines_);
    lines_.clear();
  }

 private:
  std::string lines_;
  bool begun_ = false;
};

// Tells the page what a screen reader reads after a turn: the log's entries
// since the last turn and the status from the game's state.
class TurnReader {
 public:
  void tell(const dw::Game& game, const dw::MessageLog& log) {
    std::vector<std::string> messages;
    const auto& entries = log.entries();
    // The entries after the last one told; only the newest when that one has
    // left the log.
    auto from = entries.begin();
    if (last_ != nullptr) {
      from = entries.end();
      while (from != entries.begin() && &*std::prev(from) != last_) --from;
      if (from == entries.begin() && !entries.empty()) from = std::prev(entries.end());
    }
    for (auto it = from; it != entries.end(); ++it) messages.push_back(it->text);
    if (!entries.empty()) last_ = &entries.back();

    const dw::GameState& s = game.state;
    const int m = s.currentMember;
    dw::WebPlatform::TurnStatus status;
    status.member = s.memberNames[m];
    status.values = {s.memberStats[m][dw::stat::hp],
                     s.memberStats[m][dw::stat::ap],
                     s.memberStats[m][dw::stat::dp],
                     s.memberStats[m][dw::stat::mp],
                     s.levelNumber,
                     s.gold,
                     s.keys,
                     s.bombs};
    dw::WebPlatform::tellTurn(messages, status);
  }

 private:
  const dw::LogEntry* last_ = nullptr;
};

// The recording the player chose to watch, checked against this game, its
// files and the game its keys give; nothing (and the reason told) when
// there is none or it cannot be watched.
std::optional<dw::RecordingToPlay> chosenRecording(dw::WebPlatform& page) {
  auto bytes = dw::WebPlatform::recordingToWatch();
  if (!bytes) return std::nullopt;
  std::string name = dw::WebPlatform::watchedName();
  if (name.empty() || name[0] == '.') name = "recording.dwrec";
  const std::string path = std::string(playerHome) + "/" + name;
  std::error_code ignored;
  std::filesystem::create_directories(playerHome, ignored);
  std::string error = dw::writeWholeFile(path, *bytes, dw::WriteKind::cache);
  if (!error.empty()) {
    page.tell("cannot keep the recording to watch: " + error);
    return std::nullopt;
  }
  auto recording = dw::readCheckedRecording(path, dw::toWatch, false, error);
  if (!recording) page.tell(error);
  return recording;
}

// The run the page kept from an earlier visit, caught up to where it
// stopped without showing it; nothing when there is none or it holds no
// game stopped in the dungeon (one that ended in the start screen, or whose
// party has fallen).
std::optional<dw::CaughtUpRun> keptRunCaughtUp(const dw::Environment& env) {
  const std::string text = dw::WebPlatform::keptRun();
  if (text.empty()) return std::nullopt;
  const std::filesystem::path folder = dw::recordingsFolder(env);
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::string path = (folder / "kept-run.dwrec").string();
  if (!dw::writeWholeFile(path, text, dw::WriteKind::cache).empty()) return std::nullopt;
  std::string error;
  auto run = dw::catchUpRun(path, false, error);
  if (!run) {
    dw::removeRun(path);
  }
  return run;
}

std::string savePagePicture() {
  std::string name = "duskwarren-" + dw::fileStamp() + ".png";
  dw_web_save_picture(name.c_str());
  return "Picture saved as " + name + " in your downloads";
}

int playOneGame(dw::WebPlatform& page) {
  dw::Environment env = pageEnvironment();
  dw::Shell shell(page, env, dw::readSettings(dw::settingsFile(env)));
  shell.setPictureSaver([](const dw::Screen&, int) { return savePagePicture(); });
  if (auto recording = chosenRecording(page)) return shell.watch(*recording);
  KeptRun kept;
  auto caughtUp = keptRunCaughtUp(env);
  if (caughtUp) {
    // The page's store already holds the run up to where it goes on; what
    // came after (the Escape that ended it) is dropped there too.
    dw::WebPlatform::goOnWithKeptRun(caughtUp->keep.offset);
    kept.goOn();
  }
  shell.setRecordingSink([&kept](std::string_view line) { kept.take(line); });
  TurnReader reader;
  shell.setTurnWatcher([&](const dw::Game& game, const dw::MessageLog& log) {
    kept.handOver();
    reader.tell(game, log);
  });
  const int code = shell.play(caughtUp ? &*caughtUp : nullptr);
  kept.handOver();
  return code;
}

}  // namespace

int main() {
  for (;;) {
    int code = 0;
    {
      auto page = std::make_unique<dw::WebPlatform>();
      if (auto icon = dw::gameIcon(*page)) page->setIcon(*icon);
      code = playOneGame(*page);
      page->present();
    }
    dw::WebPlatform::waitForRestart(code);
  }
}
