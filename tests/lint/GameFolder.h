#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dw::lint::test {

// A game folder of its own for one test, in the temporary directory: the
// shipped data files and mouse file, and the built tiles (or, before the
// tiles are built, a plain valid tile for every glyph the game draws).
class GameFolder {
 public:
  explicit GameFolder(std::string_view tag = "");
  ~GameFolder();
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string read(const std::string& relative) const;
  void write(const std::string& relative, std::string_view bytes) const;
  // Replaces the first occurrence of `from`; the test fails when there is none.
  void replace(const std::string& relative, std::string_view from, std::string_view to) const;
  void remove(const std::string& relative) const;

 private:
  std::filesystem::path path_;
};

// Whether the build has laid out the game's tiles.
bool builtTilesPresent();
// The shipped copy of a file under assets/, e.g. "res/party.dat".
std::string shippedFile(const std::string& relative);

// What one run of the command printed and returned.
struct LintRun {
  int exitCode = -1;
  std::vector<std::string> lines;  // the findings, one per line
  std::string err;
  // Some finding line contains every one of the fragments.
  bool has(std::initializer_list<std::string_view> fragments) const;
  std::string all() const;  // for failure messages
};
LintRun runLintOn(const std::filesystem::path& folder, std::vector<std::string> options = {});

}  // namespace dw::lint::test
