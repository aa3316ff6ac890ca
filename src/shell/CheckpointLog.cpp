#include "shell/CheckpointLog.h"

namespace dw {

namespace {

// The tally goes first: whether the turns before the run was taken up are
// known, the deepest level and the turns, then the log.
constexpr std::size_t tallyBytes = 1 + 4 + 8;

void putNumber(std::string& out, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint64_t number(std::string_view in, std::size_t at, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i)
    v |= std::uint64_t{static_cast<std::uint8_t>(in[at + i])} << (8 * i);
  return v;
}

}  // namespace

std::string CheckpointLog::companionBytes(const Game& game) const {
  RunSummary so = tally_.summary(game);
  std::string out;
  putNumber(out, tally_.unknownBefore() ? 1 : 0, 1);
  putNumber(out, static_cast<std::uint32_t>(so.deepestLevel), 4);
  putNumber(out, static_cast<std::uint64_t>(so.turns), 8);
  return out + log_.saved();
}

void LogAndTally::onLevel(const Game& game) {
  tally_.onLevel(game);
  log_.onLevel(game);
  if (next_) next_->onLevel(game);
}

void LogAndTally::onCycle(const Game& game) {
  tally_.onCycle(game);
  log_.onCycle(game);
  if (next_) next_->onCycle(game);
}

void LogAndTally::onMessageReplaced(const Game& game, std::string_view earlier) {
  log_.onMessageReplaced(game, earlier);
  if (next_) next_->onMessageReplaced(game, earlier);
}

void LogAndTally::onKeyRead(const Game& game) {
  // A game taken up from the middle: its party is no news.
  if (!log_.begun()) log_.takeUp(game);
  if (next_) next_->onKeyRead(game);
}

bool restoreCheckpointLog(std::string_view bytes, MessageLog& log, RunTally& tally) {
  if (bytes.size() < tallyBytes || number(bytes, 0, 1) > 1) return false;
  MessageLog restored = log;
  if (!restored.restore(bytes.substr(tallyBytes))) return false;
  RunTally kept;
  if (number(bytes, 0, 1) == 1) kept.carryOnUnknown();
  RunSummary before;
  before.deepestLevel = static_cast<std::int32_t>(number(bytes, 1, 4));
  before.turns = static_cast<std::int64_t>(number(bytes, 5, 8));
  if (before.deepestLevel < 0 || before.turns < 0) return false;
  kept.carryOn(before);
  log = std::move(restored);
  tally = kept;
  return true;
}

}  // namespace dw
