#include "Trace.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string_view>

namespace dw {

namespace {

// Writes the pieces of one trace line straight into a buffer from a given
// position on: each piece asks once for as much room as it can take, and
// the buffer only grows, so a line costs little more than its bytes. What
// lies past the end of the line is left as it was.
class LineBuilder {
 public:
  LineBuilder(std::string& out, std::size_t at) : out_(out), end_(at) {}
  std::size_t end() const { return end_; }

  void text(std::string_view piece) {
    std::memcpy(room(piece.size()), piece.data(), piece.size());
    end_ += piece.size();
  }
  template <typename Integer>
  void number(Integer value) {
    done(toText(room(maxDigits), value));
  }
  void field(std::string_view name, long long value) {
    text(name);
    number(value);
  }

  // Bytes 0..127 as themselves (escaped where JSON needs it), 128..255 as
  // the code points U+0080..U+00FF.
  void jsonString(std::string_view bytes) {
    char* p = room(bytes.size() * 6 + 2);
    *p++ = '"';
    for (char ch : bytes) {
      auto b = static_cast<unsigned char>(ch);
      if (b == '"' || b == '\\') {
        *p++ = '\\';
        *p++ = static_cast<char>(b);
      } else if (b < 0x20 || b == 0x7F) {
        const char escape[] = {'\\', 'u', '0', '0', hexDigits[b >> 4], hexDigits[b & 15]};
        p = std::copy(escape, escape + sizeof escape, p);
      } else if (b < 0x80) {
        *p++ = static_cast<char>(b);
      } else {
        *p++ = static_cast<char>(0xC0 | (b >> 6));
        *p++ = static_cast<char>(0x80 | (b & 0x3F));
      }
    }
    *p++ = '"';
    done(p);
  }

  // Members 1.. as rows of their statistics (or spells) 1..
  void memberTable(std::string_view name, const MemberTable& table) {
    text(name);
    char* p = room(2 + maxMembers * (3 + statCount * (maxDigits + 1)));
    *p++ = '[';
    for (int m = 1; m <= maxMembers; ++m) {
      if (m > 1) *p++ = ',';
      *p++ = '[';
      for (int i = 1; i <= statCount; ++i) {
        if (i > 1) *p++ = ',';
        p = toText(p, table[m][i]);
      }
      *p++ = ']';
    }
    *p++ = ']';
    done(p);
  }

  // Each row of a grid as one string, cellWidth characters a cell; rowText
  // writes the characters of one row.
  template <int cellWidth, typename RowText>
  void grid(std::string_view name, RowText rowText) {
    text(name);
    char* p = room(2 + gridRows * (3 + gridCols * cellWidth));
    *p++ = '[';
    for (int row = 0; row < gridRows; ++row) {
      if (row > 0) *p++ = ',';
      *p++ = '"';
      rowText(row, p);
      p += gridCols * cellWidth;
      *p++ = '"';
    }
    *p++ = ']';
    done(p);
  }

  static constexpr char hexDigits[] = "0123456789abcdef";

 private:
  static constexpr std::size_t maxDigits = 20;  // any 64-bit integer

  template <typename Integer>
  static char* toText(char* p, Integer value) {
    return std::to_chars(p, p + maxDigits, value).ptr;
  }
  // At least n bytes to write into after the line so far.
  char* room(std::size_t n) {
    if (end_ + n > out_.size()) out_.resize(std::max(2 * out_.size(), end_ + n + 4096));
    return out_.data() + end_;
  }
  void done(const char* p) { end_ = static_cast<std::size_t>(p - out_.data()); }

