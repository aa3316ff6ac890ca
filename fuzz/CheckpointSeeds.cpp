// Writes real checkpoints of short headless games, the seeds of the
// checkpoint target.
//   checkpoint_seeds GAME_DIR OUT_DIR   (GAME_DIR holds res/ and tiles/)
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "frame/RunGame.h"
#include "platform/headless/HeadlessPlatform.h"
#include "runs/CheckpointBytes.h"

namespace {

// Saves the game at a few of its key reads, once it is in the dungeon.
class Saver : public dw::GameObserver {
 public:
  Saver(std::string out, std::string name) : out_(std::move(out)), name_(std::move(name)) {}
  void onKeyRead(const dw::Game& game) override {
    if (game.state.levelNumber <= 0 || ++reads_ % 40 != 0) return;
    dw::CheckpointPlace place{
        {static_cast<std::uint64_t>(reads_) * 7, reads_, 0x51ed, reads_, 2, 1},
        0x0123456789abcdefull};
    std::ofstream(out_ + "/" + name_ + "-" + std::to_string(reads_), std::ios::binary)
        << dw::saveCheckpoint(game, place);
  }

 private:
  std::string out_, name_;
  std::uint64_t reads_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || chdir(argv[1]) != 0) {
    std::fprintf(stderr, "usage: checkpoint_seeds GAME_DIR OUT_DIR\n");
    return 2;
  }
  const std::pair<const char*, const char*> games[] = {
      {"walk", "@7\r 8666888828266888844886 446222222622224 2222222222666222 444888888888886 "},
      {"spells", "@42\r wvtphfb+-hhttpp  wwvvff 8888666622224444 8642 8888666622224444 8642 "},
      {"switch", "@3\r 222266668888444422226666 -+-+ 8888444422226666 bbbb 2468 2468 2468 "}};
  for (const auto& [name, keys] : games) {
    dw::HeadlessPlatform platform(keys);
    dw::Game game(platform);
    Saver saver(argv[2], name);
    game.observer = &saver;
    dw::runGame(game);
  }
  return 0;
}
