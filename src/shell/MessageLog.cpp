#include "shell/MessageLog.h"

#include "platform/Cp437.h"

namespace dw {

namespace {

bool alive(const GameState& s, int member) {
  return s.memberStats[member][stat::hp] > 0;
}

std::uint8_t colourOf(LogEntry::Kind kind) {
  switch (kind) {
    case LogEntry::Kind::message:
      return 15;
    case LogEntry::Kind::newGame:
    case LogEntry::Kind::level:
      return 14;
    case LogEntry::Kind::joined:
    case LogEntry::Kind::back:
      return 10;
    case LogEntry::Kind::fallen:
    case LogEntry::Kind::partyDown:
      return 12;
  }
  return 15;
}

}  // namespace

std::string placeOf(const LogEntry& entry) {
  return "L" + std::to_string(entry.level) + " T" + std::to_string(entry.turn);
}

std::string lineOf(const LogEntry& entry) {
  std::string line = placeOf(entry) + " ";
  for (char byte : entry.text) appendUtf8(line, unicodeOfCp437(static_cast<std::uint8_t>(byte)));
  return line;
}

void MessageLog::add(LogEntry::Kind kind, std::string text, std::int64_t turn) {
  entries_.push_back({kind, level_, turn, std::move(text)});
  if (sink_) sink_->take(entries_.back());
  while (entries_.size() > capacity) entries_.pop_front();
}

void MessageLog::onLevel(const Game& game) {
  const GameState& s = game.state;
  level_ = s.levelNumber;
  turn_ = 0;
  if (newGame_) {
    add(LogEntry::Kind::newGame, "A new game begins");
    newGame_ = false;
  }
  // A new game's members joining are told before its first level is drawn.
  if (!s.messageLine.empty()) add(LogEntry::Kind::message, s.messageLine);
  watchParty(game);
  add(LogEntry::Kind::level,
      "Level " + std::to_string(s.levelNumber) + " begun (seed " + std::to_string(s.seed) + ")");
}

void MessageLog::onCycle(const Game& game) {
  const GameState& s = game.state;
  ++turn_;
  if (!s.messageLine.empty()) add(LogEntry::Kind::message, s.messageLine);
  watchParty(game);
  // "~" ends this game; the next level belongs to a new one, and what
  // befell this party is no longer news.
  if (s.lastKey == "~") {
    newGame_ = true;
    notice_.clear();
  }
}

void MessageLog::onMessageReplaced(const Game&, std::string_view earlier) {
  // Said during a turn that onCycle has not counted yet.
  add(LogEntry::Kind::message, std::string(earlier), turn_ + 1);
}

void MessageLog::takeUp(const Game& game) {
  const GameState& s = game.state;
  level_ = s.levelNumber;
  newGame_ = false;
  bool anyAlive = false;
  for (int m = 1; m <= maxMembers; ++m) {
    hp_[m] = s.memberStats[m][stat::hp];
    everJoined_[m] = everJoined_[m] || hp_[m] > 0;
    anyAlive = anyAlive || (m <= s.partySize && hp_[m] > 0);
  }
  partyDown_ = !anyAlive;
}

void MessageLog::clear() {
  LogSink* sink = sink_;
  *this = MessageLog();
  sink_ = sink;
}

void MessageLog::watchParty(const Game& game) {
  const GameState& s = game.state;
  bool anyAlive = false;
  for (int m = 1; m <= maxMembers; ++m) {
    std::int32_t hp = s.memberStats[m][stat::hp];
    bool was = hp_[m] > 0, is = hp > 0;
    if (is && !was) {
      add(everJoined_[m] ? LogEntry::Kind::back : LogEntry::Kind::joined,
          s.memberNames[m] + (everJoined_[m] ? " is back" : " joins the party"));
      everJoined_[m] = true;
    } else if (was && !is) {
      add(LogEntry::Kind::fallen, s.memberNames[m] + " has fallen");
    }
    hp_[m] = hp;
    anyAlive = anyAlive || (m <= s.partySize && is);
  }
  bool down = !anyAlive;
  if (down && !partyDown_) add(LogEntry::Kind::partyDown, "The whole party has fallen");
  partyDown_ = down;

  if (down) {
    notice_ = "The whole party has fallen: ~ starts again, Escape quits";
  } else if (s.currentMember >= 1 && s.currentMember <= maxMembers && !alive(s, s.currentMember)) {
    notice_ = s.memberNames[s.currentMember] + " has fallen: + or - picks another member";
  } else {
    notice_.clear();
  }
}

OverlayContent MessageLog::panel() const {
  OverlayContent content;
  content.title = "Message log";
  content.footer = "PgUp PgDn \x18\x19: page";
  content.pageable = true;
  content.empty = "No messages yet.";
  for (const LogEntry& e : entries_) {
    content.lines.push_back({placeOf(e), e.text, 7, colourOf(e.kind)});
  }
  return content;
}

}  // namespace dw
