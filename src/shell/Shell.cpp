#include "shell/Shell.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "frame/RunGame.h"
#include "platform/VisibleText.h"
#include "recording/Fingerprint.h"
#include "recording/RecordedInput.h"
#include "runs/Checkpoint.h"
#include "runs/KeptRuns.h"
#include "runs/RunFiles.h"
#include "runs/RunRecorder.h"
#include "shell/KeyHelp.h"
#include "shell/Surroundings.h"
#include "world/Spells.h"

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

// The keys of a recording watched, all but the one that ended the run (the
// Escape that quit, which clears the screen): the run's last picture stays.
std::optional<std::string> keyBeforeTheEnd(RecordedInput& input) {
  if (input.endReason() == "quit" && input.keysGiven() + 1 >= input.keyCount()) return std::nullopt;
  return input.nextKey();
}

// How long the past-runs panel may spend summing up recordings whose summary
// is missing before it shows what it has.
constexpr std::chrono::milliseconds runsPanelRebuildTime{500};

// The keys the start screen ends on: the spacebar, the seed asked for, Escape.
bool leavesStartScreen(const std::string& key) {
  return key == " " || key == "@" || key == std::string(1, escapeKey);
}

// "Catching up: level 12, key 120,000 of 1,000,000 [###.......] Esc stops"
std::string catchUpText(const CatchUpProgress& progress) {
  if (progress.keysInAll == 0) return "Catching up: reading the recording, Esc stops";
  constexpr std::uint64_t width = 10;
  std::uint64_t filled =
      progress.keysInAll == 0 ? 0 : std::min(width, progress.keysDone * width / progress.keysInAll);
  return "Catching up: level " + countText(progress.level) + ", key " +
         countText(static_cast<std::int64_t>(progress.keysDone)) + " of " +
         countText(static_cast<std::int64_t>(progress.keysInAll)) + " [" +
         std::string(filled, '#') + std::string(width - filled, '.') + "] Esc stops";
}

// How a game left for a run picked in F4 ended, in its recording and its
// summary.
constexpr const char* leftEnding = "left";

constexpr const char* watchEndNotice = "The end of the recording: any key closes";

// The spells the pad's picker offers, with the keys that cast them.
std::vector<Gamepad::Choice> spellChoices() {
  static constexpr char keys[] = "wvtphf";
  std::vector<Gamepad::Choice> choices;
  for (int n = spell::warp; n <= spell::flare; ++n) {
    SpellCost cost = spellCost(n);
    choices.push_back({std::string(cost.name) + " " + std::to_string(cost.base) + "-" +
                           std::to_string(cost.base + cost.range - 1) + " Mp",
                       std::string(1, keys[n - 1])});
  }
  return choices;
}

constexpr const char* partyDownBanner = "The whole party has fallen: ~ starts again, Escape quits";

}  // namespace

Shell::Shell(ShellFront& front, Environment env, Settings settings)
    : front_(front),
      platform_(front.gamePlatform()),
      env_(std::move(env)),
      settings_(std::move(settings)),
      pad_(settings_.pad) {
  front_.applyView({settings_.fullscreen, settings_.aspect});
  pad_.setSpells(spellChoices());
  std::string mappings =
      front_.addPadMappings((configHome(env_) / "duskwarren" / "gamecontrollerdb.txt").string());
  if (!mappings.empty()) settings_.problems.push_back(mappings);
  std::string problems;
  for (const std::string& problem : settings_.problems) {
    problems += (problems.empty() ? "" : "; ") + problem;
  }
  if (!problems.empty()) tell(problems);
}

Shell::~Shell() = default;

