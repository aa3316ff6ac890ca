// Forged checkpoints: bytes with a good checksum that no game wrote. Each is
// refused with one line, or it holds a game the rules can play on; none
// crashes, hangs or wakes the sanitizers (this test runs in the sanitizer
// build too).
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <functional>
#include <vector>

#include "core/GameStateWalk.h"
#include "frame/RunGame.h"
#include "recording/Fingerprint.h"
#include "runs/CheckpointBytes.h"
#include "support/TestGame.h"

namespace dw {
namespace {

// A game stopped at a key read two levels down, with its checkpoint.
struct Stopped {
  HeadlessPlatform platform{
      "@7\r 8666888828266888844886 446222222622224 2222222222666222 444888888888886 hv"};
  Game game{platform};
  Stopped() {
    runGame(game);
    game.endReason = EndReason::running;
  }
  std::string forged(const std::function<void(Game&)>& change) {
    HeadlessPlatform scratch;
    Game copy(scratch);
    copyGame(game, copy);
    change(copy);
    return saveCheckpoint(copy, {{100, 10, 9, 0, 0, 0x1234}, 1});
  }
};

// The bytes with one changed and the checksum made right again.
std::string flipped(std::string bytes, std::size_t at, std::uint8_t mask) {
  bytes[at] = static_cast<char>(bytes[at] ^ mask);
  std::string_view body(bytes.data(), bytes.size() - 8);
  std::uint64_t sum = fnv1a64(fnv1a64Start, body);
  for (int i = 0; i < 8; ++i) bytes[bytes.size() - 8 + i] = static_cast<char>(sum >> (8 * i));
  return bytes;
}

std::vector<std::int32_t> edges() {
  return {INT32_MIN, -1, 0, 1, 7, 8, 25, 41, 100000, INT32_MAX};
}

// Every int of the state, one at a time, at each edge.
void forgeStateFields(Stopped& stopped, std::vector<std::string>& out) {
  std::size_t fields = 0;
  walkGameState(stopped.game.state, [&](auto& field) {
    if constexpr (std::is_same_v<std::decay_t<decltype(field)>, int>) ++fields;
  });
  for (std::size_t n = 0; n < fields; ++n) {
    for (std::int32_t value : edges()) {
      out.push_back(stopped.forged([&](Game& g) {
        std::size_t i = 0;
        walkGameState(g.state, [&](auto& field) {
          if constexpr (std::is_same_v<std::decay_t<decltype(field)>, int>) {
            if (i++ == n) field = value;
          }
        });
      }));
    }
  }
}

// The party tables, the grid, the classes and the screen at their edges.
void forgeTables(Stopped& stopped, std::vector<std::string>& out) {
  for (std::int32_t value : edges()) {
    out.push_back(stopped.forged([&](Game& g) { g.state.memberStats[0][1] = value; }));
    out.push_back(stopped.forged([&](Game& g) { g.state.memberStats[2][1] = value; }));
    out.push_back(stopped.forged([&](Game& g) { g.state.memberSpellLevels[1][3] = value; }));
    out.push_back(stopped.forged([&](Game& g) { g.state.spellMaxLevel[2] = value; }));
    out.push_back(stopped.forged([&](Game& g) { g.state.roseVectors[1][1] = value; }));
    auto v8 = static_cast<std::uint8_t>(value);
    out.push_back(stopped.forged([&](Game& g) { g.grid.seen[3][4] = v8; }));
    out.push_back(stopped.forged([&](Game& g) { g.grid.glyphs[3][4] = v8; }));
    out.push_back(stopped.forged([&](Game& g) { g.classes.classOf[219] = v8; }));
    out.push_back(stopped.forged([&](Game& g) {
      Screen::Saved screen = g.screen.save();
      screen.row = screen.col = screen.fg = value;
      g.screen.restore(screen);
    }));
  }
}

TEST(ForgedCheckpoints, AreRefusedWithOneLineOrPlayOn) {
  ASSERT_EQ(chdir(test::gameDir().c_str()), 0);
  Stopped stopped;
  ASSERT_GE(stopped.game.state.levelNumber, 2);
  std::vector<std::string> forgeries;
  forgeStateFields(stopped, forgeries);
  forgeTables(stopped, forgeries);
  const std::string real = stopped.forged([](Game&) {});
  for (std::size_t i = 0; i < 120; ++i) {
    std::size_t at = 4 + (i * 7919) % (real.size() - 12);
    forgeries.push_back(flipped(real, at, static_cast<std::uint8_t>(1u << (i % 8))));
  }
  ASSERT_GE(forgeries.size(), 300u);

  std::size_t refused = 0;
  for (const std::string& bytes : forgeries) {
    HeadlessPlatform platform("2468hv+b 12 4488 66 22 cx 5\t");
    Game game(platform);
    CheckpointPlace place;
    std::string why;
    if (!restoreCheckpoint(bytes, game, place, why)) {
      ++refused;
      EXPECT_FALSE(why.empty());
      EXPECT_EQ(why.find('\n'), std::string::npos) << why;
      continue;
    }
    // Accepted: the rules play on from it until the keys run out.
    resumeGame(game);
    EXPECT_EQ(game.endReason, EndReason::inputClosed);
  }
  EXPECT_GT(refused, forgeries.size() / 3);

  // The two that crashed and hung before: a member far out, one past the
  // party.
  for (int member : {100000, 8}) {
    HeadlessPlatform platform;
    Game game(platform);
    CheckpointPlace place;
    std::string why;
    EXPECT_FALSE(restoreCheckpoint(stopped.forged([&](Game& g) { g.state.currentMember = member; }),
                                   game, place, why));
    EXPECT_EQ(why, "the checkpoint holds a game out of range: currentMember is " +
                       std::to_string(member) + ", not 1..7");
  }
}

}  // namespace
}  // namespace dw
