#include "around/RecordingFiles.h"

#include <algorithm>
#include <vector>

namespace dw {

namespace fs = std::filesystem;

fs::path recordingsFolder(const Environment& env) {
  return dataHome(env) / "duskwarren" / "recordings";
}

std::string recordingName(const std::string& stamp, std::optional<std::int64_t> seed) {
  return stamp + (seed ? "-seed" + std::to_string(*seed) : std::string()) + ".dwrec";
}

std::size_t pruneRecordings(const fs::path& folder, std::size_t keep, const fs::path& keepAlways) {
  std::error_code error;
  std::vector<fs::path> recordings;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const fs::path& path = entry.path();
    if (path.extension() != ".dwrec" || !entry.is_regular_file(error)) continue;
    if (fs::equivalent(path, keepAlways, error)) {
      if (keep > 0) --keep;
      continue;
    }
    recordings.push_back(path);
  }
  if (recordings.size() <= keep) return 0;
  std::sort(recordings.begin(), recordings.end(),
            [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
  std::size_t removed = 0;
  for (std::size_t i = 0; i + keep < recordings.size(); ++i) {
    if (!fs::remove(recordings[i], error)) continue;
    ++removed;
    // Its checkpoint, written by the game beside it, goes with it.
    fs::path checkpoint = fs::path(recordings[i]).replace_extension(".dwcp");
    if (fs::is_regular_file(checkpoint, error)) fs::remove(checkpoint, error);
  }
  return removed;
}

}  // namespace dw