int Shell::play(CaughtUpRun* caughtUp) {
  if (!caughtUp) offerNewestRun();
  Game game(platform_);
  // A run taken up goes on with the tally of its first part.
  tally_ = caughtUp ? caughtUp->tally : RunTally();
  if (record_) {
    std::filesystem::path folder = recordingsFolder(env_);
    recorder_ = caughtUp ? std::make_unique<RunRecorder>(game, *caughtUp, folder)
                         : std::make_unique<RunRecorder>(game, RunRecorder::InFolder{folder});
    recorder_->checkpoints().setCompanion(&checkpointLog_);
    if (recordingSink_) recorder_->setLineSink(recordingSink_);
    recorder_->watchTally(tally_);
    recordingTold_ = !recorder_->error().empty();
    if (recordingTold_) tell("Not recorded: " + recorder_->error());
    platform_.setInputTap(recorder_.get());
  }
  if (caughtUp) copyGame(*caughtUp->game, game);
  int code = run(game, caughtUp != nullptr);
  if (recorder_) {
    platform_.setInputTap(nullptr);
    // A run left for another (F4) ends as a quit does, but every key of it
    // counts: no Escape ended it.
    recorder_->finish(picked_ ? leftEnding : recordedEnding(game));
  }
  onStartScreen_ = false;
  if (continueAsked_) {
    continueAsked_ = false;
    return continueChosen(*offer_);
  }
  endOfRun_ = closeRun(tally_, game, record_ ? recorder_.get() : nullptr,
                       front_.frontKind() == FrontKind::terminal, picked_ ? leftEnding : "");
  if (picked_) return continueChosen(*std::exchange(picked_, std::nullopt));
  return code;
}

// The newest run, offered on the start screen where the front-end has a key
// to take it up (F3).
void Shell::offerNewestRun() {
  offer_.reset();
  continueAsked_ = false;
  const FrontKey* key = rowOf(front_.frontKeys(), FrontAction::continueRun);
  if (!record_ || key == nullptr) return;
  // A game asked for already (a seed typed ahead) has no start screen.
  if (platform_.keysWaiting() > 0) return;
  auto newest = newestRun(recordingsFolder(env_));
  if (!newest) return;
  offer_ = newest->string();
  onStartScreen_ = true;
  front_.setNotice(keyNames(*key, " or ") + ": continue the game " + runDescription(*newest));
}

// Catches the run up in front of the player: how far it has got shows as a
// notice, and Escape (or the front-end going) stops it with nothing written.
std::optional<CaughtUpRun> Shell::catchUp(const std::string& path, bool force, std::string& error) {
  log_.clear();
  LogKeeper listener(log_);
  CatchUpWatch watch;
  watch.observer = &listener;
  // Each attempt starts the log afresh: from what was kept beside the
  // checkpoint, or from the run's start when nothing whole was.
  watch.begin = [&](const std::optional<RecordingPoint>& from) {
    log_.clear();
    if (!from) return true;
    auto kept = readCheckpointLog(path, *from);
    return kept && restoreCheckpointLog(*kept, log_);
  };
  watch.progress = [this](const CatchUpProgress& progress) { return showCatchUp(progress); };
  catchingUp_ = true;
  stopAsked_ = false;
  platform_.setKeyGate(this);
  auto run = catchUpRun(path, force, error, true, &watch);
  platform_.setKeyGate(nullptr);
  catchingUp_ = false;
  front_.setNotice("");
  // The log is whole, from the run's start or from what was kept beside its
  // checkpoint, and is kept beside the next one.
  if (run) {
    run->companion = CheckpointLog(log_).companionBytes(*run->game);
  } else {
    log_.clear();  // a catch-up stopped or refused leaves nothing of its run
  }
  return run;
}

bool Shell::showCatchUp(const CatchUpProgress& progress) {
  front_.setNotice(catchUpText(progress));
  platform_.present();
  // Takes the keys typed meanwhile: each meets typed, which keeps them all.
  platform_.pollKey();
  return !stopAsked_;
}

int Shell::continueRun(const std::string& path, bool force, std::string& refusal,
                       std::vector<std::string>& notes) {
  auto caughtUp = catchUp(path, force, refusal);
  if (!caughtUp) return stopAsked_ ? 0 : 2;  // 2: a run that cannot go on, as on the command line
  for (const std::string& note : caughtUp->notes) tell(note);
  notes = caughtUp->notes;
  return play(&*caughtUp);
}

// F3 ended the start screen, or a run was picked in F4: that run goes on,
// or, when it cannot, the player is told why and a new game begins.
int Shell::continueChosen(const std::string& path) {
  std::string error;
  auto caughtUp = catchUp(path, false, error);
  if (!caughtUp) {
    tell(error);
    return play();
  }
  // A file beside the run passed over (a checkpoint that is a FIFO, ...).
  std::string notes;
  for (const std::string& note : caughtUp->notes) notes += (notes.empty() ? "" : "; ") + note;
  if (!notes.empty()) tell(notes);
  return play(&*caughtUp);
}

