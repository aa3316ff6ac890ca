#pragma once

#include <string>

#include "platform/headless/HeadlessPlatform.h"
#include "recording/RecordedInput.h"
#include "recording/Recording.h"

namespace dw {

// Plays a recording into a game with no screen: the platform takes the
// recorded keys one at a time as the game reads them, and the recording is
// its clock. Neither is owned.
void feedRecording(HeadlessPlatform& platform, RecordedInput& input);

// Plays a recording without a window, in the current game folder, and says
// where it contradicts the game its keys give (a header seed the levels do
// not come from, keys after the game ended); empty when it does not.
std::string recordedGameContradiction(const RecordingRead& read);

}  // namespace dw
