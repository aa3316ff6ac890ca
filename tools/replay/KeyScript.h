#pragma once

#include <optional>
#include <string>

namespace dw {

// Turns the --keys text into key bytes: \r Enter, \e Escape, \b Backspace,
// \\ a backslash, \xNN any byte. Nothing for a malformed escape, with the
// reason in error.
std::optional<std::string> parseKeyScript(const std::string& text, std::string& error);

}  // namespace dw
