#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace dw {

// One run, one game at a time. A game holds the run it plays by an advisory
// lock on the run's lock file, "NAME.dwlock" beside "NAME.dwrec", which
// names the process holding it. The system lets go of the lock when that
// process ends, however it ends, so a run is never left held by a game that
// is gone. A held run is passed over where the newest run is looked for, and
// refused when it is named.
class RunLock {
 public:
  ~RunLock();
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  // Takes the run recorded at `recording`; nothing, with why in error
  // ("that run is being played (process 4242)"), when another game holds
  // it.
  static std::unique_ptr<RunLock> take(const std::filesystem::path& recording, std::string& error);
  // No hold at all: a run that is not the game's own, or a folder that keeps
  // no locks.
  static std::unique_ptr<RunLock> unheld() { return std::unique_ptr<RunLock>(new RunLock(-1)); }

 private:
  explicit RunLock(int fd) : fd_(fd) {}
  int fd_;
};

// The process that holds the run recorded at `recording`; nothing when no
// live game does.
std::optional<long> runHolder(const std::filesystem::path& recording);

// Removes what killed games left in `folder`: the temporary files a
// recording, a checkpoint or a summary was being written to
// (".NAME.dwrec.<process>-<n>.part", ...), when no live game holds NAME and
// the process that wrote one is gone. Returns how many were removed.
std::size_t removeLeftovers(const std::filesystem::path& folder);

}  // namespace dw
