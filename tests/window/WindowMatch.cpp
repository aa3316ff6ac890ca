#include "WindowMatch.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

namespace dw {

namespace {

struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Colour&) const = default;
};

Colour at(const RgbImage& image, int x, int y) {
  std::size_t i = (static_cast<std::size_t>(y) * image.width + x) * 3;
  return {image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]};
}

std::string describe(Colour c) {
  std::ostringstream out;
  out << "(" << int{c.r} << "," << int{c.g} << "," << int{c.b} << ")";
  return out.str();
}

struct Area {
  int x = 0, y = 0, w = 0, h = 0;
  bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

// Counts what differs and describes the first difference.
struct Tally {
  long long wrong = 0;
  std::string first;
  template <typename Describe>
  void miss(Describe describeFault) {
    if (wrong++ == 0) first = describeFault();
  }
};

void checkBars(const RgbImage& capture, const Area& area, Tally& tally) {
  for (int y = 0; y < capture.height; ++y) {
    for (int x = 0; x < capture.width; ++x) {
      if (area.contains(x, y) || at(capture, x, y) == Colour{}) continue;
      tally.miss([&] {
        std::ostringstream what;
        what << "window pixel (" << x << "," << y << ") outside the picture is "
             << describe(at(capture, x, y)) << ", not black";
        return what.str();
      });
    }
  }
}

MatchResult finish(const Tally& tally, const std::string& summary, const char* wrongWhat) {
  MatchResult result;
  result.matches = tally.wrong == 0;
  std::ostringstream out;
  out << summary;
  if (!result.matches) out << ": " << tally.wrong << " " << wrongWhat << "; first: " << tally.first;
  result.report = out.str();
  return result;
}

MatchResult matchPlain(const RgbImage& capture, const RgbImage& page) {
  int scale = std::min(capture.width / page.width, capture.height / page.height);
  std::ostringstream summary;
  summary << "plain view, " << capture.width << "x" << capture.height << " window";
  if (scale < 1) return {false, summary.str() + ": smaller than the page"};
  Area area{(capture.width - page.width * scale) / 2, (capture.height - page.height * scale) / 2,
            page.width * scale, page.height * scale};
  summary << ", page at scale " << scale << " in " << area.w << "x" << area.h << " at (" << area.x
          << "," << area.y << ")";
  Tally tally;
  checkBars(capture, area, tally);
  for (int y = 0; y < area.h; ++y) {
    for (int x = 0; x < area.w; ++x) {
      Colour want = at(page, x / scale, y / scale);
      Colour got = at(capture, area.x + x, area.y + y);
      if (got == want) continue;
      tally.miss([&] {
        std::ostringstream what;
        what << "page pixel (" << x / scale << "," << y / scale << ") shows " << describe(got)
             << " at window (" << area.x + x << "," << area.y + y << "), wants " << describe(want);
        return what.str();
      });
    }
  }
  return finish(tally, summary.str(), "window pixels differ");
}

// One axis of the aspect-corrected picture: page pixel i covers window
// pixels [origin + i * span / count, ...).
struct Axis {
  int origin = 0;
  int span = 0;   // window pixels
  int count = 0;  // page pixels
  int centre(int i) const {
    return origin + static_cast<int>((2LL * i + 1) * span / (2LL * count));
  }
  int whole() const { return span / count; }
  bool exact() const { return span % count == 0; }
};

// Counts the run of window pixels around the middle of page pixel (i, j)
// that show exactly its colour, along one axis.
int runAround(const RgbImage& capture, int x, int y, int dx, int dy, const Area& area) {
  Colour c = at(capture, x, y);
  int run = 1;
  for (int s : {-1, 1}) {
    int px = x + s * dx, py = y + s * dy;
    while (area.contains(px, py) && at(capture, px, py) == c) {
      ++run;
      px += s * dx;
      py += s * dy;
    }
  }
  return run;
}

void checkSharp(const RgbImage& capture, const RgbImage& page, const Axis& ax, const Axis& ay,
                const Area& area, bool vertical, Tally& tally, long long& checked) {
  const Axis& along = vertical ? ay : ax;
  int low = along.exact() ? along.whole() : along.whole() - 1;
  int high = along.whole();
  for (int j = 0; j < page.height; ++j) {
    for (int i = 0; i < page.width; ++i) {
      int k = vertical ? j : i;
      int limit = vertical ? page.height : page.width;
      if (k == 0 || k == limit - 1) continue;
      Colour c = at(page, i, j);
      Colour before = vertical ? at(page, i, j - 1) : at(page, i - 1, j);
      Colour after = vertical ? at(page, i, j + 1) : at(page, i + 1, j);
      if (before == c || after == c) continue;
      ++checked;
      int run =
          runAround(capture, ax.centre(i), ay.centre(j), vertical ? 0 : 1, vertical ? 1 : 0, area);
      if (run >= low && run <= high) continue;
      tally.miss([&] {
        std::ostringstream what;
        what << "page pixel (" << i << "," << j << ") covers " << run << " whole "
             << (vertical ? "rows" : "columns") << ", wants " << low << ".." << high;
        return what.str();
      });
    }
  }
}

MatchResult matchFourThree(const RgbImage& capture, const RgbImage& page) {
  long long w = capture.width, h = w * 3 / 4;
  if (h > capture.height) {
    h = capture.height;
    w = h * 4 / 3;
  }
  Area area{static_cast<int>((capture.width - w) / 2), static_cast<int>((capture.height - h) / 2),
            static_cast<int>(w), static_cast<int>(h)};
  std::ostringstream summary;
  summary << "4:3 view, " << capture.width << "x" << capture.height << " window, picture " << area.w
          << "x" << area.h << " at (" << area.x << "," << area.y << ")";
  if (area.w < page.width || area.h < page.height) {
    return {false, summary.str() + ": smaller than the page"};
  }
  Axis ax{area.x, area.w, page.width}, ay{area.y, area.h, page.height};
  Tally tally;
  checkBars(capture, area, tally);
  for (int j = 0; j < page.height; ++j) {
    for (int i = 0; i < page.width; ++i) {
      Colour want = at(page, i, j);
      Colour got = at(capture, ax.centre(i), ay.centre(j));
      if (got == want) continue;
      tally.miss([&] {
        std::ostringstream what;
        what << "middle of page pixel (" << i << "," << j << ") shows " << describe(got)
             << ", wants " << describe(want);
        return what.str();
      });
    }
  }
  long long checked = 0;
  checkSharp(capture, page, ax, ay, area, true, tally, checked);
  checkSharp(capture, page, ax, ay, area, false, tally, checked);
  summary << ", sharpness checked at " << checked << " page pixels";
  if (checked == 0)
    tally.miss([] { return std::string("the page has no detail to check sharpness on"); });
  return finish(tally, summary.str(), "faults");
}

}  // namespace

MatchResult matchCapture(const RgbImage& capture, const RgbImage& page, bool aspectCorrected) {
  if (page.width < 1 || page.height < 1 || capture.width < 1 || capture.height < 1) {
    return {false, "empty picture"};
  }
  return aspectCorrected ? matchFourThree(capture, page) : matchPlain(capture, page);
}

}  // namespace dw
