#include "platform/SafeWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace dw {

namespace {

// A path's folder ("." for a bare name) and its last name.
std::string folderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string leafOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links ends at, whether it is there or not
// (a link to a file not made yet names where it will be). Empty when the
// chain is too long to follow.
std::string followLinks(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
    ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return path;
    target.resize(static_cast<std::size_t>(n));
    path = (!target.empty() && target[0] == '/') ? target : folderOf(path) + "/" + target;
  }
  return {};
}

}  // namespace

std::string writeErrorText(int error) {
  if (error == EFBIG) return "the file-size limit is reached (ulimit -f)";
  return std::strerror(error);
}

SafeFile::~SafeFile() {
  abandon();
}

bool SafeFile::open(const std::string& path) {
  abandon();
  failed_ = false;
  reason_.clear();
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    if (S_ISDIR(info.st_mode)) {
      fail(std::string("it is a folder"));
      return false;
    }
    // A device, a FIFO, a terminal: written as it is, never replaced.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) fail(errno);
    target_ = path;
    return fd_ >= 0;
  }
  target_ = followLinks(path);
  if (target_.empty()) {
    fail(ELOOP);
    return false;
  }
  const std::string base = folderOf(target_) + "/." + leafOf(target_) + ".";
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temporary_ = base + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".part";
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    temporary_.clear();
    fail(errno);
    return false;
  }
  // A file written over keeps its permissions.
  if (::stat(target_.c_str(), &info) == 0) (void)::fchmod(fd_, info.st_mode & 07777);
  return true;
}

bool SafeFile::write(std::string_view bytes) {
  if (failed_ || fd_ < 0) return false;
  while (!bytes.empty()) {
    ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A write that takes nothing has met the end of the room there is.
      fail(n < 0 ? errno : ENOSPC);
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool SafeFile::commit() {
  if (fd_ < 0 && !failed_) fail(EBADF);
  if (failed_) {
    abandon();
    return false;
  }
  // Devices and pipes cannot be synced; a file is, before it replaces one.
  if (!temporary_.empty() && ::fsync(fd_) != 0) fail(errno);
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && !failed_) fail(errno);
  if (!failed_ && !temporary_.empty() && ::rename(temporary_.c_str(), target_.c_str()) != 0)
    fail(errno);
  if (failed_) {
    abandon();
    return false;
  }
  temporary_.clear();
  return true;
}

void SafeFile::abandon() {
  closeFd();
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

void SafeFile::closeFd() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void SafeFile::fail(int error) {
  fail(writeErrorText(error));
}

void SafeFile::fail(std::string why) {
  if (!failed_) reason_ = std::move(why);
  failed_ = true;
}

std::string writeWholeFile(const std::string& path, std::string_view bytes) {
  SafeFile file;
  if (file.open(path) && file.write(bytes) && file.commit()) return {};
  return file.reason();
}

}  // namespace dw
