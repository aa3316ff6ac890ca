#pragma once

namespace dw {

struct ViewRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// Where the 320 x 200 page lands in a window of drawW x drawH pixels.
// Without aspect correction the page is shown at the largest whole-number
// scale that fits, so every page pixel becomes an equal square block. With
// aspect correction it fills the largest 4:3 area that fits: the page is first
// blown up by whole pixels to the stage size (never larger than the area), and
// only the step from stage to area is smoothed, so edges stay sharp and no row
// or column is doubled.
struct ViewLayout {
  ViewRect area;               // centred; the rest of the window is black
  int stageW = 0, stageH = 0;  // the whole-pixel enlargement
  bool smooth = false;         // area differs from the stage: filter the last step
};

ViewLayout layoutView(int drawW, int drawH, bool aspectCorrect);

// The whole-number scale for a new window: the largest that fits three
// quarters of the desktop, at least 1.
int startScale(int desktopW, int desktopH);

}  // namespace dw
