#pragma once

#include "platform/FrontKeys.h"

namespace dw {

// The page's own keys: the one table the page's key handling (handed to its
// script) and its key help are both read from. The page has buttons for
// them too.
const FrontKeys& pageKeys();

}  // namespace dw
