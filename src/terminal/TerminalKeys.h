#pragma once

#include "platform/FrontKeys.h"

namespace dw {

// The terminal's own keys: the one table its key handling and its key help
// are both read from. Beside the function keys, which not every terminal
// passes on, a letter or sign opens each panel.
const FrontKeys& terminalKeys();

}  // namespace dw
