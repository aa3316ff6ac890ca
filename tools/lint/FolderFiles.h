#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dw::lint {

// The name of an entry of `folder` that differs from `name` only in the case
// of its letters: the game, looking for the exact name, would not find it.
std::optional<std::string> caseVariant(const std::filesystem::path& folder, std::string_view name);

// A file read whole, as the game reads it: at most `limit` bytes.
struct FileBytes {
  enum class State { ok, missing, notAFile, unreadable };
  State state = State::missing;
  std::string bytes;
  bool cut = false;  // the file is longer than the limit
};
FileBytes readFileBytes(const std::filesystem::path& path, std::uintmax_t limit);

// Writes the bytes to the file through a temporary beside it. Returns an
// explanation when that fails.
std::optional<std::string> replaceFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace dw::lint
