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
    case LogEntry::Kind::notice:
      return 11;
  }
  return 15;
}

// UTF-8 text in the game's character set; what it has no byte for shows as
// "?".
std::string cp437OfUtf8(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    auto lead = static_cast<std::uint8_t>(text[i]);
    int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    std::size_t next = i + 1;
    for (int k = 0;
         k < extra && next < text.size() && (static_cast<std::uint8_t>(text[next]) & 0xC0) == 0x80;
         ++k, ++next)
      c = (c << 6) | (static_cast<std::uint8_t>(text[next]) & 0x3F);
    int code =
        extra < 0 || next - i != static_cast<std::size_t>(extra) + 1 ? -1 : cp437FromUnicode(c);
    out += code >= 0 ? static_cast<char>(code) : '?';
    i = next;
  }
  return out;
}

// Little-endian numbers and length-prefixed bytes for the saved log; a read
// past the end fails the whole.
struct LogBytes {
  std::string_view in;
  std::size_t at = 0;
  bool ok = true;
  std::uint64_t number(int bytes) {
    if (in.size() - at < static_cast<std::size_t>(bytes)) ok = false;
    if (!ok) return 0;
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
      v |= std::uint64_t{static_cast<std::uint8_t>(in[at++])} << (8 * i);
    return v;
  }
  std::string text() {
    std::uint64_t size = number(4);
    if (!ok || size > in.size() - at) return ok = false, std::string();
    std::string out(in.substr(at, size));
    at += size;
    return out;
  }
};

void putNumber(std::string& out, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putText(std::string& out, std::string_view text) {
  putNumber(out, text.size(), 4);
  out.append(text);
}

constexpr std::uint64_t savedLogLayout = 1;

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

void MessageLog::addNotice(std::string_view utf8) {
  add(LogEntry::Kind::notice, cp437OfUtf8(utf8));
}

std::string MessageLog::saved() const {
  std::string out;
  putNumber(out, savedLogLayout, 4);
  std::size_t kept = 0;
  for (const LogEntry& e : entries_) kept += e.kind != LogEntry::Kind::notice;
  putNumber(out, kept, 4);
  for (const LogEntry& e : entries_) {
    if (e.kind == LogEntry::Kind::notice) continue;
    putNumber(out, static_cast<std::uint64_t>(e.kind), 1);
    putNumber(out, static_cast<std::uint32_t>(e.level), 4);
    putNumber(out, static_cast<std::uint64_t>(e.turn), 8);
    putText(out, e.text);
  }
  for (int m = 0; m <= maxMembers; ++m) {
    putNumber(out, static_cast<std::uint32_t>(hp_[m]), 4);
    putNumber(out, everJoined_[m], 1);
  }
  putNumber(out, partyDown_, 1);
  putNumber(out, newGame_, 1);
  putNumber(out, static_cast<std::uint32_t>(level_), 4);
  putNumber(out, static_cast<std::uint64_t>(turn_), 8);
  putText(out, notice_);
  return out;
}

bool MessageLog::restore(std::string_view bytes) {
  LogBytes in{bytes};
  if (in.number(4) != savedLogLayout) return false;
  std::uint64_t count = in.number(4);
  if (count > capacity) return false;
  MessageLog log;
  for (std::uint64_t i = 0; i < count && in.ok; ++i) {
    auto kind = in.number(1);
    if (kind >= static_cast<std::uint64_t>(LogEntry::Kind::notice)) return false;
    auto level = static_cast<std::int32_t>(in.number(4));
    auto turn = static_cast<std::int64_t>(in.number(8));
    log.entries_.push_back({static_cast<LogEntry::Kind>(kind), level, turn, in.text()});
  }
  for (int m = 0; m <= maxMembers; ++m) {
    log.hp_[m] = static_cast<std::int32_t>(in.number(4));
    log.everJoined_[m] = in.number(1) != 0;
  }
  log.partyDown_ = in.number(1) != 0;
  log.newGame_ = in.number(1) != 0;
  log.level_ = static_cast<std::int32_t>(in.number(4));
  log.turn_ = static_cast<std::int64_t>(in.number(8));
  log.notice_ = in.text();
  if (!in.ok || in.at != bytes.size()) return false;
  log.sink_ = sink_;
  *this = std::move(log);
  return true;
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
