#include "runs/CheckpointBytes.h"

#include <cstring>

#include "core/GameStateWalk.h"
#include "platform/headless/HeadlessPlatform.h"
#include "recording/Fingerprint.h"
#include "runs/CheckpointRanges.h"

namespace dw {

namespace {

// Raised with every change to what a checkpoint holds or how.
constexpr std::uint32_t checkpointLayout = 2;

// Little-endian numbers and length-prefixed strings.
class Packer {
 public:
  std::string out;
  void u8(std::uint8_t v) { out += static_cast<char>(v); }
  void u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void u64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
  void f64(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u64(bits);
  }
  void text(std::string_view s) {
    u32(static_cast<std::uint32_t>(s.size()));
    out.append(s);
  }
  void varint(std::uint64_t v) {
    for (; v >= 0x80; v >>= 7) u8(static_cast<std::uint8_t>(v | 0x80));
    u8(static_cast<std::uint8_t>(v));
  }
};

// Reads what a Packer wrote; any read past the end fails the whole.
class Unpacker {
 public:
  explicit Unpacker(std::string_view in) : in_(in) {}
  bool ok = true;
  std::uint8_t u8() {
    if (pos_ >= in_.size()) {
      ok = false;
      return 0;
    }
    return static_cast<std::uint8_t>(in_[pos_++]);
  }
  std::uint32_t u32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(u8()) << (8 * i);
    return v;
  }
  std::uint64_t u64() {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<std::uint64_t>(u8()) << (8 * i);
    return v;
  }
  std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
  double f64() {
    std::uint64_t bits = u64();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
  std::string text() {
    std::uint32_t size = u32();
    if (!ok || size > in_.size() - pos_) {
      ok = false;
      return {};
    }
    std::string s(in_.substr(pos_, size));
    pos_ += size;
    return s;
  }
  std::uint64_t varint() {
    std::uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      std::uint8_t b = u8();
      v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) return v;
    }
    ok = false;
    return 0;
  }
  bool atEnd() const { return pos_ == in_.size(); }

 private:
  std::string_view in_;
  std::size_t pos_ = 0;
};

// The game's values, packed and unpacked by the same walk (io below), so
// the two cannot disagree.
void io(Packer& p, std::int32_t& v) {
  p.i32(v);
}
void io(Unpacker& u, std::int32_t& v) {
  v = u.i32();
}
void io(Packer& p, std::uint8_t& v) {
  p.u8(v);
}
void io(Unpacker& u, std::uint8_t& v) {
  v = u.u8();
}
void io(Packer& p, std::string& v) {
  p.text(v);
}
void io(Unpacker& u, std::string& v) {
  v = u.text();
}
template <typename IO, typename T, std::size_t N>
void io(IO& io_, std::array<T, N>& values) {
  for (auto& v : values) io(io_, v);
}

// The state field by field, as core/GameStateWalk.h walks it.
template <typename IO>
void stateFields(IO& x, GameState& s) {
  walkGameState(s, [&x](auto& field) { io(x, field); });
}

template <typename IO>
void gridFields(IO& x, LevelGrid& grid, CellClassTable& classes) {
  io(x, grid.glyphs);
  io(x, grid.seen);
  io(x, classes.classGlyphs);
  io(x, classes.classOf);
}

void packTable(Packer& p, const KeyValueTable& table) {
  p.u32(static_cast<std::uint32_t>(table.entries.size()));
  for (const auto& e : table.entries) {
    p.text(e.key);
    p.text(e.value);
    p.text(e.lowerKey);
  }
}

bool unpackTable(Unpacker& u, KeyValueTable& table) {
  std::uint32_t count = u.u32();
  table = KeyValueTable{};
  for (std::uint32_t i = 0; i < count && u.ok; ++i) {
    KeyValueTable::Entry e;
    e.key = u.text();
    e.value = u.text();
    e.lowerKey = u.text();
    table.entries.push_back(std::move(e));
  }
  return u.ok;
}

