#include "terminal/TerminalKeys.h"

namespace dw {

const FrontKeys& terminalKeys() {
  static const FrontKeys keys = {
      {{"F1", "?"}, FrontAction::keyHelp, "These keys"},
      {{"F2", "l"}, FrontAction::messageLog, "Message log"},
      {{"F3"}, FrontAction::continueRun, "Continue the last run (start screen)"},
      {{"F4", "r"}, FrontAction::pastRuns, "Past runs: pick one to continue"},
      {{"F5", "x"}, FrontAction::lookAround, "What is around you, in words"},
      {{"F12"}, FrontAction::picture, "Screenshot"},
      {{"Ctrl+Z"}, FrontAction::suspend, "Suspend (fg goes on)"},
  };
  return keys;
}

}  // namespace dw
