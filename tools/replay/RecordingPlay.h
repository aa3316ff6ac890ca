#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Game.h"
#include "platform/headless/HeadlessPlatform.h"
#include "recording/RecordedInput.h"
#include "recording/Recording.h"

namespace dw {

// Records a headless game. The file is opened at the first key read on the
// first level, when the seed the levels come from is known; what came
// before is kept until then.
class ReplayRecorder : public InputTap {
 public:
  ReplayRecorder(const Game& game, std::string path, std::uint64_t dataFingerprint)
      : game_(game), path_(std::move(path)), fingerprint_(dataFingerprint) {}

  void onKey(const std::string& key) override;
  void onTimer(double reading) override { writer_.onTimer(reading); }
  void onLocalTime(const ClockTime& time) override { writer_.onLocalTime(time); }
  // Opens the file if no key came, writes the closing entry; false, with
  // the reason in error(), when the file could not be written.
  bool finish(const std::string& reason);
  const std::string& error() const { return writer_.error(); }

 private:
  bool open();

  const Game& game_;
  std::string path_;
  std::uint64_t fingerprint_;
  RecordingWriter writer_;
  bool opened_ = false;
};

// The line to warn with when a data folder has no res/ folder at all;
// empty when it has one.
std::string missingDataWarning(const std::string& dataFolder);

}  // namespace dw
