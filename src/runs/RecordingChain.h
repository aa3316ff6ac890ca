#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>

#include "recording/Recording.h"

namespace dw {

// Each line of a recording ends with the checksum of every line up to it,
// so reading the lines again proves that none before a point was changed.

// What a pass over a recording's lines found.
struct ChainScan {
  // Whole lines (ended by a newline) read, the header the first.
  std::uint64_t lines = 0;
  // The first whole line whose checksum does not follow from the lines
  // before it, counted from 1 for the header; nothing when every whole line
  // holds (a last line cut short by a kill is no break).
  std::optional<std::uint64_t> brokenAt;
  // The point passed in stands at the end of a line, after exactly its
  // count of entries, and carries the checksum the lines give there.
  bool provesPoint = false;
};

// Reads the file from its start: every line when `until` is nothing, else
// as far as until->offset (a checkpoint's point). The file's position is
// left anywhere.
ChainScan scanChain(std::FILE* file, const RecordingPoint* until = nullptr);

// For a recording whose whole scan found no break: whether the point stands
// at the end of a line after exactly its count of entries, with the
// checksum the lines give there. Each line up to it holds its chain, so the
// line it ends carries that checksum itself: the lines are only counted
// (and their lengths checked, as the scan stops at an over-long one), not
// checked again.
bool pointOnWholeChain(std::FILE* file, const RecordingPoint& point);

// "damaged at entry 100 of 2,604" for a scan with a break.
std::string chainBreakText(const ChainScan& scan);

}  // namespace dw
