#include "window/WindowKeys.h"

namespace dw {

const FrontKeys& windowKeys() {
  static const FrontKeys keys = {
      {{"F1"}, FrontAction::keyHelp, "These keys"},
      {{"F2"}, FrontAction::messageLog, "Message log"},
      {{"F3"}, FrontAction::continueRun, "Continue the last run (start screen)"},
      {{"F4"}, FrontAction::pastRuns, "Past runs: pick one to continue"},
      {{"F5"}, FrontAction::lookAround, "What is around you, in words"},
      {{"F10"}, FrontAction::aspect, "4:3 view"},
      {{"F11", "Alt+Enter"}, FrontAction::fullscreen, "Full screen"},
      {{"F12"}, FrontAction::picture, "Screenshot"},
  };
  return keys;
}

}  // namespace dw
