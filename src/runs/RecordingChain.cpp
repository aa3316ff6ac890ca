#include "runs/RecordingChain.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string_view>

#include "runs/RunSummary.h"

namespace dw {

namespace {

// A mark every this many lines: proving a point reads at most as many again.
constexpr std::uint64_t linesBetweenMarks = 4096;

constexpr std::array<std::int8_t, 256> hexDigits = [] {
  std::array<std::int8_t, 256> table{};
  table.fill(-1);
  for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<std::int8_t>(c - '0');
  for (int c = 'a'; c <= 'f'; ++c) table[c] = static_cast<std::int8_t>(c - 'a' + 10);
  for (int c = 'A'; c <= 'F'; ++c) table[c] = static_cast<std::int8_t>(c - 'A' + 10);
  return table;
}();

// Follows the chain over one whole line, which ends in a space and eight
// hex digits; false when the line's checksum is not the one the chain gives.
bool followLine(std::string_view line, std::uint32_t& chain) {
  std::size_t size = line.size();
  if (size > recordingMaxLine || size < 9 || line[size - 9] != ' ') return false;
  std::uint32_t written = 0;
  for (std::size_t i = size - 8; i < size; ++i) {
    int v = hexDigits[static_cast<unsigned char>(line[i])];
    if (v < 0) return false;
    written = written << 4 | static_cast<std::uint32_t>(v);
  }
  chain = chainChecksum(chain, line.substr(0, size - 9));
  return written == chain;
}

// Walks the lines of the file in large reads into one buffer, made once; a
// line cut by a read is moved to the buffer's start and read on.
class LineWalk {
 public:
  LineWalk(std::FILE* file, std::uint64_t limit)
      : file_(file), limit_(limit), buffer_(new char[capacity]) {}
  // The next whole line (without its newline); nothing at the end.
  std::optional<std::string_view> next() {
    for (;;) {
      const char* start = buffer_.get() + pos_;
      if (const void* nl = std::memchr(start, '\n', end_ - pos_)) {
        std::size_t length = static_cast<std::size_t>(static_cast<const char*>(nl) - start);
        pos_ += length + 1;
        offset_ += length + 1;
        return std::string_view(start, length);
      }
      if (!fill()) return std::nullopt;
    }
  }
  std::uint64_t offset() const { return offset_; }

 private:
  static constexpr std::size_t chunk = std::size_t{1} << 20;
  static constexpr std::size_t capacity = chunk + recordingMaxLine + 2;

  bool fill() {
    std::size_t left = end_ - pos_;
    // A line far longer than any entry cannot end well: stop there.
    if (left > recordingMaxLine + 1 || read_ >= limit_) return false;
    std::memmove(buffer_.get(), buffer_.get() + pos_, left);
    pos_ = 0;
    end_ = left;
    std::size_t room = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, limit_ - read_));
    std::size_t got = std::fread(buffer_.get() + end_, 1, room, file_);
    end_ += got;
    read_ += got;
    return got > 0;
  }

  std::FILE* file_;
  std::uint64_t limit_;
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0, end_ = 0;
  std::uint64_t read_ = 0, offset_ = 0;
};

}  // namespace

ChainScan scanChain(std::FILE* file) {
  ChainScan scan;
  if (std::fseek(file, 0, SEEK_SET) != 0) return scan;
  LineWalk walk(file, UINT64_MAX);
  std::uint32_t chain = recordingChainStart;
  scan.marks.push_back({});
  while (auto line = walk.next()) {
    ++scan.lines;
    if (scan.brokenAt) continue;
    if (!followLine(*line, chain)) {
      scan.brokenAt = scan.lines;
    } else if (scan.lines % linesBetweenMarks == 0) {
      scan.marks.push_back({scan.lines, walk.offset(), chain});
    }
  }
  return scan;
}

bool chainHolds(std::FILE* file, const ChainScan& whole, const RecordingPoint& point) {
  if (whole.marks.empty() || point.entries > whole.lines ||
      (whole.brokenAt && *whole.brokenAt <= point.entries))
    return false;
  // The last mark at or before the point.
  auto after = std::upper_bound(
      whole.marks.begin(), whole.marks.end(), point.entries,
      [](std::uint64_t entries, const ChainMark& mark) { return entries < mark.lines; });
  const ChainMark& from = *std::prev(after);
  if (from.offset > point.offset || std::fseek(file, static_cast<long>(from.offset), SEEK_SET) != 0)
    return false;
  LineWalk walk(file, point.offset - from.offset);
  std::uint32_t chain = from.chain;
  std::uint64_t lines = from.lines;
  while (auto line = walk.next()) {
    ++lines;
    if (!followLine(*line, chain)) return false;
  }
  return from.offset + walk.offset() == point.offset && lines == point.entries &&
         chain == point.chain;
}

std::string chainBreakText(const ChainScan& scan) {
  if (!scan.brokenAt) return {};
  return "damaged at entry " + countText(static_cast<std::int64_t>(*scan.brokenAt)) + " of " +
         countText(static_cast<std::int64_t>(scan.lines));
}

}  // namespace dw
