#include "support/Invariants.h"

#include <algorithm>

namespace dw::test {

namespace {

constexpr std::size_t keptFailures = 20;

std::string keyText(const std::string& key) {
  if (key.size() == 1 && key[0] >= 32 && key[0] < 127) return "'" + key + "'";
  std::string text = "code";
  for (char c : key) text += " " + std::to_string(static_cast<unsigned char>(c));
  return text;
}

}  // namespace

void InvariantChecker::fail(const Game& game, const char* when, const std::string& what) {
  ++failureCount_;
  if (failures_.size() >= keptFailures) return;
  const GameState& s = game.state;
  std::string where = std::string(when) + ", seed " + std::to_string(s.seed) + ", level " +
                      std::to_string(s.levelNumber) + ", key " + keyText(s.lastKey) + ", hero (" +
                      std::to_string(s.heroRow) + "," + std::to_string(s.heroCol) + "), member " +
                      std::to_string(s.currentMember);
  std::string message = what + " [" + where + "]";
  // One report per kind of fault is enough to find it.
  for (const auto& f : failures_) {
    if (f.compare(0, what.size(), what) == 0) return;
  }
  failures_.push_back(std::move(message));
}

void InvariantChecker::noteSeenCells(const Game& game) {
  for (int row = 0; row < gridRows; ++row) {
    for (int col = 0; col < gridCols; ++col) {
      if (game.grid.seen[row][col] != 0 && !everSeen_[row][col]) {
        everSeen_[row][col] = true;
        ++everSeenCount_;
      }
    }
  }
}

void InvariantChecker::checkCommon(const Game& game, const char* when) {
  const GameState& s = game.state;
  if (s.heroRow < firstRow || s.heroRow > lastRow || s.heroCol < firstCol || s.heroCol > lastCol) {
    fail(game, when, "hero outside the generated area");
  }
  if (s.currentMember < 1 || s.currentMember > std::min(s.partySize, maxMembers)) {
    fail(game, when, "current member " + std::to_string(s.currentMember) + " out of the party");
  }
  int stairs = 0;
  for (int row = 0; row < gridRows; ++row) {
    for (int col = 0; col < gridCols; ++col) {
      if (game.grid.seen[row][col] > 2) {
        fail(game, when,
             "seen mark " + std::to_string(game.grid.seen[row][col]) + " at (" +
                 std::to_string(row) + "," + std::to_string(col) + ")");
      }
      // A glyph is one byte, so 0..255 holds by its type; what can go wrong
      // is the count of stairs.
      if (game.grid.glyphs[row][col] == glyph::stairs) ++stairs;
    }
  }
  if (stairs != 1) fail(game, when, std::to_string(stairs) + " stairs cells on the level");
  noteSeenCells(game);
  if (s.exploredCells > everSeenCount_ || s.exploredCells < 0) {
    fail(game, when,
         "exploredCells " + std::to_string(s.exploredCells) + " but " +
             std::to_string(everSeenCount_) + " cells ever seen");
  }
  if (s.exploredCells > s.openCells) {
    fail(game, when,
         "exploredCells " + std::to_string(s.exploredCells) + " above openCells " +
             std::to_string(s.openCells));
  }
}

void InvariantChecker::checkStatistics(const Game& game, const char* when) {
  const GameState& s = game.state;
  if (s.currentMember < 1 || s.currentMember > maxMembers) return;
  for (int st = 1; st <= statCount; ++st) {
    const std::int32_t value = s.memberStats[s.currentMember][st];
    const std::int32_t maximum = s.memberStatMax[s.currentMember][st];
    if (maximum >= 0 && (value < 0 || value > maximum)) {
      fail(game, when,
           "statistic " + std::to_string(st) + " is " + std::to_string(value) + ", outside 0.." +
               std::to_string(maximum));
    }
  }
}

void InvariantChecker::countLosses(const Game& game) {
  const GameState& s = game.state;
  for (int m = 1; m <= maxMembers; ++m) {
    const bool alive = s.memberStats[m][stat::hp] > 0;
    if (wasAlive_[m] && !alive) ++membersLost_;
    wasAlive_[m] = alive;
  }
}

void InvariantChecker::onLevel(const Game& game) {
  ++levels_;
  for (auto& row : everSeen_) row.fill(false);
  everSeenCount_ = 0;
  checkCommon(game, "level start");
  countLosses(game);
}

void InvariantChecker::onKeyRead(const Game& game) {
  ++keysRead_;
  checkCommon(game, "key read");
  // The status display clamps the current member just before the key read.
  checkStatistics(game, "key read");
  if (!game.state.messageLine.empty()) {
    fail(game, "key read", "message line not empty: " + game.state.messageLine);
  }
}

void InvariantChecker::onCycle(const Game& game) {
  ++cycles_;
  const GameState& s = game.state;
  const bool restart = s.lastKey == "~";
  if (restart) ++newGames_;
  checkCommon(game, "after a command");
  // "~" and the stairs leave the cycle before its clamp; a new game reloads
  // the maxima, so only a finished cycle is held to them.
  const bool alive = s.currentMember >= 1 && s.currentMember <= maxMembers &&
                     s.memberStats[s.currentMember][stat::hp] > 0;
  const bool stairs =
      s.lastKey == " " && alive && game.grid.glyphAt(s.heroRow, s.heroCol) == glyph::stairs;
  if (!restart && !stairs) checkStatistics(game, "after a command");
  countLosses(game);
}

}  // namespace dw::test