  std::string& out_;
  std::size_t end_;
};

// Writes a trace line into out from position at on; returns where it ends.
std::size_t writeTraceLine(std::string& out, std::size_t at, const Game& game,
                           std::string_view event, const std::string* key) {
  const GameState& s = game.state;
  LineBuilder line(out, at);
  line.text("{\"event\":\"");
  line.text(event);
  line.text("\"");
  if (key) {
    line.text(",\"key\":");
    line.jsonString(*key);
  }
  line.field(",\"levelNumber\":", s.levelNumber);
  line.field(",\"levelShop\":", s.levelShop);
  line.field(",\"heroRow\":", s.heroRow);
  line.field(",\"heroCol\":", s.heroCol);
  line.field(",\"currentMember\":", s.currentMember);
  line.field(",\"gold\":", s.gold);
  line.field(",\"keys\":", s.keys);
  line.field(",\"bombs\":", s.bombs);
  line.field(",\"openCells\":", s.openCells);
  line.field(",\"exploredCells\":", s.exploredCells);
  line.field(",\"visionCells\":", s.visionCells);
  line.field(",\"seed\":", s.seed);
  line.text(",\"messageLine\":");
  line.jsonString(s.messageLine);
  line.memberTable(",\"memberStats\":", s.memberStats);
  line.memberTable(",\"memberStatMax\":", s.memberStatMax);
  line.memberTable(",\"memberSpells\":", s.memberSpells);
  line.memberTable(",\"memberSpellLevels\":", s.memberSpellLevels);
  line.text(",\"rndCalls\":");
  line.number(game.random.draws());
  const LevelGrid& g = game.grid;
  line.grid<2>(",\"glyphGrid\":", [&g](int row, char* p) {
    static const auto pairs = [] {
      std::array<std::array<char, 2>, 256> table{};
      for (int v = 0; v < 256; ++v)
        table[v] = {LineBuilder::hexDigits[v >> 4], LineBuilder::hexDigits[v & 15]};
      return table;
    }();
    for (int col = 0; col < gridCols; ++col)
      std::memcpy(p + 2 * col, pairs[g.glyphs[row][col]].data(), 2);
  });
  line.grid<1>(",\"seenGrid\":", [&g](int row, char* p) {
    const std::uint8_t* seen = g.seen[row].data();
    for (int col = 0; col < gridCols; ++col) {
      p[col] = static_cast<char>('0' + std::min<std::uint8_t>(seen[col], 9));
    }
  });
  line.text("}");
  return line.end();
}

}  // namespace

void appendTraceLine(std::string& out, const Game& game, std::string_view event,
                     const std::string* key) {
  out.resize(writeTraceLine(out, out.size(), game, event, key));
}

std::string traceLine(const Game& game, const std::string& event, const std::string* key) {
  std::string line;
  appendTraceLine(line, game, event, key);
  return line;
}

std::string endLine(const std::string& reason) {
  return "{\"event\":\"end\",\"reason\":\"" + reason + "\"}";
}

TraceRecorder::TraceRecorder(std::FILE* sink, bool keepLines) : sink_(sink), keep_(keepLines) {}
TraceRecorder::TraceRecorder(SafeFile* sink, bool keepLines) : safeSink_(sink), keep_(keepLines) {}

void TraceRecorder::onLevel(const Game& game) {
  record(game, "level", nullptr);
}

void TraceRecorder::onCycle(const Game& game) {
  record(game, "cycle", &game.state.lastKey);
}

void TraceRecorder::finish(const Game& game) {
  std::string end = endLine(game.endReason == EndReason::quit ? "quit" : "keys");
  std::size_t start = pendingEnd_;
  if (pending_.size() < start + end.size()) pending_.resize(start + end.size());
  end.copy(pending_.data() + start, end.size());
  lineDone(start, start + end.size());
  flush();
}

void TraceRecorder::record(const Game& game, std::string_view event, const std::string* key) {
  std::size_t start = pendingEnd_;
  lineDone(start, writeTraceLine(pending_, start, game, event, key));
}

void TraceRecorder::lineDone(std::size_t start, std::size_t end) {
  if (keep_) lines_.emplace_back(pending_, start, end - start);
  if (!sink_ && !safeSink_) return;
  if (pending_.size() == end) pending_.resize(end + 1);
  pending_[end] = '\n';
  pendingEnd_ = end + 1;
  if (pendingEnd_ >= writeChunk) flush();
}

void TraceRecorder::flush() {
  if (pendingEnd_ > 0) {
    if (sink_ && std::fwrite(pending_.data(), 1, pendingEnd_, sink_) != pendingEnd_)
      writeFailed_ = true;
    if (safeSink_ && !safeSink_->write(std::string_view(pending_.data(), pendingEnd_)))
      writeFailed_ = true;
  }
  pendingEnd_ = 0;
}

namespace {

// A reader for the JSON this trace writes: objects, arrays, strings,
// integers. Anything else fails the parse.
class FlatReader {
 public:
  explicit FlatReader(const std::string& text) : text_(text) {}

