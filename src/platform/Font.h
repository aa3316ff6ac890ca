#pragma once

#include <array>
#include <cstdint>

namespace dw {

// The 8 x 8 code-page-437 font: 256 glyphs of eight rows, the most
// significant bit of a row being its leftmost pixel.
const std::array<std::array<std::uint8_t, 8>, 256>& fontGlyphs();

}  // namespace dw
