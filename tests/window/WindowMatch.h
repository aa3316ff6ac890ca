#pragma once

#include <string>

#include "platform/png/Png.h"

namespace dw {

struct MatchResult {
  bool matches = false;
  std::string report;  // what was found, for the test log
};

// Checks a capture of the whole window against the page it should show.
//
// Plain view: the page at the largest whole-number scale that fits, centred,
// every page pixel an exact square block, black bars around it.
//
// Aspect-corrected view: the page fills the largest 4:3 area that fits,
// centred, black around it. The middle of every page pixel shows its colour
// exactly, and the picture is sharp: along each axis a page pixel whose
// neighbours differ from it covers as many whole rows (columns) as the
// whole-pixel enlargement gives it, or one fewer where the last, fractional
// step blends it with a neighbour. A nearest-pixel stretch (some rows
// doubled) or a plain filtered stretch (everything blurred) fails.
MatchResult matchCapture(const RgbImage& capture, const RgbImage& page, bool aspectCorrected);

}  // namespace dw
