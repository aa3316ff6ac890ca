#include "FolderFiles.h"

#include <fstream>
#include <system_error>

#include "core/KeyValue.h"
#include "platform/SafeWrite.h"

namespace dw::lint {

namespace fs = std::filesystem;

std::optional<std::string> caseVariant(const fs::path& folder, std::string_view name) {
  std::error_code ec;
  const std::string wanted = lowerAscii(name);
  for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end; it.increment(ec)) {
    std::string found = it->path().filename().string();
    if (found != name && lowerAscii(found) == wanted) return found;
  }
  return std::nullopt;
}

FileBytes readFileBytes(const fs::path& path, std::uintmax_t limit) {
  FileBytes file;
  std::error_code ec;
  fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) return file;
  if (!fs::is_regular_file(status)) {
    file.state = FileBytes::State::notAFile;
    return file;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    file.state = FileBytes::State::unreadable;
    return file;
  }
  char buffer[65536];
  while (file.bytes.size() <= limit && in.read(buffer, sizeof buffer).gcount() > 0) {
    file.bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) {
    file.state = FileBytes::State::unreadable;
    file.bytes.clear();
    return file;
  }
  if (file.bytes.size() > limit) {
    file.bytes.resize(limit);
    file.cut = true;
  }
  file.state = FileBytes::State::ok;
  return file;
}

std::optional<std::string> replaceFile(const fs::path& path, std::string_view bytes) {
  // Written beside the file and renamed over it, so a failed write leaves
  // the file as it was and nothing else behind.
  std::string why = writeWholeFile(path.string(), bytes);
  if (why.empty()) return std::nullopt;
  return "cannot write " + path.string() + ": " + why;
}

}  // namespace dw::lint
