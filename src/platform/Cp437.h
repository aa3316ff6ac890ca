#pragma once

#include <cstdint>
#include <string>

namespace dw {

// The game's character set is code page 437: these turn its bytes into the
// characters a terminal or a desktop knows, and back.

// The Unicode character a code-page-437 byte shows. The graphic characters of
// codes 1..31 and 127 are included; 0 and 255 show as a plain space.
char32_t unicodeOfCp437(std::uint8_t code);

// The code-page-437 byte of a Unicode character, or -1 when the game's
// character set has none. Control characters have none.
int cp437FromUnicode(char32_t c);

// A printable ASCII character that looks most like the byte, for terminals
// that cannot show anything beyond ASCII. The full block gives a space: a
// terminal shows it as a space in the block's colour.
char asciiOfCp437(std::uint8_t code);

// Appends a character in UTF-8.
void appendUtf8(std::string& out, char32_t c);

}  // namespace dw
