#pragma once

// A recording (.dwrec) keeps everything a game took from outside, in order:
// every key handed to it and every clock reading, with the game's version
// and a fingerprint of the data and tile files it ran on. Played back on the
// same files, it gives the same game, picture for picture.
//
// The file is text, one entry per line, each line ending in a space and a
// checksum chained through every line before it:
//
//   dwrec 1 game=<version> seed=<seed or -> data=<16 hex digits> <8 hex>
//   t <seconds since midnight>                                   <8 hex>
//   c <hh>:<mm>:<ss> <mm>-<dd>-<yyyy>                            <8 hex>
//   k <the key's bytes in hex>                                   <8 hex>
//   e <why the game ended>                                       <8 hex>
//
// docs/recordings.md describes it in full.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DuskwarrenVersion.h"
#include "platform/Platform.h"

namespace dw {

inline constexpr int recordingFormat = 1;
// The game version a recording made by this build carries.
inline constexpr const char* recordingGameVersion = DUSKWARREN_VERSION;
inline constexpr const char* recordingMagic = "dwrec";
// Longest line a reader accepts; every line the writer makes is far shorter.
inline constexpr std::size_t recordingMaxLine = 256;
// Longest key a recording holds (the game's keys are one or two bytes).
inline constexpr std::size_t recordingMaxKey = 8;
// A reader reads no further into a file than this.
inline constexpr std::size_t recordingMaxBytes = 256u * 1024 * 1024;

struct RecordingHeader {
  int format = recordingFormat;
  std::string gameVersion;           // no spaces or control characters
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
std::optional<RecordingRead> readRecordingFile(const std::string& path, std::string& error);

// One line that says where a damaged or truncated recording stopped, e.g.
// "stopped at entry 812 (byte 9731): the file ends inside an entry".
std::string describeStop(const RecordingRead& read);

// Why a recording cannot be played on this game and these files; empty when
// it can.
std::string recordingMismatch(const RecordingHeader& header, std::string_view gameVersion,
                              std::uint64_t dataFingerprint);

// Writes a game's recording as it is played. Attached to the platform as its
// input tap, it keeps every key and clock reading; entries taken before
// start() are kept in memory and written when the file opens, so the file
// can be named after the seed the start screen shows. Every entry is written
// and flushed to the system at once, so a crash or a kill loses at most the
// key being read. A write that fails ends the recording, never the game.
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

  bool recording() const { return file_ != nullptr; }
  const std::string& error() const { return error_; }
  std::size_t keysWritten() const { return keys_; }

 private:
  void add(const RecordedEvent& event);
  bool writeLine(const std::string& text);
  void fail(const std::string& what);

  std::FILE* file_ = nullptr;
  std::string path_;
  std::uint32_t chain_ = recordingChainStart;
  std::vector<RecordedEvent> pending_;
  bool finished_ = false;
  bool failed_ = false;
  std::string error_;
  std::size_t keys_ = 0;
};

}  // namespace dw
