// Must not compile: a run on disk knows the rules and the recording format,
// and nothing of the live shell around a game.
// The layers test expects this file to fail.
#include "shell/Shell.h"
