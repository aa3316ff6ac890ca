#include "platform/SafeWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
#endif

#include "platform/CappedRead.h"
#include "platform/WindowsApi.h"

namespace dw {

namespace {

#ifdef _WIN32
constexpr const char* separators = "/\\";
#else
constexpr const char* separators = "/";
#endif

// A path's folder ("." for a bare name) and its last name.
std::string folderOf(const std::string& path) {
  std::size_t slash = path.find_last_of(separators);
  if (slash == std::string::npos) return ".";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string leafOf(const std::string& path) {
  std::size_t slash = path.find_last_of(separators);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string modeText(unsigned mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", mode & 07777);
  return text;
}

#ifdef _WIN32

std::wstring widePath(const std::string& path) {
  return std::filesystem::path(
             std::u8string_view(reinterpret_cast<const char8_t*>(path.data()), path.size()))
      .wstring();
}

// Windows follows no links for the game: a symbolic link named is replaced
// by the new file, as it would be by any program there.
std::string followLinks(std::string path) {
  return path;
}

// The read-only attribute is the one permission a file has there.
bool modeLetsWrite(const FileFacts& info) {
  return (info.mode & _S_IWRITE) != 0;
}

// A folder cannot be synced there: the rename is written through instead.
int syncFolder(const std::string&) {
  return 0;
}

int syncFile(int fd) {
  HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  return ::FlushFileBuffers(handle) ? 0 : EIO;
}

// The file stays as it was made: the read-only attribute of a target is
// refused before a byte is written.
void keepMode(int, const std::string&) {}

// Replaces the target with the closed temporary file, on the disk before
// it returns. Empty when done, else the system's words.
std::string replaceFile(const std::string& temporary, const std::string& target) {
  if (::MoveFileExW(widePath(temporary).c_str(), widePath(target).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return {};
  return std::system_category().message(static_cast<int>(::GetLastError()));
}

void removeFile(const std::string& path) {
  ::_wunlink(widePath(path).c_str());
}

#else

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
bool modeLetsWrite(const FileFacts& info) {
  uid_t user = ::geteuid();
  if (user == 0 || user == info.owner) return (info.mode & S_IWUSR) != 0;
  if (inGroup(info.group)) return (info.mode & S_IWGRP) != 0;
  return (info.mode & S_IWOTH) != 0;
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

int syncFile(int fd) {
  return ::fsync(fd) == 0 ? 0 : errno;
}

// A file written over keeps its permissions.
void keepMode(int fd, const std::string& target) {
  if (auto info = factsOf(target)) (void)::fchmod(fd, info->mode & 07777);
}

std::string replaceFile(const std::string& temporary, const std::string& target) {
  if (::rename(temporary.c_str(), target.c_str()) == 0) return {};
  return writeErrorText(errno);
}

void removeFile(const std::string& path) {
  ::unlink(path.c_str());
}

#endif

}  // namespace

std::string writeErrorText(int error) {
  if (error == EFBIG) return "the file-size limit is reached (ulimit -f)";
  return std::strerror(error);
}

void ignoreFileSizeSignal() {
#ifndef _WIN32
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

int syncDescriptor(int fd) {
  return syncFile(fd);
}

void removeMadeFile(const std::string& path) {
  removeFile(path);
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
  if (auto info = factsOf(path); info && !info->regular()) {
    // A device, a FIFO, a terminal the player named: written as it is,
    // never replaced.
    fd_ = openPath(path, O_WRONLY);
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
  auto info = factsOf(path);
  if (!info) return false;  // a new file
  const std::string kept = ", so it is left as it was";
  if (info->folder()) {
    fail(std::string("it is a folder"));
  } else if (!info->regular()) {
    if (kind_ == WriteKind::output) return false;
    fail("it is " + std::string(fileKindName(info->mode)) + ", not a file" + kept);
  } else if (int probe = openPath(path, O_RDONLY, true); probe < 0) {
    fail("it cannot be read (" + std::string(std::strerror(errno)) + ")" + kept);
  } else {
    ::close(probe);
    if (!modeLetsWrite(*info)) fail("it is read-only (mode " + modeText(info->mode) + ")" + kept);
  }
  return failed_;
}

bool SafeFile::openTemporary() {
  const std::string base = folderOf(target_) + "/." + leafOf(target_) + ".";
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temporary_ = base + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".part";
    fd_ = openPath(temporary_, O_WRONLY | O_CREAT | O_EXCL);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    temporary_.clear();
    fail(errno);
    return false;
  }
  keepMode(fd_, target_);
  return true;
}

bool SafeFile::write(std::string_view bytes) {
  if (failed_ || fd_ < 0) return false;
  while (!bytes.empty()) {
    auto chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1 << 30));
    auto n = ::write(fd_, bytes.data(), chunk);
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
  if (replacing && kind_ != WriteKind::cache) {
    if (int error = syncFile(fd_); error != 0) fail(error);
  }
  // Closed before the rename: some systems cannot rename a file still open.
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && !failed_) fail(errno);
  const bool player = replacing && kind_ == WriteKind::playerFile;
  if (!failed_ && player) {
    if (int error = syncFolder(folderOf(target_)); error != 0) fail(error);
  }
  if (!failed_ && replacing) {
    if (std::string why = replaceFile(temporary_, target_); !why.empty()) fail(why);
  }
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
    removeFile(temporary_);
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
