#pragma once

#include <string>

#include "recording/Recording.h"

namespace dw {

// Plays a recording without a window, in the current game folder, and says
// where it contradicts the game its keys give (a header seed the levels do
// not come from, keys after the game ended); empty when it does not.
std::string recordedGameContradiction(const RecordingRead& read);

}  // namespace dw
