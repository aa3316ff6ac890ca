#include "recording/Fingerprint.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/Platform.h"

namespace dw {

namespace {

namespace fs = std::filesystem;

bool endsWith(const std::string& name, std::string_view suffix) {
  return name.size() > suffix.size() &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The regular files of folder/sub whose names end in suffix, as paths
// relative to folder ("res/party.dat").
void collect(const fs::path& folder, const std::string& sub, std::string_view suffix,
             std::vector<std::string>& out) {
  std::error_code error;
  fs::directory_iterator it(folder / sub, error), end;
  for (; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    std::error_code typeError;
    if (endsWith(name, suffix) && it->is_regular_file(typeError)) out.push_back(sub + "/" + name);
  }
}

// The bytes the game reads from a file: at most its first 16 MiB.
std::string readGameBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string data;
  char buffer[65536];
  while (in && data.size() < Platform::maxFileBytes && in.read(buffer, sizeof buffer).gcount() > 0)
    data.append(buffer, static_cast<std::size_t>(in.gcount()));
  if (data.size() > Platform::maxFileBytes) data.resize(Platform::maxFileBytes);
  return data;
}

}  // namespace

std::uint64_t fnv1a64(std::uint64_t hash, std::string_view bytes) {
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

std::uint64_t gameFilesFingerprint(const std::string& folder) {
  fs::path root = folder.empty() ? fs::path(".") : fs::path(folder);
  std::vector<std::string> files;
  collect(root, "res", ".dat", files);
  collect(root, "tiles", ".til", files);
  std::error_code error;
  if (fs::is_regular_file(root / "drivers" / "mouse.bin", error))
    files.push_back("drivers/mouse.bin");
  std::sort(files.begin(), files.end());

  std::uint64_t hash = fnv1a64Start;
  for (const std::string& name : files) {
    std::string bytes = readGameBytes(root / name);
    hash = fnv1a64(hash, name);
    hash = fnv1a64(hash, std::string_view("\0", 1));
    std::uint64_t size = bytes.size();
    char length[8];
    for (char& b : length) {
      b = static_cast<char>(size & 0xFF);
      size >>= 8;
    }
    hash = fnv1a64(hash, std::string_view(length, 8));
    hash = fnv1a64(hash, bytes);
  }
  return hash;
}

std::string fingerprintText(std::uint64_t fingerprint) {
  static const char digits[] = "0123456789abcdef";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, fingerprint >>= 4)
    out[static_cast<std::size_t>(i)] = digits[fingerprint & 15];
  return out;
}

}  // namespace dw
