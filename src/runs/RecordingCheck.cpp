#include "runs/RecordingCheck.h"

#include "core/Game.h"
#include "frame/RunGame.h"
#include "platform/headless/HeadlessPlatform.h"
#include "recording/RecordedInput.h"

namespace dw {

std::string recordedGameContradiction(const RecordingRead& read) {
  HeadlessPlatform platform;
  RecordedInput input(read.events);
  while (auto key = input.nextKey()) platform.addKey(std::move(*key));
  platform.setClockFeed(&input);
  Game game(platform);
  runGame(game);
  std::size_t keysRead = input.keyCount() - platform.keysWaiting();
  return recordingContradiction(read, game.state.seed, keysRead, game.endReason == EndReason::quit);
}

}  // namespace dw
