#pragma once

#include "platform/FrontKeys.h"

namespace dw {

// The window's own keys: the one table its key handling and its key help
// are both read from.
const FrontKeys& windowKeys();

}  // namespace dw
