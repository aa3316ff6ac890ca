#include "platform/CappedRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace dw {

std::string tooLongText(const std::string& path, const std::string& what, std::size_t cap) {
  std::string size = cap % (1024 * 1024) == 0 ? std::to_string(cap >> 20) + " MiB"
                                              : std::to_string(cap) + " bytes";
  return path + " is longer than " + what + " can be (" + size + ")";
}

std::optional<std::string> readCappedFile(const std::string& path, std::size_t cap,
                                          const std::string& what, std::string& error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    error = path + " is a folder, not a file";
    return std::nullopt;
  }
  if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > cap) {
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
      error = "cannot read " + path + ": " + std::strerror(errno);
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
