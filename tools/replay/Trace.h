#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Game.h"
#include "platform/SafeWrite.h"

namespace dw {

// One line of a trace: "level", "cycle" or "end", as JSON. appendTraceLine
// adds the line (without its newline) to the end of out.
void appendTraceLine(std::string& out, const Game& game, std::string_view event,
                     const std::string* key);
std::string traceLine(const Game& game, const std::string& event, const std::string* key);
std::string endLine(const std::string& reason);

// The trace of a game as JSON Lines, one line per level and per command. By
// default it keeps the lines for a comparison afterwards; given a file, it
// writes them there in large blocks as they are made (all of them by the
// end of finish), and keeps them only when asked.
class TraceRecorder : public GameObserver {
 public:
  TraceRecorder() = default;
  explicit TraceRecorder(std::FILE* sink, bool keepLines = false);
  // Writes into a file that replaces its target only when it is complete.
  explicit TraceRecorder(SafeFile* sink, bool keepLines = false);
  TraceRecorder(const TraceRecorder&) = delete;
  TraceRecorder& operator=(const TraceRecorder&) = delete;

  void onLevel(const Game& game) override;
  void onCycle(const Game& game) override;
  void finish(const Game& game);
  const std::vector<std::string>& lines() const { return lines_; }
  // A line could not be written whole to the file.
  bool writeFailed() const { return writeFailed_; }

 private:
  static constexpr std::size_t writeChunk = 64 * 1024;

  void record(const Game& game, std::string_view event, const std::string* key);
  void lineDone(std::size_t start, std::size_t end);
  // Writes out the lines made so far.
  void flush();

  std::FILE* sink_ = nullptr;
  SafeFile* safeSink_ = nullptr;
  bool keep_ = true;
  bool writeFailed_ = false;
  // Lines not yet written, up to pendingEnd_; the room past it is kept.
  std::string pending_;
  std::size_t pendingEnd_ = 0;
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
