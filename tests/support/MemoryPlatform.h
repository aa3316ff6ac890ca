#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/headless/HeadlessPlatform.h"

namespace dw::test {

// Game files by game path ("res\party.dat", "tiles\219b0808.til").
using FileMap = std::map<std::string, std::string>;

// The headless backend with its files served from memory: a file in the
// map is read from there, a path marked missing cannot be opened, and any
// other path is read from a shared map (the shipped tiles, say) and then
// from the data root on disk.
class MemoryPlatform : public HeadlessPlatform {
 public:
  explicit MemoryPlatform(std::string keys = {}, double fixedTimer = 0.0)
      : HeadlessPlatform(std::move(keys), fixedTimer) {}

  void setFile(const std::string& gamePath, std::string bytes) {
    files_[gamePath] = std::move(bytes);
  }
  void setMissing(const std::string& gamePath) { files_[gamePath] = std::nullopt; }
  // Files looked up after this platform's own; kept alive by the caller too.
  void setShared(std::shared_ptr<const FileMap> shared) { shared_ = std::move(shared); }
  // With no data root and no shared file, a path reads as missing instead of
  // falling back to the working directory.
  void setDiskFallback(bool on) { diskFallback_ = on; }

  std::optional<std::string> readFile(const std::string& path) override;
  int reads() const { return reads_; }

 private:
  std::map<std::string, std::optional<std::string>> files_;
  std::shared_ptr<const FileMap> shared_;
  bool diskFallback_ = true;
  int reads_ = 0;
};

// Every file below a game folder (res/, tiles/, drivers/), by game path.
FileMap readGameFolder(const std::string& folder);

}  // namespace dw::test
