#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ShellFront.h"
#include "runs/RecordingCheck.h"
#include "runs/UserFolders.h"
#include "shell/Settings.h"
#include "shell/Watching.h"

namespace dw {

class Shell;
struct CaughtUpRun;

// What a front-end asks of one game with the shell around it: a recording
// to watch, or a run caught up to go on with, or a new game, on a seed given
// as if the player had typed "@", the seed and Enter.
struct SessionOrder {
  const RecordingToPlay* watch = nullptr;
  CaughtUpRun* run = nullptr;
  std::string seed;
  // A run to catch up in front of the player and go on with (see
  // Shell::continueRun).
  std::string continueFile;
  bool force = false;
};

// How one game with the shell around it ended: the game's exit code, the
// line that says where the run went (see Shell::endOfRun), and the run's
// recording, if one was made.
struct SessionEnd {
  int code = 0;
  std::string endOfRun;
  std::string recording;
  // Why the run to continue did not go on (refused, or stopped by the
  // player), for stderr.
  std::string refusal;
  // What the catch-up passed over (a checkpoint that is a FIFO, a damaged
  // tail), for stderr.
  std::vector<std::string> notes;
};

// What a front-end adds to its shell before the game begins: how it saves
// pictures, what it does after each turn.
using ShellWiring = std::function<void(Shell& shell)>;

// The one place a Shell is made: plays or watches what the order asks on the
// front-end, with the player's folders (env) and settings, and hands back
// how it ended.
SessionEnd runSession(ShellFront& front, Environment env, Settings settings,
                      const SessionOrder& order, const ShellWiring& wiring = {});

// A run handed over as the text of its recording (the page keeps its runs in
// the browser's storage), laid down as `name` in the recordings folder with
// its checkpoint beside it when one is handed over too (checked as every
// checkpoint is, and passed over when it is no good), and caught up to where
// it stopped; nothing, and no file left, when it holds no game that can go
// on. Why, in `refused`, when it cannot be taken up at all (other rules or
// data, damaged); left empty for a run that only ended.
std::optional<CaughtUpRun> catchUpHandedRun(const std::string& text, const std::string& checkpoint,
                                            const std::string& name, const Environment& env,
                                            std::string& refused);

// A recording handed over as its bytes, laid down as `name` in `folder` and
// read for watching; nothing (and the reason in error) when it cannot be
// watched.
std::optional<RecordingToPlay> watchHandedRecording(const std::string& bytes,
                                                    const std::string& name,
                                                    const std::string& folder, std::string& error);

}  // namespace dw
