#include "LogFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

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
  // A file size limit then fails a write, said as such, instead of ending
  // the run.
  std::signal(SIGXFSZ, SIG_IGN);
  std::string pattern = path_ + ".XXXXXX";
  int fd = mkstemp(pattern.data());
  if (fd < 0) {
    failed("cannot write log " + path_, errno);
    return;
  }
  temporary_ = pattern;
  // mkstemp makes the file for its owner alone; the log is an ordinary file.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  if (!(file_ = fdopen(fd, "wb"))) {
    failed("cannot write log " + path_, errno);
    close(fd);
  }
}

LogFile::~LogFile() {
  if (file_) std::fclose(file_);
  if (!temporary_.empty()) std::remove(temporary_.c_str());
}

GameObserver& LogFile::observer(GameObserver* other) {
  log_.setSink(this);
  pair_ = ObserverPair(other, log_);
  return pair_;
}

void LogFile::failed(const std::string& what, int number) {
  if (error_.empty()) error_ = what + ": " + std::strerror(number);
}

void LogFile::take(const LogEntry& entry) {
  if (!file_ || !error_.empty()) return;
  std::string line = lineOf(entry);
  line += '\n';
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size())
    failed("cannot write log " + path_, errno);
}

bool LogFile::finish() {
  if (!file_) return false;
  if (std::fflush(file_) != 0 || fsync(fileno(file_)) != 0)
    failed("cannot write log " + path_, errno);
  if (std::fclose(file_) != 0) failed("cannot write log " + path_, errno);
  file_ = nullptr;
  if (!error_.empty()) return false;
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    failed("cannot write log " + path_, errno);
    return false;
  }
  temporary_.clear();
  return true;
}

}  // namespace dw
