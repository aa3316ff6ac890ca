#include "platform/FrontKeys.h"

#include <algorithm>

#include "platform/Platform.h"

namespace dw {

const char* actionName(FrontAction action) {
  switch (action) {
    case FrontAction::keyHelp:
      return "keyHelp";
    case FrontAction::messageLog:
      return "messageLog";
    case FrontAction::pastRuns:
      return "pastRuns";
    case FrontAction::continueRun:
      return "continueRun";
    case FrontAction::picture:
      return "picture";
    case FrontAction::aspect:
      return "aspect";
    case FrontAction::fullscreen:
      return "fullscreen";
    case FrontAction::suspend:
      return "suspend";
    case FrontAction::lookAround:
      return "lookAround";
  }
  return "";
}

bool takenByFrontEnd(FrontAction action) {
  return action != FrontAction::continueRun;
}

std::optional<FrontAction> actionOfKey(const FrontKeys& table, std::string_view name) {
  if (name.empty()) return std::nullopt;
  for (const FrontKey& row : table) {
    if (std::find(row.keys.begin(), row.keys.end(), name) != row.keys.end()) return row.action;
  }
  return std::nullopt;
}

const FrontKey* rowOf(const FrontKeys& table, FrontAction action) {
  for (const FrontKey& row : table) {
    if (row.action == action) return &row;
  }
  return nullptr;
}

std::string keyNames(const FrontKey& row, std::string_view between) {
  std::string names;
  for (const std::string& key : row.keys) {
    if (!names.empty()) names += between;
    names += key;
  }
  return names;
}

std::string nameOfKey(std::string_view key) {
  if (key.size() == 2 && key[0] == '\0') {
    int code = static_cast<unsigned char>(key[1]);
    int f1 = static_cast<unsigned char>(extendedKey::f1);
    if (code >= f1 && code < f1 + 10) return "F" + std::to_string(code - f1 + 1);
    if (key[1] == extendedKey::f11) return "F11";
    if (key[1] == extendedKey::f12) return "F12";
    return {};
  }
  if (key.size() != 1) return {};
  auto c = static_cast<unsigned char>(key[0]);
  if (c >= 1 && c <= 26 && c != '\t' && c != '\r') return std::string("Ctrl+") + char('A' + c - 1);
  if (c >= 0x20 && c < 0x7F) return std::string(key);
  return {};
}

}  // namespace dw
