#include "platform/sdl/ViewLayout.h"

#include <algorithm>

#include "platform/Screen.h"

namespace dw {

namespace {

constexpr int pageW = Screen::width;
constexpr int pageH = Screen::height;

ViewRect centred(int drawW, int drawH, int w, int h) {
  return {(drawW - w) / 2, (drawH - h) / 2, w, h};
}

ViewLayout sharpLayout(int drawW, int drawH) {
  ViewLayout view;
  int scale = std::min(drawW / pageW, drawH / pageH);
  if (scale >= 1) {
    view.area = centred(drawW, drawH, pageW * scale, pageH * scale);
    view.stageW = view.area.w;
    view.stageH = view.area.h;
    return view;
  }
  // A window smaller than the page: shrink to fit, filtered.
  long long w = drawW;
  long long h = w * pageH / pageW;
  if (h > drawH) {
    h = drawH;
    w = h * pageW / pageH;
  }
  view.area = centred(drawW, drawH, static_cast<int>(w), static_cast<int>(h));
  view.stageW = pageW;
  view.stageH = pageH;
  view.smooth = true;
  return view;
}

ViewLayout fourThreeLayout(int drawW, int drawH) {
  // The largest 4:3 area, in whole pixels.
  long long w = drawW;
  long long h = w * 3 / 4;
  if (h > drawH) {
    h = drawH;
    w = h * 4 / 3;
  }
  ViewLayout view;
  view.area = centred(drawW, drawH, static_cast<int>(w), static_cast<int>(h));
  view.stageW = pageW * std::max(1, view.area.w / pageW);
  view.stageH = pageH * std::max(1, view.area.h / pageH);
  view.smooth = view.stageW != view.area.w || view.stageH != view.area.h;
  return view;
}

}  // namespace

ViewLayout layoutView(int drawW, int drawH, bool aspectCorrect) {
  drawW = std::max(drawW, 1);
  drawH = std::max(drawH, 1);
  return aspectCorrect ? fourThreeLayout(drawW, drawH) : sharpLayout(drawW, drawH);
}

int startScale(int desktopW, int desktopH) {
  int scale = std::min(desktopW * 3 / 4 / pageW, desktopH * 3 / 4 / pageH);
  return std::max(scale, 1);
}

}  // namespace dw
