#include "platform/headless/HeadlessPlatform.h"

namespace dw {

HeadlessPlatform::HeadlessPlatform(std::string keys, double fixedTimer) : timer_(fixedTimer) {
  addKeys(keys);
}

void HeadlessPlatform::addKeys(const std::string& keys) {
  for (char c : keys) pushKey(std::string(1, c));
}

std::optional<std::string> HeadlessPlatform::readFile(const std::string& path) {
  if (root_.empty()) return Platform::readFile(path);
  return Platform::readFile(root_ + "/" + path);
}

std::uint8_t HeadlessPlatform::portIn(int /*port*/) {
  ++portReads_;
  return 0;
}

void HeadlessPlatform::portOut(int /*port*/, std::uint8_t /*value*/) {}

}  // namespace dw
