#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dw {

// The entries of one or more key=value files, in the order they were read.
// Loads only append; the first entry with a key is the one that counts.
struct KeyValueTable {
  struct Entry {
    std::string key;
    std::string value;
    std::string lowerKey;  // the key with A..Z lowered, for lookups
  };
  std::vector<Entry> entries;

  // Where each key is first found; rebuilt when entries were added directly.
  mutable std::unordered_map<std::string, std::size_t> firstByKey;
  mutable std::size_t indexedEntries = 0;
};

inline const std::string missingValue = "%%";

std::string lowerAscii(std::string_view text);

// Appends the entries of a file's bytes: lines end at CR LF only, the first
// "=" splits a line into key and value, lines without "=" are skipped, and
// nothing is trimmed.
// With skipShadowed, an entry whose key the table already holds is not
// added again: it could never be found, so lookups stay the same while a
// file loaded at every new game does not grow the table without end.
void appendKeyValueText(std::string_view bytes, KeyValueTable& table, bool skipShadowed = false);

// The value of the first entry whose key matches without regard to the case
// of A..Z, lowered; "%%" when there is none.
std::string lookupValue(std::string_view key, const KeyValueTable& table);

// Lowers the text and capitalises its first byte and every byte after a blank.
std::string properName(std::string_view text);
// Drops a pair of surrounding double quotes, then applies properName.
std::string unquoteName(std::string_view text);

}  // namespace dw
