#include "runs/Checkpoint.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "platform/CappedRead.h"
#include "platform/SafeWrite.h"
#include "platform/VisibleText.h"
#include "runs/RunFiles.h"

namespace dw {

namespace {

// The companion file: its magic and layout line, the checkpoint's place,
// the length of the bytes kept, the bytes, and a checksum of all before it.
constexpr std::string_view companionHead = "dwlog 1\n";
// Far above any message log the session keeps.
constexpr std::size_t companionMost = 64u << 20;

std::uint64_t fnv1a(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (char c : bytes) {
    hash ^= static_cast<std::uint8_t>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

void putU64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint64_t getU64(std::string_view in, std::size_t at) {
  std::uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= std::uint64_t{static_cast<std::uint8_t>(in[at + i])} << (8 * i);
  return v;
}

std::array<std::uint64_t, 6> pointFields(const RecordingPoint& p) {
  return {p.offset, p.entries, p.chain, p.keys, p.timers, p.times};
}

}  // namespace

bool writeCheckpointFile(const std::string& path, std::string_view bytes, std::string& error) {
  // Made again from the recording when lost: never synced.
  std::string why = writeWholeFile(path, bytes, WriteKind::cache);
  if (!why.empty()) error = "cannot write " + visibleText(path) + ": " + why;
  return why.empty();
}

bool writeCheckpointLog(const std::string& recording, const RecordingPoint& point,
                        std::string_view bytes, std::string& error) {
  std::string out(companionHead);
  for (std::uint64_t field : pointFields(point)) putU64(out, field);
  putU64(out, bytes.size());
  out.append(bytes);
  putU64(out, fnv1a(out));
  return writeCheckpointFile(checkpointLogPathOf(recording).string(), out, error);
}

std::optional<std::string> readCheckpointLog(const std::string& recording,
                                             const RecordingPoint& point) {
  std::string why;
  auto text = readCappedFile(checkpointLogPathOf(recording).string(), companionMost,
                             "a checkpoint's log", why, FileOrigin::found);
  constexpr std::size_t fixed = companionHead.size() + 7 * 8;
  if (!text || text->size() < fixed + 8 || !text->starts_with(companionHead)) return std::nullopt;
  std::string_view all(*text);
  std::size_t end = all.size() - 8;
  if (getU64(all, end) != fnv1a(all.substr(0, end))) return std::nullopt;
  auto wanted = pointFields(point);
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    if (getU64(all, companionHead.size() + 8 * i) != wanted[i]) return std::nullopt;
  }
  std::uint64_t length = getU64(all, companionHead.size() + 48);
  if (length != end - fixed) return std::nullopt;
  return std::string(all.substr(fixed, length));
}

bool writeTakenCheckpoint(const std::string& recording, const TakenCheckpoint& taken,
                          std::string& error) {
  if (taken.companion && !writeCheckpointLog(recording, taken.point, *taken.companion, error))
    return false;
  return writeCheckpointFile(checkpointPathOf(recording).string(), taken.bytes, error);
}

std::optional<TakenCheckpoint> CheckpointTaker::take(const Game& game) const {
  const RecordingWriter* writer = recorder_.writer();
  if (!writer || !writer->recording() || game.state.levelNumber <= 0) return std::nullopt;
  const RecordingPoint& point = writer->point();
  auto bytes = checkedCheckpoint(game, {point, fingerprint_, turns_});
  if (!bytes) return std::nullopt;
  TakenCheckpoint taken{std::move(*bytes), std::nullopt, point};
  if (companion_) taken.companion = companion_->companionBytes(game);
  return taken;
}

bool CheckpointTaker::write(const TakenCheckpoint& taken) {
  error_.clear();
  lastKeys_ = taken.point.keys;
  return writeTakenCheckpoint(recorder_.path(), taken, error_);
}

void CheckpointTaker::onKeyRead(const Game& game) {
  if (next_) next_->onKeyRead(game);
  const RecordingWriter* writer = recorder_.writer();
  if (!writer || !writer->recording() || game.state.levelNumber <= 0) return;
  if (writer->point().keys < lastKeys_ + every_) return;
  lastKeys_ = writer->point().keys;
  auto taken = take(game);
  if (!taken) {
    error_ = "a checkpoint did not restore to the same game";
    return;
  }
  write(*taken);
}

}  // namespace dw
