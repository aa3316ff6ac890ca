#include "around/Shell.h"

#include <chrono>

#include "around/KeyHelp.h"
#include "around/RecordingFiles.h"
#include "around/WindowRecorder.h"
#include "frame/RunGame.h"
#include "recording/Fingerprint.h"
#include "recording/RecordedInput.h"

namespace dw {

namespace {

std::uint64_t steadyMilliseconds() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Whether the log has just noted the whole party down.
bool partyJustDown(const MessageLog& log) {
  return !log.entries().empty() && log.entries().back().kind == LogEntry::Kind::partyDown;
}

// With arrow-keys = walk, an arrow is the digit that walks that way; else
// the key as it is.
std::string walkingArrow(std::string key) {
  if (key.size() != 2 || key[0] != '\0') return key;
  switch (key[1]) {
    case extendedKey::up:
      return "8";
    case extendedKey::right:
      return "6";
    case extendedKey::down:
      return "2";
    case extendedKey::left:
      return "4";
    default:
      return key;
  }
}

constexpr const char* partyDownBanner = "The whole party has fallen: ~ starts again, Escape quits";

}  // namespace

Shell::Shell(ShellFront& front, Environment env, Settings settings)
    : front_(front),
      platform_(front.gamePlatform()),
      env_(std::move(env)),
      settings_(std::move(settings)) {
  front_.applyView({settings_.fullscreen, settings_.aspect});
  std::string problems;
  for (const std::string& problem : settings_.problems) {
    problems += (problems.empty() ? "" : "; ") + problem;
  }
  if (!problems.empty()) tell(problems);
}

Shell::~Shell() = default;

int Shell::play() {
  Game game(platform_);
  if (record_) {
    recorder_ = std::make_unique<WindowRecorder>(game, recordingsFolder(env_), fileStamp(),
                                                 gameFilesFingerprint(""));
    recordingTold_ = !recorder_->error().empty();
    if (recordingTold_) tell("Not recorded: " + recorder_->error());
    platform_.setInputTap(recorder_.get());
  }
  int code = run(game);
  if (recorder_) {
    platform_.setInputTap(nullptr);
    recorder_->finish();
  }
  return code;
}

int Shell::watch(const RecordingToWatch& recording) {
  RecordedInput input(recording.read->events);
  Game game(platform_);
  platform_.setClockFeed(&input);
  watch_ = std::make_unique<WatchPace>([&input] { return input.nextKey(); }, recording.name,
                                       steadyMilliseconds);
  front_.setWatchStatus(watch_->status());
  int code = run(game);
  front_.setWatchStatus("");
  watch_.reset();
  platform_.setClockFeed(nullptr);
  return code;
}

std::string Shell::recordingPath() const {
  return recorder_ ? recorder_->path().string() : std::string();
}

int Shell::run(Game& game) {
  partyDown_ = banner_ = false;
  game.observer = this;
  platform_.setKeyGate(this);
  front_.setShellEvents(this);
  int code = runGame(game);
  // The front-end may outlive this game; it must not call into it any more.
  front_.setShellEvents(nullptr);
  platform_.setKeyGate(nullptr);
  game.observer = nullptr;
  front_.showBanner("");
  front_.setNotice("");
  return code;
}

HelpFacts Shell::helpFacts() const {
  return {front_.frontKind(), settings_.arrowsWalk, static_cast<bool>(pictureSaver_),
          front_.helpLegend(mapGlyphs())};
}

OverlayContent Shell::panel(PanelKind which) {
  if (which == PanelKind::messageLog) return log_.panel();
  return watch_ ? watchKeyHelp(helpFacts()) : keyHelp(helpFacts());
}

void Shell::pictureAsked(const Screen& screen, int scale) {
  if (pictureSaver_) tell(pictureSaver_(screen, scale));
}

void Shell::viewChanged(const ViewOptions& view) {
  if (view.fullscreen == settings_.fullscreen && view.aspect == settings_.aspect) return;
  settings_.fullscreen = view.fullscreen;
  settings_.aspect = view.aspect;
  if (settings_.unreadable) return;  // a file the game cannot read is never written over
  std::string error = writeSettings(settingsFile(env_), settings_);
  if (!error.empty()) tell("Settings not kept: " + error);
}

std::optional<std::string> Shell::typed(std::string key) {
  if (banner_) {
    banner_ = false;
    front_.showBanner("");
  }
  if (watch_) {
    if (watch_->control(key)) front_.setWatchStatus(watch_->status());
    return std::nullopt;
  }
  return settings_.arrowsWalk ? walkingArrow(std::move(key)) : key;
}

KeyGate::Next Shell::next() {
  if (!watch_) return {};
  WatchPace::Step step = watch_->next(front_.panelOpen());
  if (step.statusChanged) front_.setWatchStatus(watch_->status());
  if (step.key && banner_) {
    banner_ = false;
    front_.showBanner("");
  }
  return {step.key, step.waitMs, step.end};
}

void Shell::onLevel(const Game& game) {
  log_.onLevel(game);
  afterTurn();
  if (turnWatcher_) turnWatcher_(game, log_);
}

void Shell::onCycle(const Game& game) {
  log_.onCycle(game);
  afterTurn();
  if (turnWatcher_) turnWatcher_(game, log_);
}

void Shell::afterTurn() {
  front_.setNotice(log_.notice());
  if (partyJustDown(log_) && !partyDown_) {
    banner_ = true;
    front_.showBanner(partyDownBanner);
  }
  partyDown_ = partyJustDown(log_);
  if (recorder_ && !recordingTold_ && !recorder_->error().empty()) {
    recordingTold_ = true;
    tell("Recording stopped: " + recorder_->error());
  }
}

void Shell::tell(const std::string& message) {
  front_.tell(message);
}

}  // namespace dw