  bool readObject(std::map<std::string, std::string>& out) {
    skip();
    if (!eat('{')) return false;
    skip();
    if (eat('}')) return atEnd();
    for (;;) {
      std::string name;
      if (!readString(name)) return false;
      skip();
      if (!eat(':')) return false;
      if (!readValue(name, out, 0)) return false;
      skip();
      if (eat('}')) return atEnd();
      if (!eat(',')) return false;
      skip();
    }
  }

 private:
  bool atEnd() {
    skip();
    return pos_ == text_.size();
  }
  void skip() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  bool eat(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool readString(std::string& raw) {
    std::size_t start = pos_;
    if (!eat('"')) return false;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      if (text_[pos_] == '\\') ++pos_;
      ++pos_;
    }
    if (!eat('"')) return false;
    raw = text_.substr(start + 1, pos_ - start - 2);
    return true;
  }
  bool readValue(const std::string& path, std::map<std::string, std::string>& out, int depth) {
    skip();
    if (pos_ >= text_.size() || depth > maxDepth) return false;
    if (text_[pos_] == '[') {
      ++pos_;
      skip();
      if (eat(']')) return true;
      // The party tables leave out member 0 and statistic or spell 0, so
      // their entries are named by the game's own numbers; grid rows count
      // from 0 like the grid.
      const int first = path.rfind("member", 0) == 0 ? 1 : 0;
      for (int i = first;; ++i) {
        if (!readValue(path + "[" + std::to_string(i) + "]", out, depth + 1)) return false;
        skip();
        if (eat(']')) return true;
        if (!eat(',')) return false;
      }
    }
    std::size_t start = pos_;
    if (text_[pos_] == '"') {
      std::string ignored;
      if (!readString(ignored)) return false;
    } else {
      if (text_[pos_] == '-') ++pos_;
      std::size_t digits = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
      if (pos_ == digits) return false;
    }
    out[path] = text_.substr(start, pos_ - start);
    return true;
  }

