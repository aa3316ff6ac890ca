#include "runs/RunSummary.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "platform/VisibleText.h"
#include "recording/Recording.h"

namespace dw {

namespace {

constexpr std::string_view summaryMagic = "dwrun 1";

int membersStanding(const GameState& s) {
  int standing = 0;
  for (int m = 1; m <= maxMembers; ++m) {
    if (s.memberStats[m][stat::hp] > 0) ++standing;
  }
  return standing;
}

template <typename Number>
std::optional<Number> wholeNumber(std::string_view text, Number lo, Number hi) {
  Number value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < lo || value > hi) return std::nullopt;
  return value;
}

// Printable ASCII without spaces at either end: what a build or an ending
// may be.
bool plainWord(std::string_view text) {
  if (text.empty() || text.size() > 64 || text.front() == ' ' || text.back() == ' ') return false;
  for (char c : text) {
    if (c < ' ' || c > '~') return false;
  }
  return true;
}

// The key=value lines after the first; nothing when a line is no such pair
// or a key comes twice.
std::optional<std::map<std::string, std::string, std::less<>>> summaryFields(
    std::string_view text) {
  std::map<std::string, std::string, std::less<>> fields;
  while (!text.empty()) {
    std::size_t newline = text.find('\n');
    if (newline == std::string_view::npos) return std::nullopt;  // cut short
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline + 1);
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) return std::nullopt;
    if (!fields.emplace(line.substr(0, equals), line.substr(equals + 1)).second)
      return std::nullopt;
  }
  return fields;
}

}  // namespace

void RunTally::onLevel(const Game& game) {
  deepest_ = std::max(deepest_, game.state.levelNumber);
  if (next_) next_->onLevel(game);
}

void RunTally::onCycle(const Game& game) {
  ++turns_;
  if (next_) next_->onCycle(game);
}

void RunTally::onKeyRead(const Game& game) {
  if (next_) next_->onKeyRead(game);
}

void RunTally::carryOn(std::int64_t turns, std::int32_t deepestLevel) {
  deepest_ = std::max(deepest_, deepestLevel);
  turns_ += turns;
}

RunSummary RunTally::summary(const Game& game) const {
  RunSummary out;
  if (started()) out.seed = game.state.seed;
  out.deepestLevel = deepest_;
  out.turns = turns_;
  out.gold = game.state.gold;
  out.standing = membersStanding(game.state);
  return out;
}

std::string endingOfRecording(std::string_view closingEntry) {
  if (closingEntry.empty()) return "cut off";
  // The recording's own words, which a forged file may fill with anything.
  return visibleText(closingEntry);
}

std::string countText(std::int64_t value) {
  std::uint64_t magnitude = static_cast<std::uint64_t>(value);
  if (value < 0) magnitude = 0 - magnitude;
  std::string digits = std::to_string(magnitude);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return value < 0 ? "-" + out : out;
}

std::string summaryFileText(const StoredSummary& stored) {
  const RunSummary& summary = stored.summary;
  std::string text(summaryMagic);
  text += "\nbuild=" + stored.build;
  text += "\nrecording-bytes=" + std::to_string(stored.recordingBytes);
  text += "\nlast-played=" + std::to_string(stored.lastPlayed);
  text += "\nplayed=" + std::string(summary.played ? "yes" : "no");
  text += "\nseed=" + (summary.seed ? std::to_string(*summary.seed) : std::string("-"));
  text += "\nlevel=" + std::to_string(summary.deepestLevel);
  text += "\nturns=" + std::to_string(summary.turns);
  text += "\ngold=" + std::to_string(summary.gold);
  text += "\nstanding=" + std::to_string(summary.standing);
  text += "\nended=" + summary.ending + "\n";
  return text;
}

std::optional<StoredSummary> parseSummaryFile(std::string_view text) {
  if (text.size() > 4096 || text.substr(0, summaryMagic.size() + 1) != "dwrun 1\n")
    return std::nullopt;
  auto fields = summaryFields(text.substr(summaryMagic.size() + 1));
  if (!fields || fields->size() != 10) return std::nullopt;
  auto field = [&](std::string_view key) -> std::string_view {
    auto it = fields->find(key);
    return it == fields->end() ? std::string_view() : std::string_view(it->second);
  };
  StoredSummary out;
  out.build = std::string(field("build"));
  auto bytes = wholeNumber<std::uintmax_t>(field("recording-bytes"), 0, UINTMAX_MAX);
  auto lastPlayed = wholeNumber<std::int64_t>(field("last-played"), INT64_MIN, INT64_MAX);
  auto level = wholeNumber<std::int32_t>(field("level"), 0, INT32_MAX);
  // No run has more turns than a recording can hold keys.
  auto turns = wholeNumber<std::int64_t>(field("turns"), 0, recordingMaxBytes);
  auto gold = wholeNumber<std::int32_t>(field("gold"), INT32_MIN, INT32_MAX);
  auto standing = wholeNumber<int>(field("standing"), 0, maxMembers);
  std::string_view played = field("played"), seed = field("seed"), ended = field("ended");
  if (!plainWord(out.build) || !bytes || !lastPlayed || !level || !turns || !gold || !standing ||
      (played != "yes" && played != "no") || !plainWord(ended))
    return std::nullopt;
  if (seed != "-") {
    auto value = wholeNumber<std::int64_t>(seed, INT64_MIN, INT64_MAX);
    if (!value) return std::nullopt;
    out.summary.seed = *value;
  }
  out.recordingBytes = *bytes;
  out.lastPlayed = *lastPlayed;
  out.summary = {out.summary.seed,   *level,         *turns, *gold, *standing,
                 std::string(ended), played == "yes"};
  return out;
}

}  // namespace dw
