#include "runs/RunLock.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string_view>

#include "runs/RunFiles.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace dw {

namespace fs = std::filesystem;

#ifdef _WIN32

// Windows keeps no advisory locks here: every run counts as free.
RunLock::~RunLock() = default;
std::unique_ptr<RunLock> RunLock::take(const fs::path&, std::string&) {
  return unheld();
}
std::optional<long> runHolder(const fs::path&) {
  return std::nullopt;
}
std::size_t removeLeftovers(const fs::path&) {
  return 0;
}

#else

namespace {

// The process a lock file names; 0 when it names none.
long namedProcess(int fd) {
  char text[24] = {};
  ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
  if (got <= 0) return 0;
  char* end = nullptr;
  long pid = std::strtol(text, &end, 10);
  return pid > 0 && end != text ? pid : 0;
}

void nameProcess(int fd) {
  std::string text = std::to_string(static_cast<long>(::getpid())) + "\n";
  if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, text.data(), text.size(), 0);
}

}  // namespace

RunLock::~RunLock() {
  if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<RunLock> RunLock::take(const fs::path& recording, std::string& error) {
  const std::string path = lockPathOf(recording).string();
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0644);
  // A folder that takes no lock file cannot be shared by two games either:
  // the run is played unheld.
  if (fd < 0) return unheld();
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    long holder = held ? namedProcess(fd) : 0;
    ::close(fd);
    // A file system without locks: played unheld, as above.
    if (!held) return unheld();
    error = "that run is being played (process " + std::to_string(holder) + ")";
    return nullptr;
  }
  nameProcess(fd);
  return std::unique_ptr<RunLock>(new RunLock(fd));
}

std::optional<long> runHolder(const fs::path& recording) {
  const std::string path = lockPathOf(recording).string();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::optional<long> holder;
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) holder = namedProcess(fd);
  ::close(fd);
  return holder;
}

namespace {

// The run and the writing process of a temporary file of the game's
// (".NAME.dwrec.4242-0.part" gives NAME.dwrec and 4242); nothing for any
// other name.
std::optional<std::pair<std::string, long> > leftoverOf(const std::string& name) {
  constexpr std::string_view tail = ".part";
  if (name.size() < 3 || name[0] != '.' || !name.ends_with(tail)) return std::nullopt;
  std::string_view rest(name);
  rest.remove_prefix(1);
  rest.remove_suffix(tail.size());
  std::size_t dot = rest.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  std::string_view writer = rest.substr(dot + 1);
  std::string target(rest.substr(0, dot));
  std::size_t dash = writer.find('-');
  long pid = 0;
  for (char c : writer.substr(0, dash)) {
    if (c < '0' || c > '9' || pid > 99999999) return std::nullopt;
    pid = pid * 10 + (c - '0');
  }
  fs::path kept(target);
  bool ours = kept.extension() == recordingExtension ||
              std::find(sidecarExtensions.begin(), sidecarExtensions.end(), kept.extension()) !=
                  sidecarExtensions.end();
  if (!ours || pid <= 0 || !isGameRecordingName(kept.stem().string() + ".dwrec"))
    return std::nullopt;
  return std::make_pair(target, pid);
}

bool processGone(long pid) {
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

std::size_t removeLeftovers(const fs::path& folder) {
  std::error_code error;
  std::size_t removed = 0;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    auto leftover = leftoverOf(entry.path().filename().string());
    if (!leftover || !entry.is_regular_file(error)) continue;
    fs::path run = folder / fs::path(leftover->first).replace_extension(recordingExtension);
    if (runHolder(run) || !processGone(leftover->second)) continue;
    if (fs::remove(entry.path(), error)) ++removed;
  }
  return removed;
}

#endif

}  // namespace dw
