#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace dw::test {

// A folder of its own below the system's temporary folder, removed with
// everything in it at the end.
struct TempFolder {
  std::filesystem::path path;
  TempFolder() {
    std::random_device seed;
    std::mt19937_64 draw(seed());
    std::error_code error;
    do {
      path = std::filesystem::temp_directory_path() /
             ("duskwarren-test." + std::to_string(draw() % 1000000000000u));
    } while (!std::filesystem::create_directory(path, error) && !error);
    if (error) throw std::filesystem::filesystem_error("no temporary folder", path, error);
  }
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
};

}  // namespace dw::test
