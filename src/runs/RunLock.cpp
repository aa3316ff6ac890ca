#include "runs/RunLock.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string_view>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

#include "platform/WindowsApi.h"
#include "runs/RunFiles.h"

namespace dw {

namespace fs = std::filesystem;

namespace {

// The lock itself, and the process it names in the first bytes of the lock
// file, are all that differ between the systems.
enum class Hold { taken, held, none };

#ifdef _WIN32

// A lock on Windows keeps every other handle from the bytes it covers, so it
// covers one byte far past the process named at the start of the file,
// where a file never reaches. The system lets go of it when its process ends.
constexpr DWORD lockOffsetHigh = 1;

HANDLE handleOf(int fd) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

int openLockFile(const fs::path& path, bool create) {
  const int flags = create ? (_O_RDWR | _O_CREAT) : _O_RDONLY;
  return ::_wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

Hold lockFile(int fd, bool exclusive) {
  OVERLAPPED where{};
  where.OffsetHigh = lockOffsetHigh;
  DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  if (::LockFileEx(handleOf(fd), flags, 0, 1, 0, &where)) return Hold::taken;
  DWORD error = ::GetLastError();
  return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? Hold::held : Hold::none;
}

void unlockFile(int fd) {
  OVERLAPPED where{};
  where.OffsetHigh = lockOffsetHigh;
  ::UnlockFileEx(handleOf(fd), 0, 1, 0, &where);
}

void closeLockFile(int fd) {
  ::_close(fd);
}

long readAt0(int fd, char* text, unsigned size) {
  if (::_lseeki64(fd, 0, SEEK_SET) != 0) return -1;
  return ::_read(fd, text, size);
}

void writeAt0(int fd, const std::string& text) {
  if (::_chsize_s(fd, 0) != 0 || ::_lseeki64(fd, 0, SEEK_SET) != 0) return;
  (void)::_write(fd, text.data(), static_cast<unsigned>(text.size()));
}

long ownProcess() {
  return static_cast<long>(::GetCurrentProcessId());
}

bool processGone(long pid) {
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return ::GetLastError() == ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  bool gone = ::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
  ::CloseHandle(process);
  return gone;
}

#else

int openLockFile(const fs::path& path, bool create) {
  const int flags = create ? (O_RDWR | O_CREAT) : (O_RDONLY | O_NONBLOCK);
  return ::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0644);
}

Hold lockFile(int fd, bool exclusive) {
  if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return Hold::taken;
  return errno == EWOULDBLOCK ? Hold::held : Hold::none;
}

void unlockFile(int fd) {
  ::flock(fd, LOCK_UN);
}

void closeLockFile(int fd) {
  ::close(fd);
}

long readAt0(int fd, char* text, unsigned size) {
  return static_cast<long>(::pread(fd, text, size, 0));
}

void writeAt0(int fd, const std::string& text) {
  if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, text.data(), text.size(), 0);
}

long ownProcess() {
  return static_cast<long>(::getpid());
}

bool processGone(long pid) {
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

#endif

// The process a lock file names; 0 when it names none.
long namedProcess(int fd) {
  char text[24] = {};
  long got = readAt0(fd, text, sizeof text - 1);
  if (got <= 0) return 0;
  char* end = nullptr;
  long pid = std::strtol(text, &end, 10);
  return pid > 0 && end != text ? pid : 0;
}

}  // namespace

RunLock::~RunLock() {
  if (fd_ >= 0) closeLockFile(fd_);
}

std::unique_ptr<RunLock> RunLock::take(const fs::path& recording, std::string& error) {
  int fd = openLockFile(lockPathOf(recording), true);
  // A folder that takes no lock file cannot be shared by two games either:
  // the run is played unheld.
  if (fd < 0) return unheld();
  Hold hold = lockFile(fd, true);
  if (hold != Hold::taken) {
    long holder = hold == Hold::held ? namedProcess(fd) : 0;
    closeLockFile(fd);
    // A file system without locks: played unheld, as above.
    if (hold == Hold::none) return unheld();
    error = "that run is being played (process " + std::to_string(holder) + ")";
    return nullptr;
  }
  writeAt0(fd, std::to_string(ownProcess()) + "\n");
  return std::unique_ptr<RunLock>(new RunLock(fd));
}

std::optional<long> runHolder(const fs::path& recording) {
  int fd = openLockFile(lockPathOf(recording), false);
  if (fd < 0) return std::nullopt;
  std::optional<long> holder;
  Hold hold = lockFile(fd, false);
  if (hold == Hold::held) holder = namedProcess(fd);
  if (hold == Hold::taken) unlockFile(fd);
  closeLockFile(fd);
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

}  // namespace dw