int Shell::watch(const RecordingToPlay& recording) {
  RecordedInput input = recording.input;
  Game game(platform_);
  platform_.setClockFeed(&input);
  watch_ = std::make_unique<WatchPace>([&input] { return keyBeforeTheEnd(input); }, recording.name,
                                       steadyMilliseconds);
  front_.setWatchStatus(watch_->status());
  int code = run(game, false);
  front_.setWatchStatus("");
  watch_.reset();
  platform_.setClockFeed(nullptr);
  if (picked_) return continueChosen(*std::exchange(picked_, std::nullopt));
  return code;
}

std::string Shell::recordingPath() const {
  return recorder_ ? recorder_->path() : std::string();
}

std::optional<RunSummary> Shell::summarySoFar() const {
  if (game_ == nullptr || watch_) return std::nullopt;
  return tally_.summary(*game_);
}

int Shell::run(Game& game, bool resumed) {
  banner_ = false;
  // A run taken up shows its notice as it stood; its fallen party is no news.
  partyDown_ = resumed && partyJustDown(log_);
  if (resumed) front_.setNotice(log_.notice());
  beforeLevel_ = true;
  game_ = &game;
  game.observer = this;
  platform_.setKeyGate(this);
  front_.setShellEvents(this);
  showStartHint(!resumed && !watch_);
  int code = resumed ? resumeGame(game) : runGame(game);
  showStartHint(false);
  // The front-end may outlive this game; it must not call into it any more.
  front_.setShellEvents(nullptr);
  platform_.setKeyGate(nullptr);
  game.observer = nullptr;
  game_ = nullptr;
  front_.showBanner("");
  front_.setNotice("");
  return code;
}

HelpFacts Shell::helpFacts() const {
  return {front_.frontKind(),
          front_.frontKeys(),
          settings_.arrowsWalk,
          static_cast<bool>(pictureSaver_),
          front_.helpLegend(mapGlyphs()),
          padsPlugged_ > 0 ? padKind_ : std::nullopt,
          pad_.bindings()};
}

OverlayContent Shell::panel(PanelKind which) {
  if (which == PanelKind::messageLog) return log_.panel();
  if (which == PanelKind::surroundings) {
    if (game_ && game_->state.levelNumber > 0) return surroundingsPanel(*game_);
    OverlayContent none;
    none.title = "Around you";
    none.empty = "Nothing yet: the level has not begun";
    return none;
  }
  if (which == PanelKind::pastRuns) {
    std::optional<RunSummary> now;
    if (game_ && !watch_) now = tally_.summary(*game_);
    auto runs = keptRuns(recordingsFolder(env_), {recordingPath(), runsPanelRebuildTime});
    pickable_.clear();
    for (const RunListEntry& run : runs)
      pickable_.push_back((recordingsFolder(env_) / run.file).string());
    return runsPanel(runs, now);
  }
  return watch_ ? watchKeyHelp(helpFacts()) : keyHelp(helpFacts());
}

void Shell::panelPicked(PanelKind which, int choice) {
  if (which != PanelKind::pastRuns || choice < 0 || choice >= static_cast<int>(pickable_.size()))
    return;
  // Checked before the game is left: a run another game holds, or one that
  // cannot go on here, is refused, and the game goes on.
  std::string error;
  std::vector<std::string> notes;
  const std::string& path = pickable_[choice];
  if (!recordingToContinue(path, recordingsFolder(env_), false, error, notes)) return tell(error);
  picked_ = path;
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
  if (catchingUp_) {
    if (key == std::string(1, escapeKey)) stopAsked_ = true;
    return std::nullopt;  // no key reaches a run being caught up
  }
  // A key typed on the keyboard closes the pad's picker.
  if (!padTyping_ && pad_.pickerOpen()) padGave(pad_.reset());
  if (onStartScreen_ && offer_ &&
      actionOfKey(front_.frontKeys(), nameOfKey(key)) == FrontAction::continueRun) {
    continueAsked_ = true;
    return std::nullopt;
  }
  if (onStartScreen_ && leavesStartScreen(key)) {
    // A new game begins: the run offered is no longer to be had.
    onStartScreen_ = false;
    front_.setNotice("");
  }
  if (banner_) {
    banner_ = false;
    front_.showBanner("");
  }
  if (startHint_) showStartHint(false);
  if (watch_) {
    if (watch_->control(key)) front_.setWatchStatus(watch_->status());
    return std::nullopt;
  }
  return settings_.arrowsWalk ? walkingArrow(std::move(key)) : key;
}

