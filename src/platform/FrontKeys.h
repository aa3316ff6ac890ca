#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dw {

// What a key of a front-end's own does. The front-end acts on each itself,
// and the game never sees the key; but continueRun, which reaches the shell's
// key gate like a game key, and which the shell takes on the start screen
// only (elsewhere it is the game's key as ever).
enum class FrontAction {
  keyHelp,
  messageLog,
  pastRuns,
  continueRun,
  picture,
  aspect,
  fullscreen,
  suspend,
  lookAround,
};

inline constexpr FrontAction allFrontActions[] = {
    FrontAction::keyHelp,     FrontAction::messageLog, FrontAction::pastRuns,
    FrontAction::continueRun, FrontAction::picture,    FrontAction::aspect,
    FrontAction::fullscreen,  FrontAction::suspend,    FrontAction::lookAround};
// The action's name, as the page's script knows it.
const char* actionName(FrontAction action);

// One row of a front-end's table of its own keys: the keys that do it, by
// name ("F1", "?", "Alt+Enter", "Ctrl+Z"), what they do, and the words the
// key help shows for them. A front-end's key handling and its help are both
// read from its table, so the two cannot drift apart.
struct FrontKey {
  std::vector<std::string> keys;
  FrontAction action;
  std::string words;
};
using FrontKeys = std::vector<FrontKey>;

// Whether the front-end acts on the key itself (all but continueRun).
bool takenByFrontEnd(FrontAction action);

// The action of the key of that name in the table, if it has one.
std::optional<FrontAction> actionOfKey(const FrontKeys& table, std::string_view name);
// The row of the table for that action, or nullptr.
const FrontKey* rowOf(const FrontKeys& table, FrontAction action);
// The names of a row's keys joined by `between` ("F1 or ?").
std::string keyNames(const FrontKey& row, std::string_view between);

// The name a table knows a game key by: "F1" to "F12" for the function keys,
// "Ctrl+A" to "Ctrl+Z" for control characters (but Tab, Enter and Escape,
// which are keys of their own), the character itself for a printable one;
// empty for any other key.
std::string nameOfKey(std::string_view key);

}  // namespace dw
