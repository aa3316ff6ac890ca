#include "frame/Command.h"

#include "core/GameState.h"
#include "platform/Platform.h"

namespace dw {

namespace {

Command step(Direction direction) {
  return {Action::step, direction, 0};
}

Command cast(int spellNumber) {
  return {Action::cast, Direction::up, spellNumber};
}

}  // namespace

Command commandOfKey(const std::string& key) {
  if (key.size() != 1) return {};
  switch (key[0]) {
    case escapeKey:
      return {Action::quit};
    case '~':
      return {Action::restart};
    case '+':
      return {Action::nextMember};
    case '-':
      return {Action::previousMember};
    case '8':
      return step(Direction::up);
    case '6':
      return step(Direction::right);
    case '2':
      return step(Direction::down);
    case '4':
      return step(Direction::left);
    case 'w':
      return cast(spell::warp);
    case 'v':
      return cast(spell::vision);
    case 't':
      return cast(spell::tinker);
    case 'p':
      return cast(spell::passage);
    case 'h':
      return cast(spell::heal);
    case 'f':
      return cast(spell::flare);
    case 'b':
      return {Action::bomb};
    case ' ':
      return {Action::space};
    default:
      return {};
  }
}

}  // namespace dw
