#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "runs/UserFolders.h"
#include "shell/Gamepad.h"

namespace dw {

// What the player's settings keep, read from
// $XDG_CONFIG_HOME/duskwarren/settings: "key = value" lines ending in LF,
// CR LF or CR alone, blanks around "=" allowed, "#" starting a comment line.
//
//   fullscreen = on | off
//   view-4-3 = on | off              the window's 4:3 view
//   terminal-colours = 16 | 256 | 24-bit | auto
//   arrow-keys = turn | walk          walk: the arrows give 8, 6, 2 and 4
//   pad-BUTTON = KEY                  what a gamepad button gives (Gamepad.h)
struct Settings {
  bool fullscreen = false;
  bool aspect = false;
  std::optional<int> terminalColours;  // 16, 256 or 24; nothing: as detected
  bool arrowsWalk = false;
  PadBindings pad = defaultPadBindings();
  // The file is there but could not be read whole (no permission, a FIFO, a
  // folder, far too long): it is never written over.
  bool unreadable = false;
  // Every line that could not be used, named for the player.
  std::vector<std::string> problems;
};

// Where the settings live: <config home>/duskwarren/settings.
std::filesystem::path settingsFile(const Environment& env);

// Reads the settings text; a bad line is named in problems and otherwise
// ignored.
Settings parseSettings(const std::string& text);

// Reads the settings file; a file that is missing gives the defaults, one that
// cannot be read gives them with the one problem named ("cannot read PATH:
// Permission denied", "PATH is a FIFO, not a file"). Only a regular file is
// read, and nothing is waited on.
Settings readSettings(const std::filesystem::path& file);

// The settings text with the values of settings written in: every line the
// game does not use (comments, other keys) is kept as it is, with its own
// line end, and the keys missing are added with the end the file uses most.
std::string settingsText(const std::string& old, const Settings& settings);

// Writes the settings, keeping the file's other lines: through a new file,
// synced, renamed over the old, so the old stays whole when the writing
// fails. A link is followed (its target is written, the link stays), and a
// file that cannot be read or is read-only is left as it was. Empty, or why
// it failed.
std::string writeSettings(const std::filesystem::path& file, const Settings& settings);

}  // namespace dw