// A page as runs of one colour: length, then colour.
void packPage(Packer& p, const std::vector<std::uint8_t>& page) {
  p.varint(page.size());
  for (std::size_t i = 0; i < page.size();) {
    std::size_t run = 1;
    while (i + run < page.size() && page[i + run] == page[i]) ++run;
    p.varint(run);
    p.u8(page[i]);
    i += run;
  }
}

bool unpackPage(Unpacker& u, std::vector<std::uint8_t>& page) {
  std::uint64_t size = u.varint();
  if (!u.ok || size != static_cast<std::uint64_t>(Screen::pageSize)) return false;
  page.assign(Screen::pageSize, 0);
  for (std::size_t i = 0; i < page.size() && u.ok;) {
    std::uint64_t run = u.varint();
    std::uint8_t colour = u.u8();
    if (run == 0 || run > page.size() - i) return false;
    std::memset(page.data() + i, colour, run);
    i += run;
  }
  return u.ok;
}

void packScreen(Packer& p, const Screen::Saved& screen) {
  for (const auto& page : screen.pages) packPage(p, page);
  for (const Rgb& c : screen.palette) {
    p.u8(c.r);
    p.u8(c.g);
    p.u8(c.b);
  }
  for (int v : {screen.work, screen.visible, screen.row, screen.col, screen.fg, screen.bg})
    p.i32(v);
}

bool unpackScreen(Unpacker& u, Screen::Saved& screen) {
  for (auto& page : screen.pages) {
    if (!unpackPage(u, page)) return false;
  }
  for (Rgb& c : screen.palette) c = {u.u8(), u.u8(), u.u8()};
  for (int* v : {&screen.work, &screen.visible, &screen.row, &screen.col, &screen.fg, &screen.bg})
    *v = u.i32();
  return u.ok;
}

void packPlace(Packer& p, const CheckpointPlace& place) {
  const RecordingPoint& r = place.point;
  for (std::uint64_t v : {r.offset, r.entries, r.keys, r.timers, r.times}) p.u64(v);
  p.u32(r.chain);
  p.u64(place.dataFingerprint);
  p.u64(place.turns);
}

void unpackPlace(Unpacker& u, CheckpointPlace& place) {
  RecordingPoint& r = place.point;
  for (std::uint64_t* v : {&r.offset, &r.entries, &r.keys, &r.timers, &r.times}) *v = u.u64();
  r.chain = u.u32();
  place.dataFingerprint = u.u64();
  place.turns = u.u64();
}

}  // namespace

namespace {

std::array<const KeyValueTable*, 4> tablesOf(const Game& game) {
  return {&game.shopTable, &game.partyTable, &game.spellTable, &game.compassTable};
}

std::array<KeyValueTable*, 4> tablesOf(Game& game) {
  return {&game.shopTable, &game.partyTable, &game.spellTable, &game.compassTable};
}

bool sameTable(const KeyValueTable& a, const KeyValueTable& b) {
  if (a.entries.size() != b.entries.size()) return false;
  for (std::size_t i = 0; i < a.entries.size(); ++i) {
    const auto &x = a.entries[i], &y = b.entries[i];
    if (x.key != y.key || x.value != y.value || x.lowerKey != y.lowerKey) return false;
  }
  return true;
}

// The build a checkpoint must come from: its layout, release and rules.
std::string buildText() {
  return std::string(recordingGameVersion) + " rules " + std::to_string(gameRulesVersion);
}

}  // namespace

std::string saveCheckpoint(const Game& game, const CheckpointPlace& place) {
  Packer p;
  p.out.reserve(16384);
  p.out.append(checkpointMagic);
  p.u32(checkpointLayout);
  p.text(buildText());
  packPlace(p, place);
  GameState state = game.state;
  stateFields(p, state);
  LevelGrid grid = game.grid;
  CellClassTable classes = game.classes;
  gridFields(p, grid, classes);
  for (const KeyValueTable* table : tablesOf(game)) packTable(p, *table);
  Random::Saved random = game.random.save();
  p.u32(random.state);
  p.i32(random.last15);
  p.f64(random.lastRnd);
  p.u64(random.draws);
  packScreen(p, game.screen.save());
  p.u64(fnv1a64(fnv1a64Start, p.out));
  return std::move(p.out);
}

