#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "recording/Recording.h"

namespace dw {

// Each line of a recording ends with the checksum of every line up to it,
// so reading the lines again proves that none before a point was changed.

// Where the chain stood at the end of a line: after `lines` whole lines (the
// header the first), `offset` bytes into the file.
struct ChainMark {
  std::uint64_t lines = 0, offset = 0;
  std::uint32_t chain = recordingChainStart;
};

// What a pass over a recording's lines found.
struct ChainScan {
  // Whole lines (ended by a newline) read, the header the first.
  std::uint64_t lines = 0;
  // The first whole line whose checksum does not follow from the lines
  // before it, counted from 1 for the header; nothing when every whole line
  // holds (a last line cut short by a kill is no break).
  std::optional<std::uint64_t> brokenAt;
  // The chain at the start and then every few thousand lines, up to the
  // break: a point is proved from the last mark before it (see chainHolds).
  std::vector<ChainMark> marks;
};

// Reads the file's lines from its start to its end, following the chain.
// The file's position is left anywhere.
ChainScan scanChain(std::FILE* file);

// Whether `point` (a checkpoint's) stands on the chain a whole scan of the
// same file followed: at the end of a line, after exactly its count of
// entries, with the checksum the lines give there, and no break before it.
// Only the lines after the last mark before it are read again.
bool chainHolds(std::FILE* file, const ChainScan& whole, const RecordingPoint& point);

// "damaged at entry 100 of 2,604" for a scan with a break.
std::string chainBreakText(const ChainScan& scan);

}  // namespace dw
