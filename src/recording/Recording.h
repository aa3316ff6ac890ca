#pragma once

// A recording (.dwrec) keeps everything a game took from outside, in order:
// every key handed to it and every clock reading, with the game's version
// and a fingerprint of the data and tile files it ran on. Played back on the
// same files, it gives the same game, picture for picture.
//
// The file is text, one entry per line, each line ending in a space and a
// checksum chained through every line before it:
//
//   dwrec 2 game=<release> rules=<n> seed=<seed or -> data=<16 hex> <8 hex>
//   t <seconds since midnight>                                   <8 hex>
//   c <hh>:<mm>:<ss> <mm>-<dd>-<yyyy>                            <8 hex>
//   k <the key's bytes in hex>                                   <8 hex>
//   e <why the game ended>                                       <8 hex>
//
// docs/recordings.md describes it in full.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DuskwarrenVersion.h"
#include "platform/CappedRead.h"
#include "platform/Platform.h"

namespace dw {

inline constexpr int recordingFormat = 2;
// The oldest format a reader still reads: format 1 has no rules field, and
// every format-1 recording was made under rules 1.
inline constexpr int recordingOldestFormat = 1;
// The game version a recording made by this build carries.
inline constexpr const char* recordingGameVersion = DUSKWARREN_VERSION;
// The version of the rules: raised with every change that alters a trace
// (a golden game, the seed catalogue), and with nothing else. A recording
// plays the same game on any release with the same rules and data.
inline constexpr int gameRulesVersion = 1;
inline constexpr const char* recordingMagic = "dwrec";
// Longest line a reader accepts; every line the writer makes is far shorter.
inline constexpr std::size_t recordingMaxLine = 256;
// Longest key a recording holds (the game's keys are one or two bytes).
inline constexpr std::size_t recordingMaxKey = 8;
// The longest recording a reader takes (some 4.5 million keys): a longer
// file is refused whole, never read in part.
inline constexpr std::size_t recordingMaxBytes = 64u * 1024 * 1024;

struct RecordingHeader {
  int format = recordingFormat;
  std::string gameVersion;           // no spaces or control characters
  int rules = gameRulesVersion;      // format 1 files: 1
  std::optional<std::int64_t> seed;  // the start screen's seed, when known
  std::uint64_t dataFingerprint = 0;
};

struct RecordedEvent {
  enum class Kind { key, timer, localTime, end };
  Kind kind = Kind::key;
  std::string text;  // the key's bytes, or why the game ended
  double timer = 0.0;
  ClockTime time;

  bool operator==(const RecordedEvent&) const = default;
};

// The checksum of one line: FNV-1a (32 bits) over the line's text before the
// checksum, starting from the previous line's checksum (the first line
// starts from the FNV offset basis). A changed, missing or moved line breaks
// every checksum from there on.
inline constexpr std::uint32_t recordingChainStart = 2166136261u;
std::uint32_t chainChecksum(std::uint32_t previous, std::string_view text);

// The shortest decimal text that reads back as exactly this finite number:
// the shorter of its fixed and scientific forms (fixed on a tie), as
// std::to_chars writes it. The browser build's C++ library has no to_chars
// for floating point, so its clock readings are written with this.
std::string shortestNumberText(double value);

// The text of one line without its checksum (and without the newline).
std::string headerText(const RecordingHeader& header);
std::string eventText(const RecordedEvent& event);

// Everything that could be read from a recording.
struct RecordingRead {
  std::optional<RecordingHeader> header;  // nothing: the file is no recording
  std::vector<RecordedEvent> events;      // every whole entry, in order
  bool complete = false;                  // ends with its closing entry
  // Where reading stopped when the file was not read to its end cleanly:
  // the number of the first entry not played (the header is entry 0), its
  // byte offset, and why. Empty when every byte was read.
  std::size_t stopEntry = 0;
  std::size_t stopOffset = 0;
  std::string problem;
};

// Reads a recording's bytes up to the last whole, correct entry. Never
// throws on any input.
RecordingRead parseRecording(std::string_view bytes);
// The same from a file (nothing and the reason in error when it cannot be
// opened).
// A recording the game found in the player's folders (not one named on a
// command line) is read only when it is a regular file.
std::optional<RecordingRead> readRecordingFile(const std::string& path, std::string& error,
                                               FileOrigin origin = FileOrigin::named);

// One line that says where a damaged or truncated recording stopped, e.g.
// "stopped at entry 812 (byte 9731): the file ends inside an entry".
std::string describeStop(const RecordingRead& read);

// Where a played recording contradicts the game its keys gave: a header seed
// other than the seed the levels came from, keys left after the game ended,
// or a game that ended otherwise than the recording says. `levelSeed` is the
// seed the played game's levels came from; `keysRead` how many keys it took;
// `quit` whether it ended by Escape. Empty when they agree.
std::string recordingContradiction(const RecordingRead& read, std::int64_t levelSeed,
                                   std::size_t keysRead, bool quit);
// The same from what a recording says of itself: the seed in its header, how
// many keys it holds, and whether it says the game was quit.
struct RecordedFacts {
  std::optional<std::int64_t> headerSeed;
  std::size_t keys = 0;
  bool saysQuit = false;
};
std::string recordingContradiction(const RecordedFacts& facts, std::int64_t levelSeed,
                                   std::size_t keysRead, bool quit);

// Why a recording cannot be played on these rules and these files; empty
// when it can. The release it was made with does not matter.
std::string recordingMismatch(const RecordingHeader& header, int rules,
                              std::uint64_t dataFingerprint);

// Where a reader or a writer stands in a recording: after `entries` entries
// (the header is entry 0) and `offset` bytes, with the checksum of the last
// line, and how many entries of each kind came so far.
struct RecordingPoint {
  std::uint64_t offset = 0;
  std::uint64_t entries = 0;
  std::uint32_t chain = recordingChainStart;
  std::uint64_t keys = 0, timers = 0, times = 0;
  bool operator==(const RecordingPoint&) const = default;
};

// Reads a recording one entry at a time, checking each line as it comes,
// from bytes in memory or from a file it holds no more than a buffer of.
// Stops at the first line that is not a whole, correct entry, as
// parseRecording does, and says why.
class RecordingScanner {
 public:
  explicit RecordingScanner(std::string_view bytes);
  // Reads from the file's current position on; the file is not owned.
  explicit RecordingScanner(std::FILE* file);

