#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dw {

// A number read from a data value: leading blanks skipped, then an optional
// sign, digits, fraction and exponent as far as they go; rounded to the
// nearest integer (halves to even) and held within the 32-bit range. Text
// that does not start with a number reads as 0.
std::int32_t readNumber(std::string_view text);

// Length of the decimal number (sign, digits, fraction, exponent) at the
// very start of text, 0 when none starts there.
std::size_t numberLength(std::string_view text);

// The same reading, unrounded (for values the game keeps as reals).
double readReal(std::string_view text);

// A typed line as an integer: like readNumber, and "&H", "&O" or "&B"
// followed by digits read in base 16, 8 or 2.
std::int32_t typedLineToInt(std::string_view text);

// Rounds to the nearest integer, halves to even, held within the 32-bit range.
std::int32_t roundToInt32(double value);

// Holds a 64-bit value within the 32-bit range.
std::int32_t clampToInt32(std::int64_t value);

}  // namespace dw
