#pragma once

namespace dw {

class SdlPlatform;

// Plays the game in the window with everything around it: the key help on
// F1, the message log on F2, screenshots on F12 and the notices about fallen
// members. Returns the game's exit code.
int playInWindow(SdlPlatform& window);

}  // namespace dw
