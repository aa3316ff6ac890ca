#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Game.h"
#include "platform/Platform.h"
#include "platform/ShellFront.h"
#include "runs/CatchUp.h"
#include "runs/RecordingCheck.h"
#include "runs/RunSummary.h"
#include "runs/UserFolders.h"
#include "shell/CheckpointLog.h"
#include "shell/Gamepad.h"
#include "shell/KeyHelp.h"
#include "shell/MessageLog.h"
#include "shell/Settings.h"
#include "shell/Watching.h"

namespace dw {

class RunRecorder;

// Saves a picture of the screen at a whole-number enlargement and returns
// what to tell the player. The desktop's saves PNG files; the page saves
// pictures from its canvas and needs none.
using PictureSaver = std::function<std::string(const Screen& screen, int scale)>;

// Everything around the game, written once for every front-end: it runs each
// game, played or watched, and keeps the recording, the message log, the key
// help, the notices (a fallen member, the whole party down, over the picture
// once), pictures of the screen and the player's settings. A front-end
// supplies only what differs (ShellFront): how a panel, a notice and the
// picture show, which keys open the panels, and where its files live.
// Nothing here changes what the game does: it reads the game, and the keys
// it keeps from the game (those that steer a recording watched) never reach
// it or its recording.
class Shell : public ShellEvents, public KeyGate, public GameObserver {
 public:
  // env names the player's folders (the browser's storage in the page).
  Shell(ShellFront& front, Environment env, Settings settings);
  ~Shell() override;
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  // Pictures of the screen on F12; none without a saver.
  void setPictureSaver(PictureSaver saver) { pictureSaver_ = std::move(saver); }
  // Whether games are recorded (in <data home>/duskwarren/recordings); on
  // by default.
  void setRecording(bool on) { record_ = on; }
  // Told after every level begun and every turn, once the log has it: what
  // a front-end reads aloud, or keeps, after each turn.
  using TurnWatcher = std::function<void(const Game& game, const MessageLog& log)>;
  void setTurnWatcher(TurnWatcher watcher) { turnWatcher_ = std::move(watcher); }
  // Told each whole line of a game's recording as it is written: the page
  // keeps the run from these.
  using RecordingSink = std::function<void(std::string_view line)>;
  void setRecordingSink(RecordingSink sink) { recordingSink_ = std::move(sink); }

  // Plays one game from the start screen to its end, or, with `run`, that
  // run caught up, from where it stopped. Returns its exit code.
  int play(CaughtUpRun* run = nullptr);
  // Catches up the run recorded at `path` in front of the player, showing
  // how far it has got (Escape stops it), with the log and the tally as the
  // run left them, and plays it on. Returns the exit code; when it cannot go
  // on, or was stopped, `refusal` says why; `notes` gets what the catch-up
  // passed over (told in the game too), for stderr.
  int continueRun(const std::string& path, bool force, std::string& refusal,
                  std::vector<std::string>& notes);
  // Plays a recording at the watching pace. Returns the game's exit code.
  int watch(const RecordingToPlay& recording);

  const Settings& settings() const { return settings_; }
  const MessageLog& log() const { return log_; }
  // The recording of the game being played, or empty.
  std::string recordingPath() const;
  // Once a game played has ended: the line that says where the run went and
  // how to take it up again, for stderr once the front-end has given the
  // terminal back (empty when no game was begun).
  const std::string& endOfRun() const { return endOfRun_; }
  // The run being played, as its summary says it so far (no ending yet);
  // nothing while no game is played, a recording is watched, or the turns
  // before the run was taken up are not known.
  std::optional<RunSummary> summarySoFar() const;

  // ShellEvents: what the front-end tells.
  OverlayContent panel(PanelKind which) override;
  void pictureAsked(const Screen& screen, int scale) override;
  void viewChanged(const ViewOptions& view) override;
  // A run picked in the past runs (F4): the game being played ends as a quit
  // ends it, and the run picked goes on; one that cannot is told.
  void panelPicked(PanelKind which, int choice) override;
  void padPlugged(const std::string& name, PadKind kind) override;
  void padUnplugged(const std::string& name) override;
  std::optional<FrontAction> padButton(PadButton button, bool down) override;
  void padStick(double x, double y) override;
  int padRepeatIn() override;
  void padTick() override;

  // KeyGate: the arrows that walk, the keys that steer a recording watched,
  // and the notice over the picture that the next key takes away.
  std::optional<std::string> typed(std::string key) override;
  Next next() override;

  // GameObserver: the log, the notices and the recording's health.
  void onLevel(const Game& game) override;
  void onCycle(const Game& game) override;
  void onMessageReplaced(const Game& game, std::string_view earlier) override {
    log_.onMessageReplaced(game, earlier);
  }
  void onKeyRead(const Game& game) override;

 private:
  int run(Game& game, bool resumed);
  std::optional<CaughtUpRun> catchUp(const std::string& path, bool force, std::string& error);
  bool showCatchUp(const CatchUpProgress& progress);
  void offerNewestRun();
  int continueChosen(const std::string& path);
  void afterTurn();
  void tell(const std::string& message);
  void showStartHint(bool on);
  HelpFacts helpFacts() const;
  std::optional<FrontAction> padGave(const Gamepad::Outcome& outcome);

  ShellFront& front_;
  Platform& platform_;
  Environment env_;
  Settings settings_;
  PictureSaver pictureSaver_;
  TurnWatcher turnWatcher_;
  RecordingSink recordingSink_;
  bool record_ = true;
  MessageLog log_;
  std::unique_ptr<RunRecorder> recorder_;
  // The run F3 takes up on the start screen, and whether it was asked for.
  std::optional<std::string> offer_;
  bool onStartScreen_ = false;
  bool continueAsked_ = false;
  bool recordingTold_ = false;
  std::unique_ptr<WatchPace> watch_;
  RunTally tally_;
  // What is kept beside each checkpoint of the run recorded: its log.
  CheckpointLog checkpointLog_{log_};
  // The runs the past-runs panel offers, in its order, and the one picked.
  std::vector<std::string> pickable_;
  std::optional<std::string> picked_;
  // While a run is caught up, and whether Escape stopped it.
  bool catchingUp_ = false;
  bool stopAsked_ = false;
  const Game* game_ = nullptr;  // while a game runs
  std::string endOfRun_;
  bool partyDown_ = false;
  bool banner_ = false;
  // The gamepad's presses, the kind of the pad plugged in last, and whether
  // the start screen is up (before the first level).
  Gamepad pad_;
  std::optional<PadKind> padKind_;
  int padsPlugged_ = 0;
  bool beforeLevel_ = false;
  bool padTyping_ = false;
  bool startHint_ = false;
};

}  // namespace dw
