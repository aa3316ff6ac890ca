#include "runs/RecordingCheck.h"

#include "core/Game.h"
#include "frame/RunGame.h"

namespace dw {

void feedRecording(HeadlessPlatform& platform, RecordedInput& input) {
  platform.setKeySource([&input] { return input.nextKey(); });
  platform.setClockFeed(&input);
}

std::string recordedGameContradiction(const RecordingRead& read) {
  HeadlessPlatform platform;
  RecordedInput input(read.events);
  feedRecording(platform, input);
  Game game(platform);
  runGame(game);
  std::size_t keysRead = input.keysGiven() - platform.keysWaiting();
  return recordingContradiction(read, game.state.seed, keysRead, game.endReason == EndReason::quit);
}

}  // namespace dw
