#include "GameFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "Lint.h"
#include "TileCheck.h"
#include "core/Tiles.h"
#include "platform/Platform.h"

namespace dw::lint::test {

namespace fs = std::filesystem;

namespace {

void writeBytes(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string plainTile() {
  Image image(8, 8);
  for (int i = 0; i < 8; ++i) setPixel(image, i, i, 15);
  return encodeTileFile(image);
}

}  // namespace

bool builtTilesPresent() {
  return fs::exists(fs::path(DUSKWARREN_BUILT_TILES) / "176b0808.til");
}

std::string shippedFile(const std::string& relative) {
  return readBytes(fs::path(DUSKWARREN_ASSETS_DIR) / relative);
}

GameFolder::GameFolder(std::string_view tag) {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  path_ = fs::temp_directory_path() /
          ("duskwarren-lint-" + std::string(test->test_suite_name()) + "-" + test->name() +
           std::string(tag) + "-" + std::to_string(getpid()));
  fs::remove_all(path_);
  for (const char* file :
       {"res/shops.dat", "res/party.dat", "res/spells.dat", "res/rose.dat", "drivers/mouse.bin"}) {
    writeBytes(path_ / file, shippedFile(file));
  }
  fs::create_directories(path_ / "tiles");
  if (builtTilesPresent()) {
    fs::copy(DUSKWARREN_BUILT_TILES, path_ / "tiles",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  } else {
    for (const DrawnGlyph& glyph : drawnGlyphs()) {
      writeBytes(path_ / hostPath(tileFileName(glyph.code)), plainTile());
    }
  }
}

GameFolder::~GameFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string GameFolder::read(const std::string& relative) const {
  return readBytes(path_ / relative);
}

void GameFolder::write(const std::string& relative, std::string_view bytes) const {
  writeBytes(path_ / relative, bytes);
}

void GameFolder::replace(const std::string& relative, std::string_view from,
                         std::string_view to) const {
  std::string bytes = read(relative);
  std::size_t at = bytes.find(from);
  ASSERT_NE(at, std::string::npos) << relative << " holds no " << from;
  bytes.replace(at, from.size(), to);
  write(relative, bytes);
}

void GameFolder::remove(const std::string& relative) const {
  fs::remove_all(path_ / relative);
}

bool LintRun::has(std::initializer_list<std::string_view> fragments) const {
  for (const std::string& line : lines) {
    bool all = true;
    for (std::string_view fragment : fragments) all = all && line.find(fragment) != line.npos;
    if (all) return true;
  }
  return false;
}

std::string LintRun::all() const {
  std::string text = "exit " + std::to_string(exitCode) + "\n";
  for (const std::string& line : lines) text += line + "\n";
  return text + err;
}

LintRun runLintOn(const fs::path& folder, std::vector<std::string> options) {
  options.push_back(folder.string());
  std::ostringstream out, err;
  LintRun run;
  run.exitCode = runLint(options, out, err);
  run.err = err.str();
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) run.lines.push_back(line);
  return run;
}

}  // namespace dw::lint::test
