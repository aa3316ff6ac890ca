// Must not compile: the dungeon layer lies below the world's rules and cannot
// see their headers. The layers test expects this file to fail.
#include "world/Moves.h"
