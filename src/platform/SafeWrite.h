#pragma once

// Writing a whole file so that a player's file is never lost: the new bytes
// go to a temporary file beside the target, which is synced and renamed over
// it only once every byte is written. A write that fails part-way (a full
// disk, a file-size limit) leaves the target as it was and no stray file.
//
// A target that is no regular file (a device, a FIFO, /dev/stdout) is
// written in place: it is never replaced nor removed. A symbolic link is
// followed: the file it names is replaced, the link stays.

#include <string>
#include <string_view>

namespace dw {

class SafeFile {
 public:
  SafeFile() = default;
  ~SafeFile();
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  // Opens `path` for a new whole content. False, with reason(), when it
  // cannot (a folder, no folder to put it in, no room for a new file).
  bool open(const std::string& path);
  // Adds bytes. False, with reason(), once any write has failed: later
  // writes do nothing and commit() fails.
  bool write(std::string_view bytes);
  // Makes the written bytes the target's content. False, with reason(), when
  // any of the writing failed; the target is then as it was.
  bool commit();
  // Drops what was written; the target stays as it was.
  void abandon();

  bool failed() const { return failed_; }
  // Why the file could not be written, as the system says it ("No space
  // left on device"); empty while all is well.
  const std::string& reason() const { return reason_; }

 private:
  void fail(int error);
  void fail(std::string why);
  void closeFd();

  int fd_ = -1;
  std::string target_;     // the file the bytes are for, links followed
  std::string temporary_;  // empty when writing in place
  bool failed_ = false;
  std::string reason_;
};

// Writes `bytes` as the whole content of `path` as above. Empty when done,
// else the reason it could not be.
std::string writeWholeFile(const std::string& path, std::string_view bytes);

// What a write error means to the player: the system's words, and for a
// file-size limit which limit it is.
std::string writeErrorText(int error);

}  // namespace dw
