#include "runs/Checkpoint.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runs/RunFiles.h"

namespace dw {

bool writeCheckpointFile(const std::string& path, std::string_view bytes, std::string& error) {
  std::string temp = path + ".XXXXXX";
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    error = "cannot write beside " + path + ": " + std::strerror(errno);
    return false;
  }
  bool ok = ::fchmod(fd, 0644) == 0;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    ok = put > 0;
    if (ok) done += static_cast<std::size_t>(put);
  }
  ok = ::close(fd) == 0 && ok && ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    ::unlink(temp.c_str());
  }
  return ok;
}

void CheckpointTaker::onKeyRead(const Game& game) {
  if (next_) next_->onKeyRead(game);
  const RecordingWriter* writer = recorder_.writer();
  if (!writer || !writer->recording() || game.state.levelNumber <= 0) return;
  const RecordingPoint& point = writer->point();
  if (point.keys < lastKeys_ + every_) return;
  lastKeys_ = point.keys;
  auto bytes = checkedCheckpoint(game, {point, fingerprint_});
  if (!bytes) {
    error_ = "a checkpoint did not restore to the same game";
    return;
  }
  error_.clear();
  writeCheckpointFile(checkpointPathOf(recorder_.path()).string(), *bytes, error_);
}

}  // namespace dw