KeyGate::Next Shell::next() {
  // The start screen ends, or the game, for the run picked.
  if (continueAsked_ || picked_) return {std::nullopt, -1, true};
  if (!watch_) return {};
  WatchPace::Step step = watch_->next(front_.panelOpen());
  if (step.statusChanged) {
    front_.setWatchStatus(watch_->status());
    if (watch_->ended()) {
      front_.setNotice(watchEndNotice);
      log_.addNotice(watchEndNotice);
    }
  }
  if (step.key && banner_) {
    banner_ = false;
    front_.showBanner("");
  }
  return {step.key, step.waitMs, step.end};
}

void Shell::onLevel(const Game& game) {
  onStartScreen_ = false;
  beforeLevel_ = false;
  tally_.onLevel(game);
  log_.onLevel(game);
  afterTurn();
  if (turnWatcher_) turnWatcher_(game, log_);
}

void Shell::onCycle(const Game& game) {
  tally_.onCycle(game);
  // The checkpoints keep the run's turns too.
  if (recorder_) recorder_->checkpoints().onCycle(game);
  log_.onCycle(game);
  afterTurn();
  if (turnWatcher_) turnWatcher_(game, log_);
}

void Shell::onKeyRead(const Game& game) {
  // A run taken up from the middle: its party is no news.
  if (!log_.begun()) log_.takeUp(game);
  if (recorder_) recorder_->checkpoints().onKeyRead(game);
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

void Shell::padPlugged(const std::string& name, PadKind kind) {
  ++padsPlugged_;
  padKind_ = kind;
  tell("Gamepad connected: " + visibleText(name) + " (" + padKindName(kind) + ")");
}

void Shell::padUnplugged(const std::string& name) {
  padsPlugged_ = std::max(0, padsPlugged_ - 1);
  padGave(pad_.reset());
  tell("Gamepad disconnected: " + visibleText(name));
}

std::optional<FrontAction> Shell::padButton(PadButton button, bool down) {
  std::uint64_t now = steadyMilliseconds();
  return padGave(down ? pad_.press(button, beforeLevel_, now)
                      : pad_.release(button, beforeLevel_, now));
}

void Shell::padStick(double x, double y) {
  padGave(pad_.stick(x, y, beforeLevel_, steadyMilliseconds()));
}

int Shell::padRepeatIn() {
  return pad_.untilTick(steadyMilliseconds());
}

void Shell::padTick() {
  padGave(pad_.tick(steadyMilliseconds()));
}

// The pad's keys go through the key gate like typed ones, so the recording
// holds the game's keys only; F3 is the shell's own, on the start screen.
std::optional<FrontAction> Shell::padGave(const Gamepad::Outcome& outcome) {
  if (outcome.overlayChanged) {
    banner_ = false;
    front_.showBanner(pad_.overlay());
  }
  padTyping_ = true;
  for (const std::string& key : outcome.keys) {
    bool f3 = key == std::string{'\0', extendedKey::f3};
    if (f3 && !(onStartScreen_ && offer_)) continue;
    platform_.typeAhead(key);
  }
  padTyping_ = false;
  return outcome.action;
}

// The start screen's offer (F3) and its keys, for a front-end that has no
// other place to show them; they go with the first key.
void Shell::showStartHint(bool on) {
  startHint_ = on;
  if (!on) return front_.showStartHint({});
  std::vector<std::string> lines;
  const FrontKeys& keys = front_.frontKeys();
  if (offer_) {
    if (const FrontKey* row = rowOf(keys, FrontAction::continueRun))
      lines.push_back(keyNames(*row, " or ") + ": continue the game " +
                      runDescription(std::filesystem::path(*offer_)));
  }
  std::string hint = "Space: new game, @: seed";
  if (const FrontKey* row = rowOf(keys, FrontAction::keyHelp))
    hint += ", " + keyNames(*row, " or ") + ": keys";
  lines.push_back(hint);
  front_.showStartHint(lines);
}

void Shell::tell(const std::string& message) {
  // However the front-end shows it (cut to a row, for a while), the log
  // keeps it whole.
  if (!message.empty()) log_.addNotice(message);
  front_.tell(message);
}

}  // namespace dw
