#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "around/Continue.h"
#include "core/Game.h"

namespace dw {

// Runs a game recorded in the player's recordings folder, with checkpoints
// beside its recording now and then: a new game from its start, or, with
// `run`, a run caught up from its recording that goes on where it stopped
// (the player's game becomes the caught-up one; the recording goes on in
// the folder). The game's observer, if any, is told everything as before.
// `notRecorded` hears why the game goes unrecorded, if it does. Returns the
// exit code.
int playRecorded(Game& game, const std::filesystem::path& folder, CaughtUpRun* run,
                 const std::function<void(const std::string&)>& notRecorded);

// Reads the run to continue: `file`, or the newest run in the recordings
// folder when it is empty. Nothing, with the reason, when there is none or
// it cannot be continued.
std::optional<CaughtUpRun> runToContinue(const std::string& file,
                                         const std::filesystem::path& folder, bool force,
                                         std::string& error);

}  // namespace dw
