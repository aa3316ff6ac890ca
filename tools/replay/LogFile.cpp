#include "LogFile.h"

namespace dw {

void ObserverPair::onLevel(const Game& game) {
  if (first_) first_->onLevel(game);
  second_->onLevel(game);
}
void ObserverPair::onCycle(const Game& game) {
  if (first_) first_->onCycle(game);
  second_->onCycle(game);
}
void ObserverPair::onKeyRead(const Game& game) {
  if (first_) first_->onKeyRead(game);
  second_->onKeyRead(game);
}
void ObserverPair::onMessageReplaced(const Game& game, std::string_view earlier) {
  if (first_) first_->onMessageReplaced(game, earlier);
  second_->onMessageReplaced(game, earlier);
}

LogFile::LogFile(std::string path) : path_(std::move(path)) {
  if (!file_.open(path_)) error_ = "cannot write log " + path_ + ": " + file_.reason();
}

GameObserver& LogFile::observer(GameObserver* other) {
  log_.setSink(this);
  pair_ = ObserverPair(other, log_);
  return pair_;
}

void LogFile::take(const LogEntry& entry) {
  if (!error_.empty()) return;
  std::string line = lineOf(entry);
  line += '\n';
  if (!file_.write(line)) error_ = "cannot write log " + path_ + ": " + file_.reason();
}

bool LogFile::finish() {
  if (!error_.empty()) return false;
  if (!file_.commit()) {
    error_ = "cannot write log " + path_ + ": " + file_.reason();
    return false;
  }
  return true;
}

}  // namespace dw
