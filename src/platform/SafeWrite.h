#pragma once

// Writing a whole file so that a player's file is never lost: the new bytes
// go to a temporary file beside the target (a name of its own, opened only
// if it is new), which is closed and then renamed over the target once every
// byte is written. A write that fails part-way (a full disk, a file-size
// limit) leaves the target as it was and no stray file.
//
// A symbolic link is followed: the file it names is replaced, the link
// stays (on Windows a link is replaced by the file, as by any program
// there). On Windows the new file takes the old one's place with one
// write-through move, and its folder is not synced. A file written over keeps its permissions. A
// target that cannot be read, or whose permissions deny writing it (a read-only file, mode 0444,
// whoever runs the game), is never written over: the write is refused and
// says why. A target that is no regular file (a device, a FIFO,
// /dev/stdout) is written in place when the player named it, and refused
// when the game found it in the player's folders; it is never replaced.

#include <string>
#include <string_view>

namespace dw {

// What a file written is to the player, which decides how hard it is kept.
enum class WriteKind {
  // A file named on a command line (a screenshot, a trace, a log): synced
  // before it replaces one; a device, a FIFO or a terminal is written in
  // place.
  output,
  // A file the game keeps for the player in their folders (the settings, a
  // recording written anew): synced, and its folder too, before and after
  // the rename. Only a regular file is ever written over.
  playerFile,
  // A file the game can make again (a checkpoint, a summary): whole, or
  // damaged in a way its reader detects, but never synced, so writing many
  // costs no waiting on the disk. Only a regular file is ever written over.
  cache,
};

class SafeFile {
 public:
  SafeFile() = default;
  ~SafeFile();
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  // Opens `path` for a new whole content. False, with reason(), when it
  // cannot (a folder, no folder to put it in, no room for a new file, a
  // target that must be left as it is).
  bool open(const std::string& path, WriteKind kind = WriteKind::output);
  // Adds bytes. False, with reason(), once any write has failed: later
  // writes do nothing and commit() fails.
  bool write(std::string_view bytes);
  // Makes the written bytes the target's content. False, with reason(), when
  // any of the writing failed; the target is then as it was.
  bool commit();
  // Drops what was written; the target stays as it was.
  void abandon();

  bool failed() const { return failed_; }
  // Why the file could not be written, in words that follow "cannot write
  // PATH: " ("No space left on device", "it is read-only (mode 0444), so it
  // is left as it was"); empty while all is well.
  const std::string& reason() const { return reason_; }
  // The file the bytes are for, links followed.
  const std::string& target() const { return target_; }

 private:
  bool refused(const std::string& path);
  bool openTemporary();
  void fail(int error);
  void fail(std::string why);
  void closeFd();

  int fd_ = -1;
  WriteKind kind_ = WriteKind::output;
  std::string target_;     // the file the bytes are for, links followed
  std::string temporary_;  // empty when writing in place
  bool failed_ = false;
  std::string reason_;
};

// Writes `bytes` as the whole content of `path` as above. Empty when done,
// else the reason it could not be.
std::string writeWholeFile(const std::string& path, std::string_view bytes,
                           WriteKind kind = WriteKind::output);

// What a write error means to the player: the system's words, and for a
// file-size limit which limit it is.
std::string writeErrorText(int error);

// A file-size limit (ulimit -f) makes a write fail like a full disk rather
// than end the program. Nothing to do where there are no such limits.
void ignoreFileSizeSignal();

// Puts what was written to the descriptor on the disk: 0, or the error.
int syncDescriptor(int fd);

// Removes a file this program made itself and cannot use.
void removeMadeFile(const std::string& path);

}  // namespace dw
