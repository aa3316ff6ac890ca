#include "platform/CappedRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/VisibleText.h"

namespace dw {

namespace {

std::string cannotRead(const std::string& path, int error) {
  return "cannot read " + visibleText(path) + ": " + std::strerror(error);
}

}  // namespace

const char* fileKindName(unsigned mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return S_ISREG(mode) ? "a file" : "no regular file";
}

std::string tooLongText(const std::string& path, const std::string& what, std::size_t cap) {
  std::string size = cap % (1024 * 1024) == 0 ? std::to_string(cap >> 20) + " MiB"
                                              : std::to_string(cap) + " bytes";
  return visibleText(path) + " is longer than " + what + " can be (" + size + ")";
}

int openToRead(const std::string& path, FileOrigin origin, std::string& error, bool* missing) {
  if (missing != nullptr) *missing = false;
  int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | (origin == FileOrigin::found ? O_NONBLOCK : 0);
  int fd = ::open(path.c_str(), flags);
  if (fd < 0) {
    if (missing != nullptr) *missing = errno == ENOENT || errno == ENOTDIR;
    error = cannotRead(path, errno);
    return -1;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    error = cannotRead(path, errno);
    ::close(fd);
    return -1;
  }
  bool refused = origin == FileOrigin::found ? !S_ISREG(info.st_mode) : S_ISDIR(info.st_mode);
  if (refused) {
    error = visibleText(path) + " is " + fileKindName(info.st_mode) + ", not a file";
    ::close(fd);
    return -1;
  }
  // A regular file never blocks a read; the flag is dropped all the same so
  // the descriptor reads as any other.
  if (origin == FileOrigin::found) {
    int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) (void)::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  }
  return fd;
}

std::optional<std::string> readCappedFile(const std::string& path, std::size_t cap,
                                          const std::string& what, std::string& error,
                                          FileOrigin origin, bool* missing) {
  int fd = openToRead(path, origin, error, missing);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<std::uint64_t>(info.st_size) > cap) {
    ::close(fd);
    error = tooLongText(path, what, cap);
    return std::nullopt;
  }
  std::string data;
  char buffer[65536];
  // One byte past the cap tells a longer stream (a pipe, a device) apart.
  while (data.size() <= cap) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
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
