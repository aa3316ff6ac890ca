#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Screen.h"
#include "runs/UserFolders.h"

namespace dw {

struct ScreenshotResult {
  bool saved = false;
  std::vector<std::filesystem::path> files;  // the page, then its enlargement
  std::string error;
};

// Saves the visible page as a 320 x 200 PNG named <stamp>.png in folder
// (made when missing) and, when scale > 1, the page enlarged by that
// whole-number scale as <stamp>-x<scale>.png. A name already taken gets a
// number, so no screenshot is ever written over.
ScreenshotResult saveScreenshot(const Screen& screen, int scale,
                                const std::filesystem::path& folder, const std::string& stamp);

// Saves a picture of the screen in the player's pictures folder
// (<pictures>/duskwarren) and returns what to tell the player: where it went,
// or why it was not saved.
std::string savePictureForPlayer(const Screen& screen, int scale, const Environment& env);

}  // namespace dw
