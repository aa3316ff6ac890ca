#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace dw {

// Runs the game without a window: keys come from a script, one byte each,
// and every clock reading is the same fixed value.
class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(std::string keys = {}, double fixedTimer = 0.0);

  void addKeys(const std::string& keys);
  // One key string as it is (a key of two bytes, 0 and a code, included).
  void addKey(std::string key) { pushKey(std::move(key)); }
  // Keys taken one at a time from a source (a recording played back) once
  // the queued ones are used up: the game sees them just as if every one had
  // been queued ahead, without a million of them waiting in memory.
  void setKeySource(std::function<std::optional<std::string>()> source) {
    source_ = std::move(source);
  }
  // Game paths are read below this folder instead of the working directory.
  void setDataRoot(std::string folder) { root_ = std::move(folder); }
  std::optional<std::string> readFile(const std::string& path) override;
  std::uint8_t portIn(int port) override;
  void portOut(int port, std::uint8_t value) override;
  int portReads() const { return portReads_; }

 protected:
  double readTimer() override { return timer_; }
  ClockTime readLocalTime() override { return {}; }
  bool waitEvents() override { return false; }  // the script is all there is
  void pumpEvents() override {
    if (hasKeys() || !source_) return;
    if (auto key = source_()) pushKey(std::move(*key));
  }

 private:
  double timer_;
  std::string root_;
  int portReads_ = 0;
  std::function<std::optional<std::string>()> source_;
};

}  // namespace dw
