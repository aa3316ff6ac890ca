// The recording reader: any bytes read as a recording. Whatever it takes in
// must be exactly what the writer would have written for those entries, it
// must say where it stopped whenever it did not read to the end, and a cut
// of what it took must read as the same entries up to the cut.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "recording/RecordedInput.h"
#include "recording/Recording.h"

namespace {

using dw::fuzz::require;

DW_FUZZ_CHECK_CODE std::string rewrite(const dw::RecordingRead& read) {
  std::string out;
  if (!read.header) return out;
  std::uint32_t chain = dw::recordingChainStart;
  auto line = [&](const std::string& text) {
    chain = dw::chainChecksum(chain, text);
    char sum[9];
    std::snprintf(sum, sizeof sum, "%08x", chain);
    out += text + " " + sum + "\n";
  };
  line(dw::headerText(*read.header));
  for (const auto& event : read.events) line(dw::eventText(event));
  return out;
}

DW_FUZZ_CHECK_CODE void check(std::string_view bytes) {
  const dw::RecordingRead read = dw::parseRecording(bytes);
  const std::string again = rewrite(read);
  if (read.problem.empty()) {
    require(again == bytes, "a recording read to its end is not what the writer writes");
    require(read.header.has_value(), "a recording without a header was read to its end");
  } else {
    require(read.stopOffset <= bytes.size(), "the stop lies past the end of the file");
    require(again == bytes.substr(0, read.stopOffset),
            "what was read before the stop is not what the writer writes");
    require(!dw::describeStop(read).empty(), "a stop was not described");
  }
  require(read.header.has_value() || read.events.empty(), "entries without a header");
  std::size_t ends = 0;
  for (const auto& e : read.events) ends += e.kind == dw::RecordedEvent::Kind::end;
  require(ends == (read.complete ? 1u : 0u), "the closing entry is not last and alone");
  if (read.complete) {
    require(read.events.back().kind == dw::RecordedEvent::Kind::end, "entries after the end");
  }

  // A cut in the middle of what was read keeps the entries before it.
  if (again.size() > 1) {
    const std::size_t cut = again.size() / 2;
    const dw::RecordingRead part = dw::parseRecording(std::string_view(again).substr(0, cut));
    require(part.events.size() <= read.events.size(), "a cut file has more entries");
    for (std::size_t i = 0; i < part.events.size(); ++i)
      require(part.events[i] == read.events[i], "a cut file reads other entries");
  }

  // Played back, every key comes out once and in order.
  dw::RecordedInput input(read.events);
  std::size_t keys = 0;
  for (const auto& e : read.events) keys += e.kind == dw::RecordedEvent::Kind::key;
  std::size_t given = 0;
  while (auto key = input.nextKey()) {
    require(!key->empty() && key->size() <= dw::recordingMaxKey, "a key of a bad length");
    ++given;
  }
  require(given == keys && input.atEnd(), "the keys given differ from the keys read");
  // A game that took every key contradicts nothing about the keys.
  const std::int64_t seed = read.header && read.header->seed ? *read.header->seed : 0;
  require(dw::recordingContradiction(read, seed, keys, read.complete).find("never played") ==
              std::string::npos,
          "keys all played are said to be left");
  for (int i = 0; i < 3; ++i) {
    double t = input.nextTimer();
    require(t == t, "a clock reading that is not a number");
    (void)input.nextLocalTime();
  }
}

// The same lines with every checksum made right, so that what lies past a
// wrong checksum is explored too.
DW_FUZZ_CHECK_CODE std::string withRightChecksums(std::string_view bytes) {
  std::string out;
  std::uint32_t chain = dw::recordingChainStart;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) {
      out.append(bytes.substr(start));
      break;
    }
    std::string_view line = bytes.substr(start, end - start);
    std::size_t space = line.rfind(' ');
    std::string_view text = space == std::string_view::npos ? line : line.substr(0, space);
    chain = dw::chainChecksum(chain, text);
    char sum[9];
    std::snprintf(sum, sizeof sum, "%08x", chain);
    out.append(text).append(" ").append(sum).append("\n");
    start = end + 1;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  check(bytes);
  check(withRightChecksums(bytes));
  return 0;
}
