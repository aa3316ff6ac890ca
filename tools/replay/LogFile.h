#pragma once

#include <cstdio>
#include <string>

#include "core/Game.h"
#include "platform/SafeWrite.h"
#include "shell/MessageLog.h"

namespace dw {

// Hands every event of a game to two observers, the first first.
class ObserverPair : public GameObserver {
 public:
  ObserverPair(GameObserver* first, GameObserver& second) : first_(first), second_(&second) {}
  void onLevel(const Game& game) override;
  void onCycle(const Game& game) override;
  void onKeyRead(const Game& game) override;
  void onMessageReplaced(const Game& game, std::string_view earlier) override;

 private:
  GameObserver* first_;
  GameObserver* second_;
};

// The whole message log of a replayed game as a file: one entry a line
// ("L4 T17 [Key +1]", UTF-8), in the log panel's order, with no cap on its
// length. The lines go to a temporary file beside the path as they come, and
// the file takes the path's name only once all of it is written; a run that
// fails leaves the path as it was.
class LogFile : public LogSink {
 public:
  explicit LogFile(std::string path);
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Why the file cannot be written, or empty.
  const std::string& error() const { return error_; }
  // The observer a game gets: `other` (may be null), then the log.
  GameObserver& observer(GameObserver* other);
  // Writes out the rest and gives the file its name; false, with error(),
  // when any of it failed.
  bool finish();

  void take(const LogEntry& entry) override;

 private:
  std::string path_, error_;
  SafeFile file_;
  MessageLog log_;
  ObserverPair pair_{nullptr, log_};
};

}  // namespace dw
