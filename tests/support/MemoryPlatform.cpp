#include "support/MemoryPlatform.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace dw::test {

std::optional<std::string> MemoryPlatform::readFile(const std::string& path) {
  ++reads_;
  if (auto found = files_.find(path); found != files_.end()) return found->second;
  if (shared_) {
    if (auto found = shared_->find(path); found != shared_->end()) return found->second;
  }
  if (!diskFallback_) return std::nullopt;
  return HeadlessPlatform::readFile(path);
}

FileMap readGameFolder(const std::string& folder) {
  namespace fs = std::filesystem;
  FileMap files;
  std::error_code error;
  for (const char* sub : {"res", "tiles", "drivers"}) {
    fs::path dir = fs::path(folder) / sub;
    if (!fs::is_directory(dir, error)) continue;
    for (const auto& entry : fs::directory_iterator(dir, error)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      files[std::string(sub) + "\\" + entry.path().filename().string()] = bytes.str();
    }
  }
  return files;
}

}  // namespace dw::test
