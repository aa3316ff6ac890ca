#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace dw {

// Reads one environment variable; nothing when it is unset.
using Environment = std::function<std::optional<std::string>(const std::string& name)>;
// The process's own environment.
Environment processEnvironment();

// The player's folders as the desktop names them: $XDG_DATA_HOME (else
// ~/.local/share) and the pictures folder ($XDG_PICTURES_DIR, else the one
// named in ~/.config/user-dirs.dirs, else ~/Pictures). A relative path in
// one of these variables counts as unset, as the desktop's rules say.
std::filesystem::path homeFolder(const Environment& env);
std::filesystem::path dataHome(const Environment& env);
// $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path configHome(const Environment& env);
std::filesystem::path picturesFolder(const Environment& env);

// The game's own folders among the player's: its settings, its runs (the
// recordings folder is in it) and its pictures. On Linux and the like
// $XDG_CONFIG_HOME/duskwarren, $XDG_DATA_HOME/duskwarren and the pictures
// folder's duskwarren; on Windows %APPDATA%\Duskwarren,
// %LOCALAPPDATA%\Duskwarren and Duskwarren in the Pictures folder.
std::filesystem::path gameSettingsFolder(const Environment& env);
std::filesystem::path gameRunsFolder(const Environment& env);
std::filesystem::path gamePicturesFolder(const Environment& env);

// A path from UTF-8, the way the game keeps every path and name.
std::filesystem::path pathOfText(const std::string& utf8);

// The path with the home folder written as "~", for the player to read.
std::string shortPath(const std::filesystem::path& path, const Environment& env);

// The local date and time as a file name's start: "2026-12-07-131502".
std::string fileStamp();
// A moment in local time, written with a strftime format.
std::string localTimeText(std::time_t moment, const char* format);

}  // namespace dw
