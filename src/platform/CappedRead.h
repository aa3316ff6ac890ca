#pragma once

// Reading a whole file with a cap on its size. Every file the programs read
// whole has one (data files and tiles, keys files, recordings, golden
// traces): a file over it is refused, never read in part, and its size is
// checked before any of it is read where the system can tell it.
//
// Where a file comes from decides what it may be. A file the player names
// on a command line may be a pipe or a device (`--keys-file <(...)`,
// /dev/stdin). A file the game finds by itself in the player's folders (the
// settings, the recordings and the files beside them) must be a regular
// file: anything else (a FIFO, a device, a folder) is refused at once with a
// line that says what it is, and never waited on.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace dw {

enum class FileOrigin {
  named,  // named by the player: a pipe or a device is read as it comes
  found,  // found by the game in the player's folders: regular files only
};

// The system's own file calls, the one place that knows the system. A path
// is UTF-8 throughout the game; on Windows it becomes a wide path here, at
// the call. Every descriptor is opened in binary mode, is not handed to
// programs the game starts, and never makes a terminal the game's own.
// `flags` are O_RDONLY, O_WRONLY, O_CREAT, O_EXCL and O_APPEND; `waitless`
// opens a FIFO without waiting for a writer where the system has FIFOs.
// -1, with errno, when it cannot.
int openPath(const std::string& path, int flags, bool waitless = false, int mode = 0666);

// What stat tells of a file: its kind and permission bits (as stat's
// st_mode), its size and its owner.
struct FileFacts {
  unsigned mode = 0;
  std::uint64_t size = 0;
  unsigned owner = 0, group = 0;
  bool regular() const;
  bool folder() const;
};
// The facts of the file at `path` (links followed), or of an open
// descriptor; nothing, with errno, when there is no such file.
std::optional<FileFacts> factsOf(const std::string& path);
std::optional<FileFacts> factsOf(int fd);

// What a file that is no regular file is, in the player's words: "a
// folder", "a FIFO", "a device", "a socket" (`mode` as stat gives it).
const char* fileKindName(unsigned mode);

// The words for a file over its cap: "PATH is longer than a keys file can
// be (16 MiB)".
std::string tooLongText(const std::string& path, const std::string& what, std::size_t cap);

// Opens `path` for reading as its origin allows: a descriptor (the caller
// closes it), or -1 with the reason in error ("cannot read PATH: No such
// file or directory", "PATH is a FIFO, not a file", "PATH is a folder, not
// a file"). On Windows there are no FIFOs among a folder's names, and a
// device name (NUL, CON) is a device there too. A found file is opened without waiting (a FIFO with
// nobody writing never blocks) and what was opened is checked, not the name, so nothing can be
// swapped in between. `missing`, when given, tells whether there was no file at all.
int openToRead(const std::string& path, FileOrigin origin, std::string& error,
               bool* missing = nullptr);

// The bytes of the file at `path`, at most `cap` of them. Nothing, with the
// reason in error, when it cannot be opened as above, cannot be read, or is
// longer than `cap` (`what` names the kind of file: "a keys file").
std::optional<std::string> readCappedFile(const std::string& path, std::size_t cap,
                                          const std::string& what, std::string& error,
                                          FileOrigin origin = FileOrigin::named,
                                          bool* missing = nullptr);

}  // namespace dw
