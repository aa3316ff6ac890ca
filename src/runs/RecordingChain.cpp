#include "runs/RecordingChain.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "runs/RunSummary.h"

namespace dw {

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Follows the chain over one whole line; false when the line's checksum is
// not the one the chain gives.
bool followLine(std::string_view line, std::uint32_t& chain) {
  std::size_t space = line.rfind(' ');
  if (line.size() > recordingMaxLine || space == std::string_view::npos ||
      line.size() - space - 1 != 8)
    return false;
  std::uint32_t written = 0;
  for (char c : line.substr(space + 1)) {
    int v = hexDigit(c);
    if (v < 0) return false;
    written = written << 4 | static_cast<std::uint32_t>(v);
  }
  chain = chainChecksum(chain, line.substr(0, space));
  return written == chain;
}

// Walks the lines of the file in large reads, a line cut by a read carried
// over to the next.
class LineWalk {
 public:
  LineWalk(std::FILE* file, std::uint64_t limit) : file_(file), limit_(limit) {}
  // The next whole line (without its newline); nothing at the end.
  std::optional<std::string_view> next() {
    for (;;) {
      std::size_t end = buffer_.find('\n', pos_);
      if (end != std::string::npos) {
        std::string_view line(buffer_.data() + pos_, end - pos_);
        pos_ = end + 1;
        offset_ += line.size() + 1;
        return line;
      }
      if (!fill()) return std::nullopt;
    }
  }
  std::uint64_t offset() const { return offset_; }

 private:
  bool fill() {
    buffer_.erase(0, pos_);
    pos_ = 0;
    // A line far longer than any entry cannot end well: stop there.
    if (buffer_.size() > recordingMaxLine + 1 || read_ >= limit_) return false;
    constexpr std::size_t chunk = 1u << 20;
    std::size_t room = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, limit_ - read_));
    std::size_t old = buffer_.size();
    buffer_.resize(old + room);
    std::size_t got = std::fread(buffer_.data() + old, 1, room, file_);
    buffer_.resize(old + got);
    read_ += got;
    return got > 0;
  }

  std::FILE* file_;
  std::uint64_t limit_;
  std::uint64_t read_ = 0, offset_ = 0;
  std::string buffer_;
  std::size_t pos_ = 0;
};

}  // namespace

ChainScan scanChain(std::FILE* file, const RecordingPoint* until) {
  ChainScan scan;
  if (std::fseek(file, 0, SEEK_SET) != 0) return scan;
  LineWalk walk(file, until ? until->offset : UINT64_MAX);
  std::uint32_t chain = recordingChainStart;
  while (auto line = walk.next()) {
    ++scan.lines;
    if (!scan.brokenAt && !followLine(*line, chain)) {
      scan.brokenAt = scan.lines;
      if (until) return scan;
    }
  }
  scan.provesPoint = until && !scan.brokenAt && walk.offset() == until->offset &&
                     scan.lines == until->entries && chain == until->chain;
  return scan;
}

bool pointOnWholeChain(std::FILE* file, const RecordingPoint& point) {
  constexpr std::uint64_t ending = 10;  // " " and 8 hex digits and "\n"
  if (point.offset < ending || std::fseek(file, 0, SEEK_SET) != 0) return false;
  std::string buffer(1u << 20, '\0');
  std::uint64_t lines = 0, read = 0, lineLength = 0;
  while (read < point.offset) {
    std::size_t room =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), point.offset - read));
    std::size_t got = std::fread(buffer.data(), 1, room, file);
    if (got == 0) return false;
    for (std::size_t i = 0; i < got; ++i) {
      if (buffer[i] != '\n') {
        if (++lineLength > recordingMaxLine) return false;
      } else {
        ++lines;
        lineLength = 0;
      }
    }
    read += got;
  }
  char last[ending];
  if (std::fseek(file, static_cast<long>(point.offset - ending), SEEK_SET) != 0 ||
      std::fread(last, 1, ending, file) != ending || last[0] != ' ' || last[ending - 1] != '\n')
    return false;
  std::uint32_t written = 0;
  for (std::size_t i = 1; i + 1 < ending; ++i) {
    int v = hexDigit(last[i]);
    if (v < 0) return false;
    written = written << 4 | static_cast<std::uint32_t>(v);
  }
  return lines == point.entries && written == point.chain;
}

std::string chainBreakText(const ChainScan& scan) {
  if (!scan.brokenAt) return {};
  return "damaged at entry " + countText(static_cast<std::int64_t>(*scan.brokenAt)) + " of " +
         countText(static_cast<std::int64_t>(scan.lines));
}

}  // namespace dw
