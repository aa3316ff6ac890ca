#include "runs/RunFiles.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "runs/RunLock.h"

namespace dw {

namespace fs = std::filesystem;

fs::path recordingsFolder(const Environment& env) {
  return gameRunsFolder(env) / "recordings";
}

std::string recordingName(const std::string& stamp, std::optional<std::int64_t> seed) {
  return stamp + (seed ? "-seed" + std::to_string(*seed) : std::string()) +
         std::string(recordingExtension);
}

fs::path freePath(const fs::path& folder, const std::string& head, const std::string& tail) {
  std::error_code error;
  for (int n = 1;; ++n) {
    fs::path candidate = folder / (n == 1 ? head + tail : head + "-" + std::to_string(n) + tail);
    if (!fs::exists(candidate, error)) return candidate;
  }
}

fs::path newRecordingPath(const fs::path& folder, const std::string& stamp, std::int64_t seed) {
  std::string name = recordingName(stamp, seed);
  return freePath(folder, stamp, name.substr(stamp.size()));
}

fs::path continuedRecordingPath(const fs::path& recording, const fs::path& folder,
                                std::int64_t seed, const std::string& stamp) {
  std::error_code error;
  if (fs::equivalent(recording.parent_path(), folder, error)) return recording;
  return newRecordingPath(folder, stamp, seed);
}

namespace {

bool digits(std::string_view text, std::size_t count) {
  if (text.size() != count) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool someDigits(std::string_view text) {
  return !text.empty() && digits(text, text.size());
}

// "-2", "-seed42", "-seed-7", "-2-seed42": what may follow the stamp.
bool stampTail(std::string_view tail) {
  if (tail.empty()) return true;
  if (tail[0] != '-') return false;
  tail.remove_prefix(1);
  if (tail.substr(0, 4) == "seed") {
    tail.remove_prefix(4);
    if (!tail.empty() && tail[0] == '-') tail.remove_prefix(1);
    return someDigits(tail) && tail.size() <= 20;
  }
  std::size_t end = tail.find('-');
  std::string_view number = tail.substr(0, end);
  if (number.size() > 9 || !someDigits(number)) return false;
  return end == std::string_view::npos || stampTail(tail.substr(end));
}

}  // namespace

bool isGameRecordingName(const std::string& name) {
  // <yyyy>-<mm>-<dd>-<hhmmss>[-<n>][-seed<seed>].dwrec
  std::string_view text = name;
  if (text.size() < 17 + recordingExtension.size() ||
      text.substr(text.size() - recordingExtension.size()) != recordingExtension)
    return false;
  text.remove_suffix(recordingExtension.size());
  return digits(text.substr(0, 4), 4) && text[4] == '-' && digits(text.substr(5, 2), 2) &&
         text[7] == '-' && digits(text.substr(8, 2), 2) && text[10] == '-' &&
         digits(text.substr(11, 6), 6) && stampTail(text.substr(17));
}

std::optional<std::int64_t> seedOfRecordingName(const fs::path& recording) {
  std::string stem = recording.stem().string();
  std::size_t at = stem.rfind("-seed");
  if (at == std::string::npos) return std::nullopt;
  std::string_view rest(stem);
  rest.remove_prefix(at + 5);
  std::int64_t seed = 0;
  auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), seed);
  if (ec != std::errc()) return std::nullopt;
  // A run continued under a free name has "-n" after its seed.
  std::string_view after = rest.substr(static_cast<std::size_t>(end - rest.data()));
  if (!after.empty() && (after[0] != '-' || !someDigits(after.substr(1)))) return std::nullopt;
  return seed;
}

std::vector<PlayedRecording> recordingsLastPlayedFirst(const fs::path& folder) {
  std::vector<PlayedRecording> recordings;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    std::error_code fileError;
    if (entry.path().extension() != recordingExtension || !entry.is_regular_file(fileError))
      continue;
    PlayedRecording recording{entry.path(), entry.last_write_time(fileError)};
    if (!fileError) recording.bytes = entry.file_size(fileError);
    if (!fileError) recordings.push_back(std::move(recording));
  }
  std::sort(recordings.begin(), recordings.end(),
            [](const PlayedRecording& a, const PlayedRecording& b) {
              if (a.lastPlayed != b.lastPlayed) return a.lastPlayed > b.lastPlayed;
              return a.path.filename() > b.path.filename();
            });
  return recordings;
}

std::optional<fs::path> newestRun(const fs::path& folder) {
  for (const PlayedRecording& recording : recordingsLastPlayedFirst(folder)) {
    // A run another game plays now is passed over.
    if (seedOfRecordingName(recording.path) && !runHolder(recording.path)) return recording.path;
  }
  return std::nullopt;
}

fs::path sidecarPath(const fs::path& recording, std::string_view extension) {
  fs::path path = recording;
  if (path.extension() == recordingExtension) return path.replace_extension(extension);
  return path += extension;
}

bool removeRun(const fs::path& recording) {
  std::error_code error;
  if (!fs::remove(recording, error)) return false;
  for (std::string_view extension : sidecarExtensions) {
    fs::path sidecar = sidecarPath(recording, extension);
    if (fs::is_regular_file(sidecar, error)) fs::remove(sidecar, error);
  }
  return true;
}

std::size_t pruneRecordings(const fs::path& folder, std::size_t keep, const fs::path& keepAlways) {
  removeLeftovers(folder);
  std::vector<fs::path> recordings;  // the run last played first
  for (const PlayedRecording& recording : recordingsLastPlayedFirst(folder)) {
    const fs::path& path = recording.path;
    std::error_code error;
    // The game being recorded now counts among those kept, whatever its name,
    // and so does a run another game plays.
    if (fs::equivalent(path, keepAlways, error) || runHolder(path)) {
      if (keep > 0) --keep;
      continue;
    }
    if (isGameRecordingName(path.filename().string())) recordings.push_back(path);
  }
  std::size_t removed = 0;
  for (std::size_t i = keep; i < recordings.size(); ++i) {
    if (removeRun(recordings[i])) ++removed;
  }
  return removed;
}

}  // namespace dw
