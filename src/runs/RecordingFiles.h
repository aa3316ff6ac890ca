#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "recording/Recording.h"
#include "runs/UserFolders.h"

namespace dw {

// How many recordings the game keeps: starting a new one removes the oldest
// beyond these.
inline constexpr std::size_t recordingsKept = 100;

// Where the window's games are recorded: <data home>/duskwarren/recordings.
std::filesystem::path recordingsFolder(const Environment& env);

// A recording's file name: "<stamp>-seed<seed>.dwrec", or "<stamp>.dwrec"
// while the seed is not known yet.
std::string recordingName(const std::string& stamp, std::optional<std::int64_t> seed);

// A name the game gives its own recordings ("<stamp>[-n][-seed<seed>].dwrec",
// the stamp as 2026-12-07-141503). Any other file is the player's.
bool isGameRecordingName(const std::string& name);

// Removes the oldest of the game's own recordings (by the time each was
// last written, so a game still being played counts as new), each with its
// checkpoint (NAME.dwcp), so that at most keep remain, never touching keepAlways nor any file the
// game did not name. Returns how many were removed.
std::size_t pruneRecordings(const std::filesystem::path& folder, std::size_t keep,
                            const std::filesystem::path& keepAlways);

}  // namespace dw
