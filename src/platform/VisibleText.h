#pragma once

// Text from outside the game (a file's content, a file name, a command
// line) as it may be shown: on stderr, in the notice row, a panel or a
// title. A terminal takes a control character as an order (ESC ] 2 sets its
// title, ESC [ ? 1000 h turns mouse reporting on), so none reaches it raw.

#include <string>
#include <string_view>

namespace dw {

// The text with every control character made visible: the C0 controls in
// caret notation (ESC as ^[, a line feed as ^J, a tab as ^I), DEL as ^?,
// the C1 controls as \u0080 to \u009f, and bytes that are no UTF-8 as \xNN.
// Printable ASCII and valid UTF-8 (accented letters, other scripts) are kept
// as they are; text already made visible comes back the same.
std::string visibleText(std::string_view text);

}  // namespace dw
