#pragma once

#include "platform/PanelText.h"

namespace dw {

// Every key of the game and of its window, as F1 shows them.
OverlayContent keyHelp();
// The keys while a recording is watched.
OverlayContent watchKeyHelp();

}  // namespace dw
