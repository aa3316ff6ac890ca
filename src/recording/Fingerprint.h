#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dw {

// FNV-1a, 64 bits, continuing from `hash`.
inline constexpr std::uint64_t fnv1a64Start = 14695981039346656037ull;
std::uint64_t fnv1a64(std::uint64_t hash, std::string_view bytes);

// The fingerprint of the files a game reads below `folder` (the current
// directory when empty): res/*.dat, tiles/*.til and drivers/mouse.bin. The
// files are taken in byte order of their paths, each as its path, a zero
// byte, its length as 8 bytes (least significant first) and its bytes as
// the game reads them (the first 16 MiB). Two folders with the same files
// give the same fingerprint; any change to one of those files, a file more
// or a file less, gives another.
std::uint64_t gameFilesFingerprint(const std::string& folder);

// The fingerprint as the recording's header writes it: 16 hex digits.
std::string fingerprintText(std::uint64_t fingerprint);

}  // namespace dw
