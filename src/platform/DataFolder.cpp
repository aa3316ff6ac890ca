#include "platform/DataFolder.h"

#include <cstring>
#include <iostream>
#include <system_error>
#include <utility>

#include "platform/Platform.h"
#include "platform/VisibleText.h"
#include "platform/WindowsApi.h"

namespace dw {

namespace fs = std::filesystem;

bool isGameFolder(const fs::path& folder) {
  std::error_code ec;
  return !folder.empty() && fs::is_directory(folder / "res", ec);
}

DataFolderChoice chooseDataFolder(const std::string& given, const fs::path& workingDir,
                                  const fs::path& programFolder, const fs::path& installedData) {
  if (!given.empty()) return {fs::path(given), ""};
  if (isGameFolder(workingDir)) return {};

  fs::path installed;
  if (!programFolder.empty()) {
    installed = (programFolder / installedData).lexically_normal();
    if (isGameFolder(installed)) {
      return {installed,
              "no res/ folder here: using the game data in " + visibleText(installed.string())};
    }
    if (isGameFolder(programFolder)) {
      return {programFolder, "no res/ folder here: using the game data beside the program in " +
                                 visibleText(programFolder.string())};
    }
  }
  std::string where = visibleText(workingDir.string());
  if (!installed.empty())
    where += ", " + visibleText(installed.string()) + " or " + visibleText(programFolder.string());
  return {{}, "no game data (a res/ folder) in " + where + ": the game starts without it"};
}

#ifdef _WIN32

// The program's own file as Windows names it, whatever argv[0] says.
fs::path programFolder(const char*) {
  std::wstring name(MAX_PATH, L'\0');
  for (int tries = 0; tries < 6; ++tries) {
    DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return fs::path(name).parent_path();
    }
    name.resize(name.size() * 2);
  }
  return {};
}

#else

fs::path programFolder(const char* argv0) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && self.is_absolute()) return self.parent_path();
  if (argv0 == nullptr || std::strchr(argv0, '/') == nullptr) return {};
  fs::path path = fs::absolute(argv0, ec);
  if (ec) return {};
  fs::path canonical = fs::weakly_canonical(path, ec);
  return (ec ? path : canonical).parent_path();
}

#endif

std::string oversizedGameFile(const fs::path& folder) {
  const std::pair<const char*, const char*> kinds[] = {
      {"res", ".dat"}, {"tiles", ".til"}, {"drivers", ".bin"}};
  for (const auto& [sub, extension] : kinds) {
    std::error_code ec;
    for (fs::directory_iterator it(folder / sub, ec), end; !ec && it != end; it.increment(ec)) {
      if (it->path().extension() != extension) continue;
      std::error_code sizeError;
      auto size = fs::file_size(it->path(), sizeError);
      if (!sizeError && size > Platform::maxFileBytes) {
        fs::path shown = folder == "." ? it->path().lexically_relative(".") : it->path();
        return gameFileTooLong(shown.string());
      }
    }
  }
  return {};
}

bool enterDataFolder(const std::string& given, const char* argv0, const fs::path& installedData,
                     const std::string& programName, std::string& error) {
  std::error_code ec;
  fs::path here = fs::current_path(ec);
  if (ec) here.clear();
  DataFolderChoice choice = chooseDataFolder(given, here, programFolder(argv0), installedData);
  if (!choice.note.empty()) std::cerr << programName << ": " << choice.note << "\n";
  if (!choice.folder.empty()) {
    fs::current_path(choice.folder, ec);
    if (ec) {
      error = "cannot enter the game folder " + visibleText(choice.folder.string()) + ": " +
              ec.message();
      return false;
    }
  }
  // A file the game would have to refuse mid-game is refused now.
  error = oversizedGameFile(".");
  return error.empty();
}

}  // namespace dw
