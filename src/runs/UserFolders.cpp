#include "runs/UserFolders.h"

#ifdef _WIN32
#include "platform/WindowsApi.h"
// windows.h first
#include <knownfolders.h>
#include <shlobj.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <ctime>
#include <sstream>

#include "platform/CappedRead.h"

namespace dw {

namespace {

std::optional<std::filesystem::path> absoluteVariable(const Environment& env,
                                                      const std::string& name) {
  auto value = env(name);
  if (!value || value->empty() || (*value)[0] != '/') return std::nullopt;
  return std::filesystem::path(*value);
}

// The pictures folder named in user-dirs.dirs: a line
// XDG_PICTURES_DIR="$HOME/Pictures" or with an absolute path.
std::optional<std::filesystem::path> namedPicturesFolder(const Environment& env) {
  // The desktop's own file, found by the game: a regular file only, never
  // waited on; one that cannot be read names no folder.
  std::string error;
  constexpr std::size_t most = 64 * 1024;
  auto text = readCappedFile((configHome(env) / "user-dirs.dirs").string(), most,
                             "a list of folders", error, FileOrigin::found);
  std::istringstream in(text.value_or(""));
  const std::string key = "XDG_PICTURES_DIR=";
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, key.size(), key) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
    value = value.substr(1, value.size() - 2);
    if (value.compare(0, 5, "$HOME") == 0) {
      std::string rest = value.substr(5);
      if (!rest.empty() && rest[0] != '/') continue;
      // "$HOME/" alone means the desktop has no pictures folder of its own.
      if (rest.empty() || rest == "/") return std::nullopt;
      return homeFolder(env) / std::filesystem::path(rest).relative_path();
    }
    if (!value.empty() && value[0] == '/') return std::filesystem::path(value);
  }
  return std::nullopt;
}

}  // namespace

std::filesystem::path configHome(const Environment& env) {
  return absoluteVariable(env, "XDG_CONFIG_HOME").value_or(homeFolder(env) / ".config");
}

std::filesystem::path pathOfText(const std::string& utf8) {
  return std::filesystem::path(
      std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

#ifdef _WIN32

namespace {

std::string utf8Of(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// A variable naming a folder: an absolute Windows path ("C:\...", "\\server\...").
std::optional<std::filesystem::path> windowsFolder(const Environment& env,
                                                   const std::string& name) {
  auto value = env(name);
  if (!value || value->empty()) return std::nullopt;
  std::filesystem::path folder = pathOfText(*value);
  if (!folder.is_absolute()) return std::nullopt;
  return folder;
}

}  // namespace

// The variables, wide as Windows keeps them, in UTF-8.
Environment processEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const wchar_t* value = ::_wgetenv(pathOfText(name).c_str());
    if (value == nullptr) return std::nullopt;
    return utf8Of(std::filesystem::path(value));
  };
}

std::filesystem::path homeFolder(const Environment& env) {
  return windowsFolder(env, "USERPROFILE").value_or("C:\\");
}

std::filesystem::path gameSettingsFolder(const Environment& env) {
  auto roaming = windowsFolder(env, "APPDATA");
  return roaming.value_or(homeFolder(env) / "AppData" / "Roaming") / "Duskwarren";
}

std::filesystem::path gameRunsFolder(const Environment& env) {
  auto local = windowsFolder(env, "LOCALAPPDATA");
  return local.value_or(homeFolder(env) / "AppData" / "Local") / "Duskwarren";
}

// The Pictures known folder, wherever the player has moved it.
std::filesystem::path gamePicturesFolder(const Environment& env) {
  std::filesystem::path folder = homeFolder(env) / "Pictures";
  PWSTR known = nullptr;
  if (::SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &known) == S_OK && known != nullptr)
    folder = std::filesystem::path(known);
  ::CoTaskMemFree(known);
  return folder / "Duskwarren";
}

#else

Environment processEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
}

std::filesystem::path homeFolder(const Environment& env) {
  if (auto home = absoluteVariable(env, "HOME")) return *home;
  if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
    return user->pw_dir;
  }
  return "/";
}

std::filesystem::path gameSettingsFolder(const Environment& env) {
  return configHome(env) / "duskwarren";
}

std::filesystem::path gameRunsFolder(const Environment& env) {
  return dataHome(env) / "duskwarren";
}

std::filesystem::path gamePicturesFolder(const Environment& env) {
  return picturesFolder(env) / "duskwarren";
}

#endif

std::filesystem::path dataHome(const Environment& env) {
  return absoluteVariable(env, "XDG_DATA_HOME").value_or(homeFolder(env) / ".local" / "share");
}

std::filesystem::path picturesFolder(const Environment& env) {
  if (auto named = absoluteVariable(env, "XDG_PICTURES_DIR")) return *named;
  if (auto named = namedPicturesFolder(env)) return *named;
  return homeFolder(env) / "Pictures";
}

std::string shortPath(const std::filesystem::path& path, const Environment& env) {
  std::string text = path.string();
  std::string home = homeFolder(env).string();
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  if (home.size() > 1 && text.compare(0, home.size(), home) == 0 &&
      (text.size() == home.size() || text[home.size()] == '/' || text[home.size()] == separator)) {
    return "~" + text.substr(home.size());
  }
  return text;
}

std::string localTimeText(std::time_t moment, const char* format) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &moment);
#else
  localtime_r(&moment, &local);
#endif
  char text[64];
  std::size_t length = std::strftime(text, sizeof text, format, &local);
  return std::string(text, length);
}

std::string fileStamp() {
  return localTimeText(std::time(nullptr), "%Y-%m-%d-%H%M%S");
}

}  // namespace dw
