// The key/value loader: any bytes as a data file, then lookups of keys taken
// from the file itself, checked against a plain first-match scan, and the
// number reading of every value found.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "core/KeyValue.h"
#include "core/NumberText.h"

namespace {

using dw::fuzz::require;

struct Line {
  std::string key, value, lowerKey;
};

DW_FUZZ_CHECK_CODE std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

// The file read the slow, obvious way: lines end at CR LF only, the first
// "=" splits, lines without "=" are skipped.
DW_FUZZ_CHECK_CODE std::vector<Line> plainEntries(std::string_view bytes) {
  std::vector<Line> entries;
  auto add = [&](std::string_view line) {
    std::size_t eq = line.find('=');
    if (eq != std::string_view::npos) {
      std::string key(line.substr(0, eq));
      entries.push_back({key, std::string(line.substr(eq + 1)), lowered(key)});
    }
  };
  std::size_t start = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (bytes[i] == '\r' && bytes[i + 1] == '\n') {
      add(bytes.substr(start, i - start));
      start = i + 2;
      ++i;
    }
  }
  add(bytes.substr(start));
  return entries;
}

DW_FUZZ_CHECK_CODE std::string plainLookup(const std::vector<Line>& entries, std::string_view key) {
  const std::string wanted = lowered(key);
  for (const auto& e : entries) {
    if (e.lowerKey == wanted) return lowered(e.value);
  }
  return "%%";
}

DW_FUZZ_CHECK_CODE std::string flippedCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 32);
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c + 32);
  }
  return out;
}

// A value that is blanks, an optional sign and up to nine digits followed by
// something that cannot continue a number reads as exactly that integer.
DW_FUZZ_CHECK_CODE void checkPlainInteger(std::string_view value, std::int32_t got) {
  std::size_t i = 0;
  while (i < value.size() && value[i] == ' ') ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
  std::size_t digitsStart = i;
  std::int64_t n = 0;
  while (i < value.size() && value[i] >= '0' && value[i] <= '9' && i - digitsStart < 9) {
    n = n * 10 + (value[i++] - '0');
  }
  if (i == digitsStart) return;
  if (i < value.size()) {
    char next = value[i];
    if ((next >= '0' && next <= '9') || next == '.' || next == 'e' || next == 'E') return;
  }
  require(got == (negative ? -n : n),
          "readNumber of \"" + std::string(value) + "\" gave " + std::to_string(got));
}

void checkValue(const std::string& value) {
  const std::int32_t number = dw::readNumber(value);
  require(number == dw::roundToInt32(dw::readReal(value)), "readNumber and readReal disagree");
  checkPlainInteger(value, number);
  const std::string name = dw::properName(value);
  require(name.size() == value.size(), "properName changed the length");
  require(dw::properName(name) == name, "properName is not stable");
  const std::string unquoted = dw::unquoteName(value);
  require(unquoted.size() <= value.size(), "unquoteName grew the text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<Line> expected = plainEntries(bytes);

  dw::KeyValueTable all, firstOnly;
  dw::appendKeyValueText(bytes, all);
  dw::appendKeyValueText(bytes, firstOnly, true);
  require(all.entries.size() == expected.size(), "entry count differs from a plain reading");

  // Keys from the file, in other cases, cut short, and a few that are absent.
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < expected.size() && keys.size() < 256; ++i) {
    const std::string& k = expected[i].key;
    keys.push_back(k);
    keys.push_back(flippedCase(k));
    if (!k.empty()) keys.push_back(k.substr(0, k.size() - 1));
    keys.push_back(k + "=");
  }
  keys.push_back("");
  keys.push_back("%%");
  keys.push_back("party/810/nas");
  for (const auto& key : keys) {
    const std::string want = plainLookup(expected, key);
    const std::string got = dw::lookupValue(key, all);
    require(got == want, "lookup of \"" + key + "\" gave \"" + got + "\", not \"" + want + "\"");
    require(dw::lookupValue(key, firstOnly) == want, "a table without shadowed keys differs");
    checkValue(got);
  }

  // Loading the same file again appends a second copy and changes no lookup.
  dw::appendKeyValueText(bytes, all);
  dw::appendKeyValueText(bytes, firstOnly, true);
  require(all.entries.size() == 2 * expected.size(), "a second load did not append");
  for (std::size_t i = 0; i < keys.size() && i < 64; ++i) {
    require(dw::lookupValue(keys[i], all) == dw::lookupValue(keys[i], firstOnly),
            "a second load changed a lookup");
  }
  require(dw::lookupValue("x", dw::KeyValueTable{}) == "%%", "an empty table found a key");
  require(dw::readNumber("%%") == 0, "the missing marker reads as a number");
  return 0;
}
