#include "recording/Recording.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/CappedRead.h"
#include "platform/SafeWrite.h"
#include "platform/VisibleText.h"

namespace dw {

// Made from the fewest digits that read back exactly (printf's %e at each
// precision), then laid out both ways.
std::string shortestNumberText(double value) {
  char digits[40];
  int precision = 0;
  for (; precision < 17; ++precision) {
    std::snprintf(digits, sizeof digits, "%.*e", precision, value);
    if (std::strtod(digits, nullptr) == value) break;
  }
  const char* e = std::strchr(digits, 'e');
  const int exponent = std::atoi(e + 1);
  std::string mantissa;
  for (const char* c = digits; c != e; ++c)
    if (*c >= '0' && *c <= '9') mantissa += *c;
  const std::string sign = value < 0 ? "-" : "";
  std::string scientific = sign + mantissa.substr(0, 1);
  if (mantissa.size() > 1) scientific += "." + mantissa.substr(1);
  scientific += std::string(exponent < 0 ? "e-" : "e+") + (std::abs(exponent) < 10 ? "0" : "") +
                std::to_string(std::abs(exponent));
  std::string fixed;
  const int point = exponent + 1;  // digits before the decimal point
  if (point <= 0) {
    fixed = "0." + std::string(static_cast<std::size_t>(-point), '0') + mantissa;
  } else if (static_cast<std::size_t>(point) >= mantissa.size()) {
    // A whole number is written with all its digits, as it is exactly.
    char whole[400];
    std::snprintf(whole, sizeof whole, "%.0f", std::fabs(value));
    fixed = whole;
  } else {
    fixed = mantissa.substr(0, static_cast<std::size_t>(point)) + "." +
            mantissa.substr(static_cast<std::size_t>(point));
  }
  fixed = sign + fixed;
  return fixed.size() <= scientific.size() ? fixed : scientific;
}

namespace {

// Reads a decimal number written as the recording writes it.
bool readNumber(std::string_view text, double& value) {
#if defined(__EMSCRIPTEN__)
  // Any other way of writing it fails the exact-form check of the reader.
  if (text.empty() || text.size() > 40) return false;
  const std::string copy(text);
  char* end = nullptr;
  value = std::strtod(copy.c_str(), &end);
  return end == copy.c_str() + copy.size() && shortestNumberText(value) == copy;
#else
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
#endif
}

constexpr char hexDigits[] = "0123456789abcdef";

std::string hex(std::uint64_t value, int digits) {
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    out[static_cast<std::size_t>(i)] = hexDigits[value & 15];
  return out;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Exactly `digits` lowercase hex digits.
std::optional<std::uint64_t> parseHex(std::string_view text, std::size_t digits) {
  if (text.size() != digits) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    int v = hexValue(c);
    if (v < 0) return std::nullopt;
    value = value << 4 | static_cast<std::uint64_t>(v);
  }
  return value;
}

// A whole decimal number in [lo, hi] written with exactly `width` digits
// (or any width when 0), no sign.
std::optional<int> parseNumber(std::string_view text, std::size_t width, int lo, int hi) {
  if (text.empty() || (width != 0 && text.size() != width) || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < lo || value > hi) return std::nullopt;
  return value;
}

std::string twoDigits(int v) {
  return std::string{static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)};
}

// The version as a header can carry it: printable, no spaces.
std::string safeVersion(std::string_view version) {
  std::string out;
  for (char c : version) out += (c > ' ' && c < 127) ? c : '_';
  return out.empty() ? "unknown" : out;
}

std::vector<std::string_view> splitSpaces(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ' ') {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

// "name=value": the value, or nothing when the part is not named so.
std::optional<std::string_view> field(std::string_view part, std::string_view name) {
  if (part.size() <= name.size() || part.substr(0, name.size()) != name || part[name.size()] != '=')
    return std::nullopt;
  return part.substr(name.size() + 1);
}

// The fields after the format: game=, [rules=,] seed=, data=.
bool parseHeaderFields(const std::vector<std::string_view>& parts, RecordingHeader& header) {
  const bool hasRules = header.format >= 2;
  if (parts.size() != (hasRules ? 6u : 5u)) return false;
  std::size_t next = 2;
  auto game = field(parts[next++], "game");
  if (hasRules) {
    auto rules = field(parts[next++], "rules");
    auto number = rules ? parseNumber(*rules, 0, 1, 999999) : std::nullopt;
    if (!number) return false;
    header.rules = *number;
  } else {
    header.rules = 1;
  }
  auto seed = field(parts[next++], "seed");
  auto data = field(parts[next], "data");
  if (!game || game->empty() || !seed || !data) return false;
  header.gameVersion = std::string(*game);
  if (*seed != "-") {
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(seed->data(), seed->data() + seed->size(), value);
    if (ec != std::errc() || end != seed->data() + seed->size()) return false;
    header.seed = value;
  }
  auto fingerprint = parseHex(*data, 16);
  if (!fingerprint) return false;
  header.dataFingerprint = *fingerprint;
  return true;
}

std::optional<RecordingHeader> parseHeader(std::string_view text, std::string& why) {
  auto parts = splitSpaces(text);
  if (parts.empty() || parts[0] != recordingMagic) {
    why = "this is not a Duskwarren recording";
    return std::nullopt;
  }
  RecordingHeader header;
  auto format = parts.size() > 1 ? parseNumber(parts[1], 0, 1, 999999) : std::nullopt;
  if (!format) {
    why = "the recording's header is damaged";
    return std::nullopt;
  }
  header.format = *format;
  if (header.format < recordingOldestFormat || header.format > recordingFormat) {
    why = "the recording is in format " + std::to_string(header.format) +
          ", which this game does not read (it reads formats " +
          std::to_string(recordingOldestFormat) + " to " + std::to_string(recordingFormat) + ")";
    return std::nullopt;
  }
  if (!parseHeaderFields(parts, header)) {
    why = "the recording's header is damaged";
    return std::nullopt;
  }
  return header;
}

std::optional<RecordedEvent> parseEvent(std::string_view text) {
  if (text.size() < 3 || text[1] != ' ') return std::nullopt;
  std::string_view body = text.substr(2);
  RecordedEvent event;
  switch (text[0]) {
    case 'k': {
      if (body.empty() || body.size() % 2 != 0 || body.size() > 2 * recordingMaxKey)
        return std::nullopt;
      event.kind = RecordedEvent::Kind::key;
      for (std::size_t i = 0; i < body.size(); i += 2) {
        auto byte = parseHex(body.substr(i, 2), 2);
        if (!byte) return std::nullopt;
        event.text += static_cast<char>(*byte);
      }
      return event;
    }
    case 't': {
      event.kind = RecordedEvent::Kind::timer;
      if (!readNumber(body, event.timer) || !std::isfinite(event.timer)) return std::nullopt;
      return event;
    }
    case 'c': {
      // hh:mm:ss mm-dd-yyyy
      if (body.size() != 19 || body[2] != ':' || body[5] != ':' || body[8] != ' ' ||
          body[11] != '-' || body[14] != '-')
        return std::nullopt;
      auto hour = parseNumber(body.substr(0, 2), 2, 0, 23);
      auto minute = parseNumber(body.substr(3, 2), 2, 0, 59);
      auto second = parseNumber(body.substr(6, 2), 2, 0, 60);
      auto month = parseNumber(body.substr(9, 2), 2, 1, 12);
      auto day = parseNumber(body.substr(12, 2), 2, 1, 31);
      auto year = parseNumber(body.substr(15, 4), 4, 0, 9999);
      if (!hour || !minute || !second || !month || !day || !year) return std::nullopt;
      event.kind = RecordedEvent::Kind::localTime;
      event.time = {*hour, *minute, *second, *month, *day, *year};
      return event;
    }
    case 'e': {
      for (char c : body) {
        if (c <= ' ' || c >= 127) return std::nullopt;
      }
      event.kind = RecordedEvent::Kind::end;
      event.text = std::string(body);
      return event;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

std::uint32_t chainChecksum(std::uint32_t previous, std::string_view text) {
  std::uint32_t h = previous;
  for (char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return h;
}

std::string headerText(const RecordingHeader& header) {
  std::string rules = header.format >= 2 ? " rules=" + std::to_string(header.rules) : std::string();
  return std::string(recordingMagic) + " " + std::to_string(header.format) +
         " game=" + safeVersion(header.gameVersion) + rules +
         " seed=" + (header.seed ? std::to_string(*header.seed) : std::string("-")) +
         " data=" + hex(header.dataFingerprint, 16);
}

std::string eventText(const RecordedEvent& event) {
  switch (event.kind) {
    case RecordedEvent::Kind::key: {
      std::string out = "k ";
      for (std::size_t i = 0; i < event.text.size() && i < recordingMaxKey; ++i)
        out += hex(static_cast<unsigned char>(event.text[i]), 2);
      return out;
    }
    case RecordedEvent::Kind::timer: {
      // The shortest text that reads back as exactly the same number.
      char buf[64];
      double value = std::isfinite(event.timer) ? event.timer : 0.0;
#if defined(__EMSCRIPTEN__)
      (void)buf;
      return "t " + shortestNumberText(value);
#else
      auto result = std::to_chars(buf, buf + sizeof buf, value);
      return "t " + std::string(buf, result.ptr);
#endif
    }
    case RecordedEvent::Kind::localTime: {
      const ClockTime& t = event.time;
      auto clamp = [](int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; };
      int year = clamp(t.year, 0, 9999);
      return "c " + twoDigits(clamp(t.hour, 0, 23)) + ":" + twoDigits(clamp(t.minute, 0, 59)) +
             ":" + twoDigits(clamp(t.second, 0, 60)) + " " + twoDigits(clamp(t.month, 1, 12)) +
             "-" + twoDigits(clamp(t.day, 1, 31)) + "-" + twoDigits(year / 100) +
             twoDigits(year % 100);
    }
    case RecordedEvent::Kind::end:
      return "e " + safeVersion(event.text);
  }
  return "e unknown";
}

namespace {

// The header entry, kept only when its checksum holds (a header that reads
// but fails it is damaged all the same) and it reads back in exactly the
// words the writer writes.
std::optional<RecordingHeader> checkedHeader(std::string_view text, bool checksumHolds,
                                             std::string& why) {
  auto header = parseHeader(text, why);
  if (header && (!checksumHolds || headerText(*header) != text)) {
    header.reset();
    why = "the recording's header is damaged";
  }
  return header;
}

std::string tooLongText() {
  return "the file is longer than a recording can be (" + std::to_string(recordingMaxBytes >> 20) +
         " MiB)";
}

// Whether bytes can be the start of a recording: anything that does not
// open with the magic word is some other file, whatever its lines look like
// (a file cut inside the word is a recording cut short).
bool startsLikeRecording(std::string_view bytes) {
  constexpr std::string_view opening = "dwrec ";
  const std::size_t shown = std::min(bytes.size(), opening.size());
  return bytes.substr(0, shown) == opening.substr(0, shown);
}

}  // namespace

// --- reading ----------------------------------------------------------------

RecordingScanner::RecordingScanner(std::string_view bytes) : window_(bytes), atEof_(true) {
  if (window_.size() > recordingMaxBytes) {
    window_ = window_.substr(0, recordingMaxBytes);
    cut_ = true;
  }
  all_ = window_;
}

RecordingScanner::RecordingScanner(std::FILE* file) : file_(file) {}

const RecordedEvent* RecordingScanner::stop(const std::string& why) {
  stopped_ = true;
  problem_ = why;
  return nullptr;
}

// The next line without its LF, reading more of the file as needed. False
// at the end of the bytes (problem_ set when they end inside a line).
bool RecordingScanner::nextLine(std::string_view& line) {
  for (;;) {
    std::size_t newline = window_.find('\n');
    if (newline != std::string_view::npos) {
      line = window_.substr(0, newline);
      window_.remove_prefix(newline + 1);
      return true;
    }
    if (atEof_ || window_.size() > recordingMaxLine) break;
    // Keep the unread part and read on, never past the most a reader takes.
    std::string rest(window_);
    buffer_.assign(rest);
    std::size_t room = recordingMaxBytes - point_.offset - buffer_.size();
    std::size_t want = std::min<std::size_t>(1 << 16, room + 1);
    buffer_.resize(rest.size() + want);
    std::size_t got = std::fread(buffer_.data() + rest.size(), 1, want, file_);
    buffer_.resize(rest.size() + got);
    if (got < want) atEof_ = true;
    if (point_.offset + buffer_.size() > recordingMaxBytes) {
      buffer_.resize(recordingMaxBytes - point_.offset);
      atEof_ = cut_ = true;
    }
    window_ = buffer_;
  }
  if (window_.size() > recordingMaxLine) {
    stop("an entry is far too long");
  } else if (!window_.empty()) {
    stop(cut_ ? tooLongText() : "the file ends inside an entry");
  } else if (point_.entries == 0) {
    stop("the file is empty");
  }
  return false;
}

// Splits a line into its text and checksum. False (and stopped) when it
// cannot be an entry.
bool RecordingScanner::checkedLine(std::string_view line, std::string_view& text,
                                   std::uint32_t& sum) {
  if (line.size() > recordingMaxLine) return stop("an entry is far too long"), false;
  if (!line.empty() && line.back() == '\r')
    return stop("its lines end in CR LF, not LF: it was changed after it was written"), false;
  std::size_t space = line.rfind(' ');
  if (space == std::string_view::npos) return stop("an entry is damaged"), false;
  text = line.substr(0, space);
  auto parsed = parseHex(line.substr(space + 1), 8);
  // A checksum that does not read can never match.
  sum = parsed ? static_cast<std::uint32_t>(*parsed) : ~chainChecksum(point_.chain, text);
  return true;
}

const std::optional<RecordingHeader>& RecordingScanner::readHeader() {
  std::string_view line, text;
  std::uint32_t sum = 0;
  const bool whole = nextLine(line);
  if (!startsLikeRecording(whole ? line : window_)) {
    stop("this is not a Duskwarren recording");
    return header_;
  }
  if (!whole || !checkedLine(line, text, sum)) return header_;
  std::uint32_t expected = chainChecksum(recordingChainStart, text);
  std::string why;
  header_ = checkedHeader(text, sum == expected, why);
  if (!header_) {
    stop(why);
    return header_;
  }
  point_.chain = expected;
  point_.offset = line.size() + 1;
  point_.entries = 1;
  return header_;
}

bool RecordingScanner::resumeAt(const RecordingHeader& header, const RecordingPoint& point) {
  header_ = header;
  point_ = point;
  stopped_ = complete_ = false;
  problem_.clear();
  if (!file_) {
    window_ = point.offset <= all_.size() ? all_.substr(point.offset) : std::string_view();
    return point.offset <= all_.size();
  }
  buffer_.clear();
  window_ = {};
  atEof_ = cut_ = false;
  return point.offset <= recordingMaxBytes &&
         ::fseeko(file_, static_cast<off_t>(point.offset), SEEK_SET) == 0;
}

const RecordedEvent* RecordingScanner::next() {
  if (stopped_ || !header_) return nullptr;
  std::string_view line, text;
  std::uint32_t sum = 0;
  if (!nextLine(line)) return nullptr;
  if (!checkedLine(line, text, sum)) return nullptr;
  if (complete_) return stop("there is more after the closing entry");
  std::uint32_t expected = chainChecksum(point_.chain, text);
  if (sum != expected) return stop("an entry is damaged");
  auto event = parseEvent(text);
  if (!event || eventText(*event) != text) return stop("an entry is damaged");
  event_ = std::move(*event);
  switch (event_.kind) {
    case RecordedEvent::Kind::key:
      ++point_.keys;
      break;
    case RecordedEvent::Kind::timer:
      ++point_.timers;
      break;
    case RecordedEvent::Kind::localTime:
      ++point_.times;
      break;
    case RecordedEvent::Kind::end:
      complete_ = true;
      break;
  }
  point_.chain = expected;
  point_.offset += line.size() + 1;
  ++point_.entries;
  return &event_;
}

namespace {

RecordingRead readAll(RecordingScanner& scanner) {
  RecordingRead read;
  read.header = scanner.readHeader();
  if (read.header) {
    while (const RecordedEvent* event = scanner.next()) read.events.push_back(*event);
  }
  read.complete = scanner.complete();
  read.problem = scanner.problem();
  if (!read.problem.empty()) {
    read.stopEntry = scanner.point().entries;
    read.stopOffset = scanner.point().offset;
  }
  return read;
}

}  // namespace

RecordingRead parseRecording(std::string_view bytes) {
  if (bytes.size() > recordingMaxBytes) {
    RecordingRead read;
    read.problem = tooLongText();
    return read;
  }
  RecordingScanner scanner(bytes);
  return readAll(scanner);
}

std::FILE* openRecordingFile(const std::string& path, std::string& error, FileOrigin origin) {
  int fd = openToRead(path, origin, error);
  if (fd < 0) return nullptr;
  // A file known to be too long is refused before a byte of it is read.
  if (auto info = factsOf(fd); info && info->regular() && info->size > recordingMaxBytes) {
    error = tooLongText(path, "a recording", recordingMaxBytes);
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "rb");
  if (!file) {
    error = "cannot read recording " + visibleText(path) + ": " + std::strerror(errno);
    ::close(fd);
  }
  return file;
}

std::optional<RecordingRead> readRecordingFile(const std::string& path, std::string& error,
                                               FileOrigin origin) {
  std::FILE* file = openRecordingFile(path, error, origin);
  if (!file) return std::nullopt;
  RecordingScanner scanner(file);
  RecordingRead read = readAll(scanner);
  bool bad = std::ferror(file) != 0;
  std::fclose(file);
  if (bad) {
    error = "cannot read recording " + visibleText(path);
    return std::nullopt;
  }
  return read;
}

std::string describeStop(const RecordingRead& read) {
  if (read.problem.empty()) return {};
  return "stopped at entry " + std::to_string(read.stopEntry) + " (byte " +
         std::to_string(read.stopOffset) + "): " + read.problem;
}

std::string describeStop(const RecordingScanner& scanner) {
  if (scanner.problem().empty()) return {};
  return "stopped at entry " + std::to_string(scanner.point().entries) + " (byte " +
         std::to_string(scanner.point().offset) + "): " + scanner.problem();
}

std::string recordingContradiction(const RecordingRead& read, std::int64_t levelSeed,
                                   std::size_t keysRead, bool quit) {
  RecordedFacts facts;
  if (read.header) facts.headerSeed = read.header->seed;
  for (const RecordedEvent& event : read.events)
    facts.keys += event.kind == RecordedEvent::Kind::key;
  facts.saysQuit = read.complete && !read.events.empty() && read.events.back().text == "quit";
  return recordingContradiction(facts, levelSeed, keysRead, quit);
}

std::string recordingContradiction(const RecordedFacts& facts, std::int64_t levelSeed,
                                   std::size_t keysRead, bool quit) {
  std::string why;
  auto add = [&why](const std::string& part) { why += (why.empty() ? "" : "; ") + part; };
  if (facts.headerSeed && *facts.headerSeed != levelSeed) {
    add("its header says seed " + std::to_string(*facts.headerSeed) +
        ", but its keys give the levels of seed " + std::to_string(levelSeed));
  }
  if (keysRead < facts.keys) {
    std::size_t left = facts.keys - keysRead;
    add("the game ended at key " + std::to_string(keysRead) + " of " + std::to_string(facts.keys) +
        ", and the " +
        (left == 1 ? std::string("key after it was")
                   : std::to_string(left) + " keys after it were") +
        " never played");
  }
  if (facts.saysQuit && !quit && keysRead >= facts.keys)
    add("it says the game was quit, but its keys ran out first");
  return why;
}

std::string recordingMismatch(const RecordingHeader& header, int rules,
                              std::uint64_t dataFingerprint) {
  std::string why;
  if (header.rules != rules) {
    why = "it was made with other rules (rules " + std::to_string(header.rules) + ", release " +
          visibleText(header.gameVersion) + "; this game plays rules " + std::to_string(rules) +
          ")";
  }
  if (header.dataFingerprint != dataFingerprint) {
    if (!why.empty()) why += "; ";
    why += "it was made with other data or tiles (fingerprint " + hex(header.dataFingerprint, 16) +
           ", these files give " + hex(dataFingerprint, 16) + ")";
  }
  return why;
}

// --- writing ----------------------------------------------------------------

RecordingWriter::~RecordingWriter() {
  if (fd_ >= 0) ::close(fd_);
}

bool RecordingWriter::start(const std::string& path, const RecordingHeader& header) {
  if (fd_ >= 0 || finished_) {
    error_ = "the recording has already started";
    return false;
  }
  if (failed_) return false;
  // O_EXCL: a recording already there is never written over.
  fd_ = openPath(path, O_WRONLY | O_CREAT | O_EXCL, false, 0644);
  if (fd_ < 0) {
    fail("cannot create " + visibleText(path) + ": " + std::strerror(errno));
    return false;
  }
  path_ = path;
  RecordingHeader written = header;
  written.format = recordingFormat;
  bool whole = writeLine(headerText(written));
  for (std::size_t i = 0; whole && i < pending_.size(); ++i)
    whole = writeLine(eventText(pending_[i]));
  if (!whole) {
    // A file that could not take even what the game did before it opened
    // is no use to anyone: it goes. It is the one made just above, so
    // nobody else's file is touched.
    removeMadeFile(path);
    return false;
  }
  pending_.clear();
  pending_.shrink_to_fit();
  return true;
}

namespace {

// Copies the first `count` bytes of `source` into `copy`.
bool copyStart(const std::string& source, SafeFile& copy, std::uint64_t count, std::string& error) {
  int in = openToRead(source, FileOrigin::found, error);
  if (in < 0) return false;
  std::vector<char> buffer(1 << 16);
  std::uint64_t left = count;
  while (left > 0 && !copy.failed()) {
    auto want = static_cast<unsigned>(std::min<std::uint64_t>(left, buffer.size()));
    auto got = ::read(in, buffer.data(), want);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    copy.write(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    left -= static_cast<std::uint64_t>(got);
  }
  ::close(in);
  if (copy.failed()) return false;
  if (left != 0) error = visibleText(source) + " is shorter than the run it holds";
  return left == 0;
}

}  // namespace

bool RecordingWriter::resume(const std::string& source, const RecordingPoint& point,
                             const std::string& target) {
  if (fd_ >= 0 || finished_ || failed_) {
    error_ = "the recording has already started";
    return false;
  }
  // The player's run, written anew: synced before it takes the old one's
  // place, and closed before the rename; then opened again to go on.
  SafeFile copy;
  std::string why;
  if (!copy.open(target, WriteKind::playerFile) || !copyStart(source, copy, point.offset, why) ||
      !copy.commit()) {
    fail(why.empty() ? "cannot write " + visibleText(target) + ": " + copy.reason() : why);
    return false;
  }
  fd_ = openPath(copy.target(), O_WRONLY | O_APPEND);
  auto info = fd_ < 0 ? std::nullopt : factsOf(fd_);
  if (!info || info->size != point.offset) {
    // Something else took the name in the moment between.
    fail("cannot go on writing " + visibleText(target) +
         (fd_ < 0 ? std::string(": ") + std::strerror(errno) : ": it was changed meanwhile"));
    return false;
  }
  path_ = target;
  point_ = point;
  keys_ = point.keys;
  for (const RecordedEvent& event : pending_) {
    if (!writeLine(eventText(event))) return false;
  }
  pending_.clear();
  return true;
}

void RecordingWriter::finish(const std::string& reason) {
  if (finished_) return;
  RecordedEvent end;
  end.kind = RecordedEvent::Kind::end;
  end.text = reason;
  if (fd_ >= 0) {
    if (writeLine(eventText(end))) {
      if (int error = syncDescriptor(fd_); error != 0)
        error_ = "cannot sync " + path_ + ": " + std::strerror(error);
    }
    if (fd_ >= 0 && ::close(fd_) != 0 && error_.empty())
      error_ = "cannot write " + path_ + ": " + std::strerror(errno);
    fd_ = -1;
  }
  finished_ = true;
  pending_.clear();
}

void RecordingWriter::onKey(const std::string& key) {
  RecordedEvent event;
  event.kind = RecordedEvent::Kind::key;
  event.text = key.substr(0, recordingMaxKey);
  if (event.text.empty()) return;
  add(event);
  if (!failed_) ++keys_;
}

void RecordingWriter::onTimer(double reading) {
  RecordedEvent event;
  event.kind = RecordedEvent::Kind::timer;
  event.timer = reading;
  add(event);
}

void RecordingWriter::onLocalTime(const ClockTime& time) {
  RecordedEvent event;
  event.kind = RecordedEvent::Kind::localTime;
  event.time = time;
  add(event);
}

void RecordingWriter::add(const RecordedEvent& event) {
  if (finished_ || failed_) return;
  if (fd_ >= 0) {
    writeLine(eventText(event));
    return;
  }
  // Before the file opens only the start-up's few readings and keys come;
  // a game that never opens its file stops keeping them at some point.
  constexpr std::size_t maxPending = 100000;
  if (pending_.size() >= maxPending) {
    fail("the recording's file was never opened");
    return;
  }
  pending_.push_back(event);
}

bool RecordingWriter::writeLine(const std::string& text) {
  std::uint32_t chain = chainChecksum(point_.chain, text);
  std::string line = text + " " + hex(chain, 8) + "\n";
  // One write per entry, straight to the system: what reached it survives
  // the game being killed.
  if (!writeAll(line)) {
    int error = errno;
    // Only whole entries stay: a part-written one is cut off again.
    if (::ftruncate(fd_, static_cast<off_t>(point_.offset)) != 0) {
      // The file keeps the broken end; a reader stops before it.
    }
    fail("cannot write " + visibleText(path_) + ": " + writeErrorText(error));
    return false;
  }
  point_.chain = chain;
  point_.offset += line.size();
  ++point_.entries;
  if (lineSink_) lineSink_(line);
  switch (text[0]) {
    case 'k':
      ++point_.keys;
      break;
    case 't':
      ++point_.timers;
      break;
    case 'c':
      ++point_.times;
      break;
    default:
      break;
  }
  return true;
}

bool RecordingWriter::writeAll(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    auto chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, 1 << 30));
    auto n = ::write(fd_, bytes.data() + done, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void RecordingWriter::fail(const std::string& what) {
  failed_ = true;
  if (error_.empty()) error_ = what;
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  pending_.clear();
}

}  // namespace dw
