#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Game.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/Invariants.h"

namespace dw::badinput {

// A game folder made by a test in a temporary place: a copy of the shipped
// res/, tiles/ and drivers/, or nothing at all. Removed with the object.
class GameFolder {
 public:
  enum class Start { shipped, empty };
  explicit GameFolder(Start start = Start::shipped);
  ~GameFolder();
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  const std::string& path() const { return path_; }
  // Game paths, such as "res\party.dat" or "tiles\120b0808.til".
  void write(const std::string& gamePath, const std::string& bytes) const;
  void remove(const std::string& gamePath) const;

 private:
  std::string path_;
};

// The bytes of a shipped game file.
std::string shippedFile(const std::string& gamePath);
// Lines joined with CR LF, as the data files are written.
std::string crlfLines(const std::vector<std::string>& lines);
// A party file of seven members named "Member N", each with these maxima
// (Hp, Ap, Dp, Mp, sight, sense), and the shipped members' spells.
std::string partyWithStatistics(const std::array<std::string, 6>& stats,
                                const std::vector<std::string>& extraLines = {});

// What one command left behind.
struct CycleRecord {
  std::string key;
  std::string message;
  int heroRow = 0, heroCol = 0;
  std::int32_t levelNumber = 0;
  std::array<std::int32_t, maxMembers + 1> hp{};
  LevelGrid grid;
};

// The invariant checks, and a record of every level start and command.
class RecordingObserver : public test::InvariantChecker {
 public:
  void onLevel(const Game& game) override;
  void onCycle(const Game& game) override;
  void onKeyRead(const Game& game) override;
  std::vector<LevelGrid> levelStarts;
  std::vector<std::pair<int, int>> levelStartHero;  // row, column
  std::vector<CycleRecord> records;
  // The visible page as it was shown for the last key read (Escape clears
  // the screen before the game ends).
  std::vector<std::uint8_t> lastShown;
};

// A game played on a folder's files from the start screen to its last key.
struct PlayedGame {
  explicit PlayedGame(std::string keys) : platform(std::move(keys)) {}
  HeadlessPlatform platform;
  Game game{platform};
  RecordingObserver observer;
  int exitCode = -1;
  double seconds = 0.0;
};

// The keys of a game on seed 1: moves, every spell, Bombs, pickups, member
// switches and a restart, ended by Escape.
std::string standardKeys();
// "@1\r " (seed 1 and the key that ends the world set-up's wait), the
// commands given and Escape.
std::string seedOneKeys(const std::string& commands);

std::unique_ptr<PlayedGame> play(const GameFolder& folder, const std::string& keys);

// Cells that hold a monster, as (row * 100 + col) * 256 + glyph.
std::vector<int> monsterCells(const LevelGrid& grid);

}  // namespace dw::badinput
