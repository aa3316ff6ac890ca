#pragma once

#include "shell/Session.h"

namespace dw {

// Plays what the order asks in the game's window, with the shell around it:
// the key help, the message log, the past runs, screenshots, the notices,
// the settings and a recording of the game. Returns the exit status: the
// game's, 1 when no window opens (said on stderr, with the way to play in
// the terminal instead).
int playInWindow(const SessionOrder& order);

}  // namespace dw
