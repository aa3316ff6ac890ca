#include "Trace.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string_view>

namespace dw {

namespace {

// Bytes 0..127 as themselves (escaped where JSON needs it), 128..255 as the
// code points U+0080..U+00FF.
std::string jsonString(const std::string& bytes) {
  std::string out = "\"";
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    if (b == '"' || b == '\\') {
      out += '\\';
      out += static_cast<char>(b);
    } else if (b < 0x20 || b == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", b);
      out += buf;
    } else if (b < 0x80) {
      out += static_cast<char>(b);
    } else {
      out += static_cast<char>(0xC0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out + "\"";
}

std::string memberTable(const MemberTable& table) {
  std::string out = "[";
  for (int m = 1; m <= maxMembers; ++m) {
    out += m > 1 ? ",[" : "[";
    for (int i = 1; i <= statCount; ++i) {
      if (i > 1) out += ",";
      out += std::to_string(table[m][i]);
    }
    out += "]";
  }
  return out + "]";
}

template <typename Cell>
std::string gridText(const Game& game, Cell cell) {
  std::string out = "[";
  for (int row = 0; row < gridRows; ++row) {
    if (row > 0) out += ",";
    out += "\"";
    for (int col = 0; col < gridCols; ++col) out += cell(game.grid, row, col);
    out += "\"";
  }
  return out + "]";
}

}  // namespace

std::string traceLine(const Game& game, const std::string& event, const std::string* key) {
  const GameState& s = game.state;
  std::ostringstream out;
  out << "{\"event\":\"" << event << "\"";
  if (key) out << ",\"key\":" << jsonString(*key);
  out << ",\"levelNumber\":" << s.levelNumber << ",\"levelShop\":" << s.levelShop
      << ",\"heroRow\":" << s.heroRow << ",\"heroCol\":" << s.heroCol
      << ",\"currentMember\":" << s.currentMember << ",\"gold\":" << s.gold
      << ",\"keys\":" << s.keys << ",\"bombs\":" << s.bombs << ",\"openCells\":" << s.openCells
      << ",\"exploredCells\":" << s.exploredCells << ",\"visionCells\":" << s.visionCells
      << ",\"seed\":" << s.seed << ",\"messageLine\":" << jsonString(s.messageLine)
      << ",\"memberStats\":" << memberTable(s.memberStats)
      << ",\"memberStatMax\":" << memberTable(s.memberStatMax)
      << ",\"memberSpells\":" << memberTable(s.memberSpells)
      << ",\"memberSpellLevels\":" << memberTable(s.memberSpellLevels)
      << ",\"rndCalls\":" << game.random.draws();
  out << ",\"glyphGrid\":" << gridText(game, [](const LevelGrid& g, int r, int c) {
    static const char hex[] = "0123456789abcdef";
    std::uint8_t v = g.glyphs[r][c];
    return std::string{hex[v >> 4], hex[v & 15]};
  });
  out << ",\"seenGrid\":" << gridText(game, [](const LevelGrid& g, int r, int c) {
    return std::string(1, static_cast<char>('0' + (g.seen[r][c] > 9 ? 9 : g.seen[r][c])));
  });
  out << "}";
  return out.str();
}

std::string endLine(const std::string& reason) {
  return "{\"event\":\"end\",\"reason\":\"" + reason + "\"}";
}

void TraceRecorder::onLevel(const Game& game) {
  lines_.push_back(traceLine(game, "level", nullptr));
}

void TraceRecorder::onCycle(const Game& game) {
  lines_.push_back(traceLine(game, "cycle", &game.state.lastKey));
}

void TraceRecorder::finish(const Game& game) {
  lines_.push_back(endLine(game.endReason == EndReason::quit ? "quit" : "keys"));
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
