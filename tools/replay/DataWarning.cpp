#include "DataWarning.h"

#include <filesystem>

namespace dw {

std::string missingDataWarning(const std::string& dataFolder) {
  std::error_code error;
  std::filesystem::path folder = dataFolder.empty() ? "." : dataFolder;
  if (std::filesystem::is_directory(folder / "res", error)) return {};
  return "warning: " + (dataFolder.empty() ? std::string("the current folder") : dataFolder) +
         " has no res/ folder: the game plays on without its party, spells, compass and shops";
}

}  // namespace dw
