#pragma once

#include "runs/RecordingCheck.h"

namespace dw {

class SdlPlatform;
struct CaughtUpRun;

// Plays the game in the window, with the shell around it: the key help on
// F1, the message log on F2, screenshots on F12, the notices, the settings
// and a recording of the game. With `run`, the game is that run caught up,
// going on where it stopped. Returns the game's exit code.
int playInWindow(SdlPlatform& window, CaughtUpRun* run = nullptr);

// Plays the recording in the window at the watching pace. Returns the game's
// exit code.
int watchInWindow(SdlPlatform& window, const RecordingToPlay& recording);

}  // namespace dw
