#include "platform/SafeWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/CappedRead.h"

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

bool inGroup(gid_t group) {
  if (::getegid() == group) return true;
  int count = ::getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  count = ::getgroups(count, groups.data());
  for (int i = 0; i < count; ++i) {
    if (groups[static_cast<std::size_t>(i)] == group) return true;
  }
  return false;
}

// Whether the file's permission bits let this process write it. The bits
// of its owner stand for the administrator too, whom the system lets write
// anything: a file made read-only stays so for everyone.
bool modeLetsWrite(const struct stat& info) {
  uid_t user = ::geteuid();
  if (user == 0 || user == info.st_uid) return (info.st_mode & S_IWUSR) != 0;
  if (inGroup(info.st_gid)) return (info.st_mode & S_IWGRP) != 0;
  return (info.st_mode & S_IWOTH) != 0;
}

std::string modeText(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

// Syncs a folder, so that the names in it are on the disk. Only a failing
// disk counts: some file systems cannot sync a folder at all.
int syncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  int error = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return error == EIO ? error : 0;
}

}  // namespace

std::string writeErrorText(int error) {
  if (error == EFBIG) return "the file-size limit is reached (ulimit -f)";
  return std::strerror(error);
}

SafeFile::~SafeFile() {
  abandon();
}

bool SafeFile::open(const std::string& path, WriteKind kind) {
  abandon();
  failed_ = false;
  reason_.clear();
  kind_ = kind;
  target_ = path;
  if (refused(path)) return false;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    // A device, a FIFO, a terminal the player named: written as it is,
    // never replaced.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) fail(errno);
    return fd_ >= 0;
  }
  target_ = followLinks(path);
  if (target_.empty()) {
    fail(ELOOP);
    return false;
  }
  return openTemporary();
}

// True, with the reason, when the target must be left as it is: a folder,
// a file found that is no regular file, a file that cannot be read or that
// its permissions keep from being written.
bool SafeFile::refused(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;  // a new file
  const std::string kept = ", so it is left as it was";
  if (S_ISDIR(info.st_mode)) {
    fail(std::string("it is a folder"));
  } else if (!S_ISREG(info.st_mode)) {
    if (kind_ == WriteKind::output) return false;
    fail("it is " + std::string(fileKindName(info.st_mode)) + ", not a file" + kept);
  } else if (int probe = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
             probe < 0) {
    fail("it cannot be read (" + std::string(std::strerror(errno)) + ")" + kept);
  } else {
    ::close(probe);
    if (!modeLetsWrite(info)) fail("it is read-only (mode " + modeText(info.st_mode) + ")" + kept);
  }
  return failed_;
}

bool SafeFile::openTemporary() {
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
  struct stat info {};
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
  const bool replacing = !temporary_.empty();
  // Devices and pipes cannot be synced; a file is, before it replaces one,
  // unless the game can make it again.
  if (replacing && kind_ != WriteKind::cache && ::fsync(fd_) != 0) fail(errno);
  // Closed before the rename: some systems cannot rename a file still open.
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && !failed_) fail(errno);
  const bool player = replacing && kind_ == WriteKind::playerFile;
  if (!failed_ && player) {
    if (int error = syncFolder(folderOf(target_)); error != 0) fail(error);
  }
  if (!failed_ && replacing && ::rename(temporary_.c_str(), target_.c_str()) != 0) fail(errno);
  if (failed_) {
    abandon();
    return false;
  }
  temporary_.clear();
  // The new name on the disk too; the file is in place whatever comes of it.
  if (player) (void)syncFolder(folderOf(target_));
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

std::string writeWholeFile(const std::string& path, std::string_view bytes, WriteKind kind) {
  SafeFile file;
  if (file.open(path, kind) && file.write(bytes) && file.commit()) return {};
  return file.reason();
}

}  // namespace dw
