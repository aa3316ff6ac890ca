#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "around/UserFolders.h"

namespace dw {

// How many recordings the game keeps: starting a new one removes the oldest
// beyond these.
inline constexpr std::size_t recordingsKept = 100;

// Where the window's games are recorded: <data home>/duskwarren/recordings.
std::filesystem::path recordingsFolder(const Environment& env);

// A recording's file name: "<stamp>-seed<seed>.dwrec", or "<stamp>.dwrec"
// while the seed is not known yet.
std::string recordingName(const std::string& stamp, std::optional<std::int64_t> seed);

// Removes the oldest recordings (by name, which starts with the date and
// time), each with its checkpoint (NAME.dwcp), so that at most keep remain,
// never touching keepAlways nor any file that is not a recording. Returns
// how many were removed.
std::size_t pruneRecordings(const std::filesystem::path& folder, std::size_t keep,
                            const std::filesystem::path& keepAlways);

}  // namespace dw