  static constexpr int maxDepth = 4;  // a trace nests arrays two deep
  const std::string& text_;
  std::size_t pos_ = 0;
};

// Names the row and column of the first cell that differs between two rows
// of a grid (two hex digits a cell for glyphs, one digit for seen).
std::string gridCellDifference(const std::string& field, const std::string& a,
                               const std::string& b) {
  std::size_t open = field.find('['), close = field.find(']');
  bool glyphs = field.rfind("glyphGrid", 0) == 0;
  int width = glyphs ? 2 : 1;
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 1; i + 1 < n; ++i) {
    if (a[i] != b[i]) {
      std::ostringstream out;
      std::size_t col = (i - 1) / width;
      out << "row " << field.substr(open + 1, close - open - 1) << ", column " << col << ": ";
      out << a.substr(1 + col * width, width) << " -> " << b.substr(1 + col * width, width);
      return out.str();
    }
  }
  return "lengths differ";
}

// Field names in the order a reader counts: the numbers in brackets by
// value, so glyphGrid[2] comes before glyphGrid[10].
bool fieldBefore(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      std::size_t ei = i, ej = j;
      while (ei < a.size() && digit(a[ei])) ++ei;
      while (ej < b.size() && digit(b[ej])) ++ej;
      std::string_view na(a.data() + i, ei - i), nb(b.data() + j, ej - j);
      while (na.size() > 1 && na.front() == '0') na.remove_prefix(1);
      while (nb.size() > 1 && nb.front() == '0') nb.remove_prefix(1);
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ei;
      j = ej;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

// What a party-table entry is in the game's words: "member 2, Mp" for
// memberStats[2][4], "member 3, Heal" for memberSpells[3][5].
std::string partyEntryName(const std::string& field) {
  static const char* const statNames[] = {"Hp", "Ap", "Dp", "Mp", "sight", "sense"};
  static const char* const spellNames[] = {"Warp", "Vision", "Tinker", "Passage", "Heal", "Flare"};
  int member = 0, entry = 0;
  char close = 0;
  std::size_t open = field.find('[');
  if (open == std::string::npos ||
      std::sscanf(field.c_str() + open, "[%d][%d%c", &member, &entry, &close) != 3 ||
      close != ']' || entry < 1 || entry > 6)
    return {};
  bool spells = field.rfind("memberSpell", 0) == 0;
  return "member " + std::to_string(member) + ", " +
         (spells ? spellNames[entry - 1] : statNames[entry - 1]);
}

}  // namespace

std::optional<std::map<std::string, std::string>> flattenTraceLine(const std::string& line) {
  std::map<std::string, std::string> out;
  FlatReader reader(line);
  if (!reader.readObject(out)) return std::nullopt;
  return out;
}

std::string compareTraces(const std::vector<std::string>& golden,
                          const std::vector<std::string>& replayed) {
  int cycle = 0;
  for (std::size_t i = 0; i < golden.size() || i < replayed.size(); ++i) {
    if (i >= golden.size())
      return "line " + std::to_string(i + 1) + ": the replay goes on past the golden trace";
    if (i >= replayed.size())
      return "line " + std::to_string(i + 1) + ": the replay ends before the golden trace";
    auto want = flattenTraceLine(golden[i]);
    auto got = flattenTraceLine(replayed[i]);
    if (!want) return "line " + std::to_string(i + 1) + ": the golden line is not a trace line";
    if (!got) return "line " + std::to_string(i + 1) + ": the replayed line is not a trace line";
    if ((*want)["event"] == "\"cycle\"") ++cycle;
    if (golden[i] == replayed[i]) continue;
    std::ostringstream report;
    report << "line " << i + 1 << " (cycle " << cycle << ", event " << (*want)["event"];
    if (want->count("key")) report << ", key " << (*want)["key"];
    report << ") differs:\n";
    std::vector<std::string> fields;
    for (const auto& entry : *want) fields.push_back(entry.first);
    for (const auto& entry : *got) {
      if (!want->count(entry.first)) fields.push_back(entry.first);
    }
    std::sort(fields.begin(), fields.end(), fieldBefore);
    for (const std::string& field : fields) {
      auto mine = want->find(field);
      if (mine == want->end()) {
        report << "  " << field << ": not in the golden line\n";
        continue;
      }
      const std::string& value = mine->second;
      auto other = got->find(field);
      std::string replayedValue = other == got->end() ? "(missing)" : other->second;
      if (value == replayedValue) continue;
      report << "  " << field;
      if (field.rfind("member", 0) == 0) {
        std::string name = partyEntryName(field);
        if (!name.empty()) report << " (" << name << ")";
      }
      report << ": ";
      if (field.rfind("glyphGrid", 0) == 0 || field.rfind("seenGrid", 0) == 0) {
        report << gridCellDifference(field, value, replayedValue);
      } else {
        report << "golden " << value << ", replayed " << replayedValue;
      }
      report << "\n";
    }
    return report.str();
  }
  return {};
}

}  // namespace dw
