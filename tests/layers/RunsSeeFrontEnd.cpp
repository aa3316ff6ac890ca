// Must not compile: a run on disk knows nothing of any front-end, so the
// tools and benches use it without a screen.
// The layers test expects this file to fail.
#include "platform/terminal/TerminalPlatform.h"
