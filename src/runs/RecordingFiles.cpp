#include "runs/RecordingFiles.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace dw {

namespace fs = std::filesystem;

fs::path recordingsFolder(const Environment& env) {
  return dataHome(env) / "duskwarren" / "recordings";
}

std::string recordingName(const std::string& stamp, std::optional<std::int64_t> seed) {
  return stamp + (seed ? "-seed" + std::to_string(*seed) : std::string()) + ".dwrec";
}

namespace {

bool digits(std::string_view text, std::size_t count) {
  if (text.size() != count) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// "-2", "-seed42", "-seed-7", "-2-seed42": what may follow the stamp.
bool stampTail(std::string_view tail) {
  if (tail.empty()) return true;
  if (tail[0] != '-') return false;
  tail.remove_prefix(1);
  if (tail.substr(0, 4) == "seed") {
    tail.remove_prefix(4);
    if (!tail.empty() && tail[0] == '-') tail.remove_prefix(1);
    return !tail.empty() && digits(tail, tail.size()) && tail.size() <= 20;
  }
  std::size_t end = tail.find('-');
  std::string_view number = tail.substr(0, end);
  if (number.empty() || number.size() > 9 || !digits(number, number.size())) return false;
  return end == std::string_view::npos || stampTail(tail.substr(end));
}

struct Kept {
  fs::path path;
  fs::file_time_type changed;
};

}  // namespace

bool isGameRecordingName(const std::string& name) {
  // <yyyy>-<mm>-<dd>-<hhmmss>[-<n>][-seed<seed>].dwrec
  std::string_view text = name;
  constexpr std::string_view suffix = ".dwrec";
  if (text.size() < 17 + suffix.size() || text.substr(text.size() - suffix.size()) != suffix)
    return false;
  text.remove_suffix(suffix.size());
  return digits(text.substr(0, 4), 4) && text[4] == '-' && digits(text.substr(5, 2), 2) &&
         text[7] == '-' && digits(text.substr(8, 2), 2) && text[10] == '-' &&
         digits(text.substr(11, 6), 6) && stampTail(text.substr(17));
}

std::size_t pruneRecordings(const fs::path& folder, std::size_t keep, const fs::path& keepAlways) {
  std::error_code error;
  std::vector<Kept> recordings;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const fs::path& path = entry.path();
    // The game being recorded now counts among those kept, whatever its name.
    if (fs::equivalent(path, keepAlways, error)) {
      if (keep > 0) --keep;
      continue;
    }
    if (!isGameRecordingName(path.filename().string()) || !entry.is_regular_file(error)) continue;
    auto changed = fs::last_write_time(path, error);
    if (!error) recordings.push_back({path, changed});
  }
  if (recordings.size() <= keep) return 0;
  // The newest first: a game still played or continued was written last.
  std::sort(recordings.begin(), recordings.end(), [](const Kept& a, const Kept& b) {
    if (a.changed != b.changed) return a.changed > b.changed;
    return a.path.filename() > b.path.filename();
  });
  std::size_t removed = 0;
  for (std::size_t i = keep; i < recordings.size(); ++i) {
    if (!fs::remove(recordings[i].path, error)) continue;
    ++removed;
    // Its checkpoint, written by the game beside it, goes with it.
    fs::path checkpoint = fs::path(recordings[i].path).replace_extension(".dwcp");
    if (fs::is_regular_file(checkpoint, error)) fs::remove(checkpoint, error);
  }
  return removed;
}

}  // namespace dw