bool restoreCheckpoint(std::string_view bytes, Game& game, CheckpointPlace& place,
                       std::string& why) {
  if (bytes.size() < 12 || !bytes.starts_with(checkpointMagic)) {
    why = "not a checkpoint";
    return false;
  }
  std::string_view body = bytes.substr(0, bytes.size() - 8);
  Unpacker sum(bytes.substr(bytes.size() - 8));
  if (sum.u64() != fnv1a64(fnv1a64Start, body)) {
    why = "the checkpoint is damaged";
    return false;
  }
  Unpacker u(body.substr(4));
  if (u.u32() != checkpointLayout || u.text() != buildText()) {
    why = "the checkpoint is from another build";
    return false;
  }
  CheckpointPlace readPlace;
  unpackPlace(u, readPlace);
  GameState state;
  stateFields(u, state);
  LevelGrid grid;
  CellClassTable classes;
  gridFields(u, grid, classes);
  std::array<KeyValueTable, 4> tables;
  for (KeyValueTable& table : tables) unpackTable(u, table);
  Random::Saved random{u.u32(), u.i32(), u.f64(), u.u64()};
  Screen::Saved screen;
  if (!unpackScreen(u, screen) || !u.ok || !u.atEnd()) {
    why = "the checkpoint is damaged";
    return false;
  }
  // A good checksum proves only that the bytes are whole, not who wrote
  // them: every value goes through its range before the rules see it.
  if (std::string problem = checkpointGameProblem(state, grid, classes, random, screen);
      !problem.empty()) {
    why = "the checkpoint holds a game out of range: " + problem;
    return false;
  }
  if (readPlace.turns > readPlace.point.keys) {
    why = "the checkpoint holds a run out of range: more turns than keys";
    return false;
  }
  place = readPlace;
  game.state = std::move(state);
  game.grid = grid;
  game.classes = classes;
  auto into = tablesOf(game);
  for (std::size_t i = 0; i < tables.size(); ++i) *into[i] = std::move(tables[i]);
  game.random.restore(random);
  game.screen.restore(screen);
  game.endReason = EndReason::running;
  game.exitCode = 0;
  return true;
}

bool sameGame(const Game& a, const Game& b) {
  auto ta = tablesOf(a), tb = tablesOf(b);
  for (std::size_t i = 0; i < ta.size(); ++i) {
    if (!sameTable(*ta[i], *tb[i])) return false;
  }
  return a.state == b.state && a.grid == b.grid && a.classes == b.classes &&
         a.random.save() == b.random.save() && a.screen.save() == b.screen.save() &&
         a.endReason == b.endReason && a.exitCode == b.exitCode;
}

void copyGame(const Game& from, Game& to) {
  to.state = from.state;
  to.grid = from.grid;
  to.classes = from.classes;
  auto source = tablesOf(from);
  auto target = tablesOf(to);
  for (std::size_t i = 0; i < source.size(); ++i) {
    target[i]->entries = source[i]->entries;
    target[i]->firstByKey.clear();
    target[i]->indexedEntries = 0;
  }
  to.random.restore(from.random.save());
  to.screen.restore(from.screen.save());
  to.endReason = from.endReason;
  to.exitCode = from.exitCode;
}

std::optional<std::string> checkedCheckpoint(const Game& game, const CheckpointPlace& place) {
  std::string bytes = saveCheckpoint(game, place);
  HeadlessPlatform scratch;
  Game fresh(scratch);
  CheckpointPlace readBack;
  std::string why;
  if (!restoreCheckpoint(bytes, fresh, readBack, why)) return std::nullopt;
  if (!(readBack.point == place.point) || readBack.dataFingerprint != place.dataFingerprint ||
      readBack.turns != place.turns || !sameGame(game, fresh))
    return std::nullopt;
  return bytes;
}
}  // namespace dw
