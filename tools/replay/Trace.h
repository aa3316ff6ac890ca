#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Game.h"

namespace dw {

// One line of a trace: "level", "cycle" or "end", as JSON.
std::string traceLine(const Game& game, const std::string& event, const std::string* key);
std::string endLine(const std::string& reason);

// Writes the trace of a game as JSON Lines, one line per level and per
// command, and keeps the lines for a comparison afterwards.
class TraceRecorder : public GameObserver {
 public:
  void onLevel(const Game& game) override;
  void onCycle(const Game& game) override;
  void finish(const Game& game);
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

// A flat view of a trace line: field name (with an index for arrays, e.g.
// "memberStats[2][4]" or "glyphGrid[7]") to its JSON text.
std::optional<std::map<std::string, std::string>> flattenTraceLine(const std::string& line);

// Compares a replayed trace with a golden one. Empty when they agree, else a
// report of the first line that differs.
std::string compareTraces(const std::vector<std::string>& golden,
                          const std::vector<std::string>& replayed);

}  // namespace dw
