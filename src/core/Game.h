#pragma once

#include <string>
#include <string_view>

#include "core/GameState.h"
#include "core/KeyValue.h"
#include "core/LevelGrid.h"
#include "core/Random.h"
#include "core/Tiles.h"
#include "platform/Platform.h"

namespace dw {

class Game;

// Watches a running game: the headless runner writes its trace from here.
class GameObserver {
 public:
  virtual ~GameObserver() = default;
  // A new level has been generated and the hero placed.
  virtual void onLevel(const Game&) {}
  // One play-loop command has been carried out (or abandoned, for "~" and
  // the stairs).
  virtual void onCycle(const Game&) {}
  // Just before a key is read in the play loop.
  virtual void onKeyRead(const Game&) {}
  // A message of this turn is about to leave the message line: a later
  // message of the same turn takes its place. The line still holds it.
  virtual void onMessageReplaced(const Game&, std::string_view /*earlier*/) {}
};

// Why the game stopped.
enum class EndReason { running, quit, inputClosed };

// The one game context: the state, the level, the tables and the generator,
// with the platform they run on. Passed by reference to every rule.
class Game final : private MessageWatch {
 public:
  // The message line gets room for the longest messages of the shipped data
  // up front, so that a cycle never has to grow it in play. The game hears
  // of every message a later one replaces, and tells its observer.
  explicit Game(Platform& p) : platform(p), screen(p.screen()) {
    state.messageLine.reserve(messageRoom);
    state.messageLine.setWatch(this);
  }
  static constexpr std::size_t messageRoom = 256;
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  Platform& platform;
  Screen& screen;
  GameState state;
  LevelGrid grid;
  CellClassTable classes;
  KeyValueTable shopTable, partyTable, spellTable, compassTable;
  Random random;
  TileSet tiles;
  GameObserver* observer = nullptr;

  EndReason endReason = EndReason::running;
  int exitCode = 0;

  bool running() const { return endReason == EndReason::running; }
  // The game path of a data file, e.g. "res\party.dat".
  void loadTable(const std::string& gamePath, KeyValueTable& table) {
    if (auto bytes = platform.readFile(gamePath)) appendKeyValueText(*bytes, table, true);
  }

  CellInfo classify(long long row, long long col) const {
    return classifyCell(grid, classes, row, col);
  }

 private:
  void messageReplaced(std::string_view earlier) override {
    if (observer) observer->onMessageReplaced(*this, earlier);
  }
};

}  // namespace dw
