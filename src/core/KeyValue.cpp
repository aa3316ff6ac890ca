#include "core/KeyValue.h"

namespace dw {

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

namespace {

void indexTable(const KeyValueTable& table) {
  if (table.indexedEntries > table.entries.size()) {
    table.firstByKey.clear();
    table.indexedEntries = 0;
  }
  for (; table.indexedEntries < table.entries.size(); ++table.indexedEntries) {
    table.firstByKey.emplace(table.entries[table.indexedEntries].lowerKey, table.indexedEntries);
  }
}

void appendLine(std::string_view line, KeyValueTable& table, bool skipShadowed) {
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return;
  std::string_view key = line.substr(0, eq);
  std::string lowerKey = lowerAscii(key);
  if (skipShadowed) {
    indexTable(table);
    if (table.firstByKey.count(lowerKey) != 0) return;
  }
  table.entries.push_back(
      {std::string(key), std::string(line.substr(eq + 1)), std::move(lowerKey)});
}

}  // namespace

void appendKeyValueText(std::string_view bytes, KeyValueTable& table, bool skipShadowed) {
  for (;;) {
    std::size_t end = bytes.find("\r\n");
    if (end == std::string_view::npos) break;
    appendLine(bytes.substr(0, end), table, skipShadowed);
    bytes.remove_prefix(end + 2);
  }
  appendLine(bytes, table, skipShadowed);
}

std::string lookupValue(std::string_view key, const KeyValueTable& table) {
  indexTable(table);
  auto found = table.firstByKey.find(lowerAscii(key));
  if (found == table.firstByKey.end()) return missingValue;
  return lowerAscii(table.entries[found->second].value);
}

std::string properName(std::string_view text) {
  std::string out = lowerAscii(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if ((i == 0 || out[i - 1] == ' ') && out[i] >= 'a' && out[i] <= 'z') {
      out[i] = static_cast<char>(out[i] - 'a' + 'A');
    }
  }
  return out;
}

std::string unquoteName(std::string_view text) {
  if (!text.empty() && text.front() == '"' && text.back() == '"') {
    text = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string_view();
  }
  return properName(text);
}

}  // namespace dw
