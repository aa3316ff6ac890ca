#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Report.h"

namespace dw::lint {

// One key=value line of a data file, as its author wrote it.
struct DataEntry {
  long long line = 0;  // as an editor counts lines
  std::string key;
  std::string value;  // as written; the game hands it back lowered
};

// A data file read the way its author meant it: lines end at CR LF, or at a
// lone LF in a file that has them (the game itself would not split there; the
// line-ending check reports that). Lookups follow the game: keys match
// without regard to the case of A..Z and the first entry with a key counts.
class DataFile {
 public:
  std::string name;      // as shown in findings, e.g. "res/party.dat"
  bool present = false;  // false: the game finds no such file
  std::vector<DataEntry> entries;

  // The first entry with this key, or nothing.
  const DataEntry* find(std::string_view key) const;
  // The value the game reads: lowered, "%%" when the key is missing.
  std::string lookup(std::string_view key) const;
  // The first entry whose key, with blanks around it dropped, is this key:
  // the usual reason for a key the game does not find.
  const DataEntry* findWithBlanks(std::string_view key) const;

  void index();

 private:
  std::unordered_map<std::string, std::size_t> first_;
  std::unordered_map<std::string, std::size_t> firstTrimmed_;
};

// Splits the bytes into entries, reporting lines without "=" (other than
// blank lines and remarks starting with ";") and repeated keys.
DataFile parseDataFile(std::string name, std::string_view bytes, Report& report);

// Reports line endings other than CR LF, saying what the game will read.
void checkLineEndings(std::string_view name, std::string_view bytes, Report& report);
// True when the file holds a line ending other than CR LF.
bool hasForeignLineEndings(std::string_view bytes);
// Every lone LF and lone CR becomes CR LF; nothing else changes.
std::string withCrLf(std::string_view bytes);

// How the game reads a value as a number.
struct NumberReading {
  bool isNumber = false;  // the value starts with a number (after blanks)
  bool exact = true;      // nothing but blanks follows, and no rounding
  std::int32_t value = 0;
};
NumberReading readDataNumber(std::string_view text);

// Reads the value of an entry as a number and reports a value the game reads
// other than as written: no number at all (`missingLevel`, since the game then
// reads 0), trailing text or rounding (warnings). Nothing when not a number.
std::optional<std::int32_t> checkedNumber(const DataFile& file, const DataEntry& entry,
                                          std::string_view what, Level missingLevel,
                                          Report& report);

std::string trimmedBlanks(std::string_view text);

// " (line N has it with blanks around the key ...)" when a line holds the key
// with blanks around it, else "".
std::string blankKeyHint(const DataFile& file, std::string_view key);
// The key and what the game does without it, as one message.
std::string missingKeyMessage(const DataFile& file, std::string_view key,
                              std::string_view consequence);

// Warns about every entry whose key the game never asks for. `known` holds
// the keys it does read, lowered; `explain` may add why a key is not read.
void reportUnreadKeys(const DataFile& file, const std::unordered_set<std::string>& known,
                      Report& report,
                      const std::function<std::string(std::string_view lowerKey)>& explain = {});

}  // namespace dw::lint
