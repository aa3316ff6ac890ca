#include "runs/RunRecorder.h"

#include "platform/VisibleText.h"
#include "recording/Fingerprint.h"
#include "runs/KeptRuns.h"
#include "runs/UserFolders.h"
#include "runs/WindowRecorder.h"

namespace dw {

RunRecorder::RunRecorder(const Game& game, const std::filesystem::path& folder,
                         const CaughtUpRun* run)
    : fingerprint_(gameFilesFingerprint("")), checkpoints_(*this, fingerprint_) {
  if (!run) {
    fresh_ = std::make_unique<WindowRecorder>(game, folder, fileStamp(), fingerprint_);
    return;
  }
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  continued_.start(*run, continuedRecordingPath(run->path, folder).string());
  checkpoints_.countFrom(run->keep.keys);
}

RunRecorder::~RunRecorder() = default;

void RunRecorder::onKey(const std::string& key) {
  if (fresh_) {
    fresh_->onKey(key);
  } else {
    continued_.onKey(key);
  }
}

void RunRecorder::onTimer(double reading) {
  if (fresh_) {
    fresh_->onTimer(reading);
  } else {
    continued_.onTimer(reading);
  }
}

void RunRecorder::onLocalTime(const ClockTime& time) {
  if (fresh_) {
    fresh_->onLocalTime(time);
  } else {
    continued_.onLocalTime(time);
  }
}

void RunRecorder::finish(const Game& game) {
  if (fresh_) {
    fresh_->finish();
  } else {
    continued_.finish(game);
  }
}

const RecordingWriter* RunRecorder::writer() const {
  return fresh_ ? &fresh_->writer() : continued_.writer();
}

std::string RunRecorder::path() const {
  return fresh_ ? fresh_->path().string() : continued_.path();
}

std::string RunRecorder::error() const {
  return fresh_ ? fresh_->error() : continued_.error();
}

std::string runDescription(const std::filesystem::path& recording) {
  std::string name = recording.stem().string();
  std::size_t at = name.rfind("-seed");
  if (at == std::string::npos) return "of " + visibleText(recording.filename().string());
  std::size_t end = at + 5;
  if (end < name.size() && name[end] == '-') ++end;
  while (end < name.size() && name[end] >= '0' && name[end] <= '9') ++end;
  std::string text = "on seed " + name.substr(at + 5, end - at - 5);
  // Where it went, when the run's summary says so.
  auto summary = storedSummary(recording);
  if (summary && summary->played && summary->deepestLevel > 0) {
    text += ", level " + std::to_string(summary->deepestLevel) + ", " + countText(summary->turns) +
            " turns";
  }
  return text;
}

std::optional<CaughtUpRun> runToContinue(const std::string& file,
                                         const std::filesystem::path& folder, bool force,
                                         std::string& error) {
  std::string path = file;
  if (path.empty()) {
    auto newest = newestRun(folder);
    if (!newest) {
      error = "there is no run to continue in " + visibleText(folder.string());
      return std::nullopt;
    }
    path = newest->string();
  }
  return catchUpRun(path, force, error);
}

}  // namespace dw
