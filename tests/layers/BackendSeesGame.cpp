// Must not compile: a backend knows the platform and nothing of the game.
// The layers test expects this file to fail.
#include "core/Game.h"
