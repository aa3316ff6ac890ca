#include "platform/CappedRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "platform/VisibleText.h"

namespace dw {

namespace {

std::string cannotRead(const std::string& path, int error) {
  return "cannot read " + visibleText(path) + ": " + std::strerror(error);
}

#ifdef _WIN32
// Windows has no sockets or FIFOs among a folder's names.
bool isSocket(unsigned) {
  return false;
}
bool isFifo(unsigned mode) {
  return (mode & S_IFMT) == _S_IFIFO;
}
#else
bool isSocket(unsigned mode) {
  return S_ISSOCK(mode);
}
bool isFifo(unsigned mode) {
  return S_ISFIFO(mode);
}
#endif

// The path as the system calls take it: UTF-8 here, wide on Windows.
std::filesystem::path systemPath(const std::string& path) {
  return std::filesystem::path(
      std::u8string_view(reinterpret_cast<const char8_t*>(path.data()), path.size()));
}

}  // namespace

bool FileFacts::regular() const {
  return (mode & S_IFMT) == S_IFREG;
}

bool FileFacts::folder() const {
  return (mode & S_IFMT) == S_IFDIR;
}

#ifdef _WIN32

int openPath(const std::string& path, int flags, bool, int mode) {
  return ::_wopen(systemPath(path).c_str(), flags | O_BINARY | O_NOINHERIT, mode);
}

std::optional<FileFacts> factsOf(const std::string& path) {
  struct _stat64 info {};
  if (::_wstat64(systemPath(path).c_str(), &info) != 0) return std::nullopt;
  return FileFacts{info.st_mode, static_cast<std::uint64_t>(info.st_size), 0, 0};
}

std::optional<FileFacts> factsOf(int fd) {
  struct _stat64 info {};
  if (::_fstat64(fd, &info) != 0) return std::nullopt;
  return FileFacts{info.st_mode, static_cast<std::uint64_t>(info.st_size), 0, 0};
}

#else

int openPath(const std::string& path, int flags, bool waitless, int mode) {
  flags |= O_CLOEXEC | O_NOCTTY | (waitless ? O_NONBLOCK : 0);
  int fd = ::open(systemPath(path).c_str(), flags, mode);
  // A regular file never blocks a read; the flag is dropped all the same so
  // the descriptor reads as any other.
  if (fd >= 0 && waitless) {
    int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) (void)::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  }
  return fd;
}

std::optional<FileFacts> factsOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileFacts{info.st_mode, static_cast<std::uint64_t>(info.st_size), info.st_uid,
                   info.st_gid};
}

std::optional<FileFacts> factsOf(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return std::nullopt;
  return FileFacts{info.st_mode, static_cast<std::uint64_t>(info.st_size), info.st_uid,
                   info.st_gid};
}

#endif

const char* fileKindName(unsigned mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (isFifo(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (isSocket(mode)) return "a socket";
  return S_ISREG(mode) ? "a file" : "no regular file";
}

std::string tooLongText(const std::string& path, const std::string& what, std::size_t cap) {
  std::string size = cap % (1024 * 1024) == 0 ? std::to_string(cap >> 20) + " MiB"
                                              : std::to_string(cap) + " bytes";
  return visibleText(path) + " is longer than " + what + " can be (" + size + ")";
}

int openToRead(const std::string& path, FileOrigin origin, std::string& error, bool* missing) {
  if (missing != nullptr) *missing = false;
  int fd = openPath(path, O_RDONLY, origin == FileOrigin::found);
  if (fd < 0) {
    if (missing != nullptr) *missing = errno == ENOENT || errno == ENOTDIR;
    error = cannotRead(path, errno);
    return -1;
  }
  auto info = factsOf(fd);
  if (!info) {
    error = cannotRead(path, errno);
    ::close(fd);
    return -1;
  }
  bool refused = origin == FileOrigin::found ? !info->regular() : info->folder();
  if (refused) {
    error = visibleText(path) + " is " + fileKindName(info->mode) + ", not a file";
    ::close(fd);
    return -1;
  }
  return fd;
}

std::optional<std::string> readCappedFile(const std::string& path, std::size_t cap,
                                          const std::string& what, std::string& error,
                                          FileOrigin origin, bool* missing) {
  int fd = openToRead(path, origin, error, missing);
  if (fd < 0) return std::nullopt;
  if (auto info = factsOf(fd); info && info->regular() && info->size > cap) {
    ::close(fd);
    error = tooLongText(path, what, cap);
    return std::nullopt;
  }
  std::string data;
  char buffer[65536];
  // One byte past the cap tells a longer stream (a pipe, a device) apart.
  while (data.size() <= cap) {
    auto n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = cannotRead(path, errno);
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (data.size() > cap) {
    error = tooLongText(path, what, cap);
    return std::nullopt;
  }
  return data;
}

}  // namespace dw
