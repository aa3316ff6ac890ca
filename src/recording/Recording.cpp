#include "recording/Recording.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

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
  if (header.format != recordingFormat) {
    why = "the recording is in format " + std::to_string(header.format) +
          ", which this game does not read (it reads format " + std::to_string(recordingFormat) +
          ")";
    return std::nullopt;
  }
  if (parts.size() != 5 || parts[2].substr(0, 5) != "game=" || parts[3].substr(0, 5) != "seed=" ||
      parts[4].substr(0, 5) != "data=") {
    why = "the recording's header is damaged";
    return std::nullopt;
  }
  header.gameVersion = std::string(parts[2].substr(5));
  std::string_view seed = parts[3].substr(5);
  if (seed != "-") {
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(seed.data(), seed.data() + seed.size(), value);
    if (ec != std::errc() || end != seed.data() + seed.size()) {
      why = "the recording's header is damaged";
      return std::nullopt;
    }
    header.seed = value;
  }
  auto data = parseHex(parts[4].substr(5), 16);
  if (header.gameVersion.empty() || !data) {
    why = "the recording's header is damaged";
    return std::nullopt;
  }
  header.dataFingerprint = *data;
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
  return std::string(recordingMagic) + " " + std::to_string(header.format) +
         " game=" + safeVersion(header.gameVersion) +
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

}  // namespace

RecordingRead parseRecording(std::string_view bytes) {
  RecordingRead read;
  bool cut = false;
  if (bytes.size() > recordingMaxBytes) {
    bytes = bytes.substr(0, recordingMaxBytes);
    cut = true;
  }
  std::uint32_t chain = recordingChainStart;
  std::size_t offset = 0;
  std::size_t entry = 0;
  auto stop = [&](const std::string& why) {
    read.stopEntry = entry;
    read.stopOffset = offset;
    read.problem = why;
    return read;
  };
  while (offset < bytes.size()) {
    std::size_t newline = bytes.find('\n', offset);
    if (newline == std::string_view::npos) {
      if (bytes.size() - offset > recordingMaxLine) return stop("an entry is far too long");
      return stop(cut ? "the file is longer than a recording can be"
                      : "the file ends inside an entry");
    }
    std::string_view line = bytes.substr(offset, newline - offset);
    if (line.size() > recordingMaxLine) return stop("an entry is far too long");
    if (!line.empty() && line.back() == '\r')
      return stop("its lines end in CR LF, not LF: it was changed after it was written");
    std::size_t space = line.rfind(' ');
    if (space == std::string_view::npos) return stop("an entry is damaged");
    std::string_view text = line.substr(0, space);
    auto sum = parseHex(line.substr(space + 1), 8);
    std::uint32_t expected = chainChecksum(chain, text);
    if (entry == 0) {
      std::string why;
      auto header = checkedHeader(text, sum && *sum == expected, why);
      if (!header) return stop(why);
      read.header = header;
    } else {
      if (read.complete) return stop("there is more after the closing entry");
      if (!sum || *sum != expected) return stop("an entry is damaged");
      auto event = parseEvent(text);
      if (!event || eventText(*event) != text) return stop("an entry is damaged");
      if (event->kind == RecordedEvent::Kind::end) read.complete = true;
      read.events.push_back(std::move(*event));
    }
    chain = expected;
    offset = newline + 1;
    ++entry;
  }
  if (entry == 0) return stop("the file is empty");
  return read;
}

std::optional<RecordingRead> readRecordingFile(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open recording " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  std::string data;
  char buffer[65536];
  // One byte more than a reader takes, so a longer file is reported as such.
  while (data.size() <= recordingMaxBytes && in.read(buffer, sizeof buffer).gcount() > 0)
    data.append(buffer, static_cast<std::size_t>(in.gcount()));
  if (in.bad()) {
    error = "cannot read recording " + path;
    return std::nullopt;
  }
  return parseRecording(data);
}

std::string describeStop(const RecordingRead& read) {
  if (read.problem.empty()) return {};
  return "stopped at entry " + std::to_string(read.stopEntry) + " (byte " +
         std::to_string(read.stopOffset) + "): " + read.problem;
}

std::string recordingMismatch(const RecordingHeader& header, std::string_view gameVersion,
                              std::uint64_t dataFingerprint) {
  std::string why;
  if (header.gameVersion != safeVersion(gameVersion)) {
    why = "it was made with game version " + header.gameVersion + ", this is version " +
          safeVersion(gameVersion);
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
  if (file_) std::fclose(file_);
}

bool RecordingWriter::start(const std::string& path, const RecordingHeader& header) {
  if (file_ || finished_) {
    error_ = "the recording has already started";
    return false;
  }
  if (failed_) return false;
  // O_EXCL: a recording already there is never written over.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    fail("cannot create " + path + ": " + std::strerror(errno));
    return false;
  }
  file_ = ::fdopen(fd, "wb");
  if (!file_) {
    ::close(fd);
    fail("cannot create " + path + ": " + std::strerror(errno));
    return false;
  }
  path_ = path;
  RecordingHeader written = header;
  written.format = recordingFormat;
  if (!writeLine(headerText(written))) return false;
  for (const RecordedEvent& event : pending_) {
    if (!writeLine(eventText(event))) return false;
  }
  pending_.clear();
  pending_.shrink_to_fit();
  return true;
}

void RecordingWriter::finish(const std::string& reason) {
  if (finished_) return;
  RecordedEvent end;
  end.kind = RecordedEvent::Kind::end;
  end.text = reason;
  if (file_) {
    if (writeLine(eventText(end)) && ::fsync(::fileno(file_)) != 0)
      error_ = "cannot sync " + path_ + ": " + std::strerror(errno);
    if (file_ && std::fclose(file_) != 0 && error_.empty())
      error_ = "cannot write " + path_ + ": " + std::strerror(errno);
    file_ = nullptr;
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
  if (file_) {
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
  chain_ = chainChecksum(chain_, text);
  std::string line = text + " " + hex(chain_, 8) + "\n";
  // One write and a flush per entry: what reached the system survives the
  // game being killed.
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
    fail("cannot write " + path_ + ": " + std::strerror(errno));
    return false;
  }
  return true;
}

void RecordingWriter::fail(const std::string& what) {
  failed_ = true;
  if (error_.empty()) error_ = what;
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
  pending_.clear();
}

}  // namespace dw
