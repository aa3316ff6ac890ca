#include "page/PageKeys.h"

namespace dw {

const FrontKeys& pageKeys() {
  static const FrontKeys keys = {
      {{"F1"}, FrontAction::keyHelp, "These keys (or the Keys button)"},
      {{"F2"}, FrontAction::messageLog, "Message log (or the Log button)"},
      {{"F3"}, FrontAction::continueRun, "Continue the last run (start screen)"},
      {{"F4"}, FrontAction::pastRuns, "Your kept runs, to continue any (or the Runs button)"},
      {{"F5"}, FrontAction::lookAround, "What is around you, in words (or the Look button)"},
      {{"F12"}, FrontAction::picture, "The screen as a PNG download (or the Picture button)"},
      {{"F10"}, FrontAction::aspect, "4:3 view"},
      {{"Alt+Enter"}, FrontAction::fullscreen, "Full screen"},
  };
  return keys;
}

}  // namespace dw