  // Reads entry 0. Nothing, with problem(), when there is no good header.
  const std::optional<RecordingHeader>& readHeader();
  // Goes on at a point read before (its header already known): reads on
  // from point.offset of the file or of the bytes. False when the file
  // cannot be read there.
  bool resumeAt(const RecordingHeader& header, const RecordingPoint& point);
  // The next entry; nothing at the end of the file or at the first line
  // that is wrong (problem() then says why).
  const RecordedEvent* next();

  const std::optional<RecordingHeader>& header() const { return header_; }
  // After the last entry read.
  const RecordingPoint& point() const { return point_; }
  bool complete() const { return complete_; }
  // Empty when every byte so far was read cleanly.
  const std::string& problem() const { return problem_; }

 private:
  bool nextLine(std::string_view& line);
  bool checkedLine(std::string_view line, std::string_view& text, std::uint32_t& sum);
  const RecordedEvent* stop(const std::string& why);

  std::FILE* file_ = nullptr;
  std::string buffer_;
  std::string_view all_;     // the caller's bytes, when reading from memory
  std::string_view window_;  // unread bytes: of buffer_, or of the caller's
  bool atEof_ = false, cut_ = false, stopped_ = false, complete_ = false;
  std::optional<RecordingHeader> header_;
  RecordedEvent event_;
  RecordingPoint point_;
  std::string problem_;
};

// describeStop for a scanner that stopped; empty when it read cleanly.
std::string describeStop(const RecordingScanner& scanner);

// Opens a recording file for a scanner; nothing, with the reason, when it
// cannot be opened, is a folder (or, found by the game, no regular file), or
// is longer than a recording can be.
std::FILE* openRecordingFile(const std::string& path, std::string& error,
                             FileOrigin origin = FileOrigin::named);

// Writes a game's recording as it is played. Attached to the platform as its
// input tap, it keeps every key and clock reading; entries taken before
// start() are kept in memory and written when the file opens, so the file
// can be named after the seed the start screen shows. Every entry is written
// to the system at once, in one write, so a crash or a kill loses at most the
// key being read. A write that fails ends the recording, never the game: the
// entries already written stay, a part-written one is cut off, and a file
// that never got its header whole is removed again.
class RecordingWriter : public InputTap {
 public:
  RecordingWriter() = default;
  ~RecordingWriter() override;
  RecordingWriter(const RecordingWriter&) = delete;
  RecordingWriter& operator=(const RecordingWriter&) = delete;

  // Creates the file (never over an existing one) and writes the header and
  // every entry kept so far. False, with the reason in error(), when it
  // cannot.
  bool start(const std::string& path, const RecordingHeader& header);
  // Writes the closing entry ("quit", "closed", ...), syncs the file to disk
  // and closes it. Nothing more is recorded afterwards.
  void finish(const std::string& reason);

  void onKey(const std::string& key) override;
  void onTimer(double reading) override;
  void onLocalTime(const ClockTime& time) override;

  // Goes on with a recording begun before: its first point.offset bytes
  // (whole entries, up to `point`) are copied from `source` into a new file
  // that is synced, closed and renamed to `target` (which may be the source
  // itself, or a new name; a link there is followed), then opened again for
  // the entries that follow. A target that cannot be read or is read-only
  // is left as it was.
  bool resume(const std::string& source, const RecordingPoint& point, const std::string& target);

  // Told each whole line (with its checksum and newline) once it is
  // written: the header and every entry after it. The lines a resumed
  // recording copies from its source are not told.
  using LineSink = std::function<void(std::string_view line)>;
  void setLineSink(LineSink sink) { lineSink_ = std::move(sink); }

  bool recording() const { return fd_ >= 0; }
  const std::string& error() const { return error_; }
  std::size_t keysWritten() const { return keys_; }
  // Where the file stands: everything written so far (entries still held
  // in memory before the file opened not counted).
  const RecordingPoint& point() const { return point_; }

 private:
  void add(const RecordedEvent& event);
  bool writeLine(const std::string& text);
  bool writeAll(const std::string& bytes);
  void fail(const std::string& what);

  int fd_ = -1;
  std::string path_;
  std::vector<RecordedEvent> pending_;
  bool finished_ = false;
  bool failed_ = false;
  std::string error_;
  std::size_t keys_ = 0;
  RecordingPoint point_;
  LineSink lineSink_;
};

}  // namespace dw
