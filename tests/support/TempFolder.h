#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace dw::test {

// A folder of its own below the system's temporary folder, removed with
// everything in it at the end.
struct TempFolder {
  std::filesystem::path path;
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "duskwarren-test.XXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
};

}  // namespace dw::test
