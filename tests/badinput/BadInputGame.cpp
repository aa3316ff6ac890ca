#include "BadInputGame.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "frame/RunGame.h"
#include "platform/Platform.h"
#include "world/Monsters.h"

namespace dw::badinput {

namespace fs = std::filesystem;

namespace {

fs::path hostFile(const std::string& root, const std::string& gamePath) {
  return fs::path(root) / hostPath(gamePath);
}

std::string uniqueFolderName() {
  static std::atomic<int> counter{0};
  return "duskwarren-badinput-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

}  // namespace

GameFolder::GameFolder(Start start) {
  path_ = (fs::temp_directory_path() / uniqueFolderName()).string();
  fs::remove_all(path_);
  fs::create_directories(path_);
  if (start == Start::empty) return;
  for (const char* sub : {"res", "tiles", "drivers"}) {
    fs::path from = fs::path(DUSKWARREN_GAME_DIR) / sub;
    if (fs::is_directory(from)) fs::copy(from, fs::path(path_) / sub, fs::copy_options::recursive);
  }
}

GameFolder::~GameFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void GameFolder::write(const std::string& gamePath, const std::string& bytes) const {
  fs::path file = hostFile(path_, gamePath);
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void GameFolder::remove(const std::string& gamePath) const {
  fs::remove(hostFile(path_, gamePath));
}

std::string shippedFile(const std::string& gamePath) {
  std::ifstream in(hostFile(DUSKWARREN_GAME_DIR, gamePath), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string crlfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

std::string partyWithStatistics(const std::array<std::string, 6>& stats,
                                const std::vector<std::string>& extraLines) {
  std::vector<std::string> lines;
  // The shipped spell lines, so that the members know what they know.
  std::istringstream shipped(shippedFile("res\\party.dat"));
  for (std::string line; std::getline(shipped, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find("/Stat/") == std::string::npos && line.find("0/nas") == std::string::npos) {
      lines.push_back(line);
    }
  }
  for (int j = 1; j <= maxMembers; ++j) {
    const std::string member = "party/8" + std::to_string(j);
    lines.insert(lines.begin(), member + "0/nas=member " + std::to_string(j));
    for (int k = 1; k <= statCount; ++k) {
      lines.insert(lines.begin(), member + "/Stat/" + std::to_string(k) + "=" + stats[k - 1]);
    }
  }
  lines.insert(lines.begin(), extraLines.begin(), extraLines.end());
  return crlfLines(lines);
}

void RecordingObserver::onLevel(const Game& game) {
  InvariantChecker::onLevel(game);
  levelStarts.push_back(game.grid);
  levelStartHero.emplace_back(game.state.heroRow, game.state.heroCol);
}

void RecordingObserver::onCycle(const Game& game) {
  InvariantChecker::onCycle(game);
  const GameState& s = game.state;
  CycleRecord record;
  record.key = s.lastKey;
  record.message = s.messageLine;
  record.heroRow = s.heroRow;
  record.heroCol = s.heroCol;
  record.levelNumber = s.levelNumber;
  for (int m = 1; m <= maxMembers; ++m) record.hp[m] = s.memberStats[m][stat::hp];
  record.grid = game.grid;
  records.push_back(std::move(record));
}

void RecordingObserver::onKeyRead(const Game& game) {
  InvariantChecker::onKeyRead(game);
  const std::uint8_t* shown = game.screen.page(game.screen.visiblePage());
  lastShown.assign(shown, shown + Screen::pageSize);
}

std::string standardKeys() {
  return seedOneKeys(
      "8888666622224444 wvtphfb+-"
      "44448888 666622 2 b h f v t p w"
      "~ "
      "6666644444888882222 ++--wvtphfb 86428642 ");
}

std::string seedOneKeys(const std::string& commands) {
  return "@1\r " + commands + std::string(1, escapeKey);
}

std::unique_ptr<PlayedGame> play(const GameFolder& folder, const std::string& keys) {
  auto played = std::make_unique<PlayedGame>(keys);
  played->platform.setDataRoot(folder.path());
  played->game.observer = &played->observer;
  const auto start = std::chrono::steady_clock::now();
  played->exitCode = runGame(played->game);
  played->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return played;
}

std::vector<int> monsterCells(const LevelGrid& grid) {
  std::vector<int> cells;
  for (int row = 0; row < gridRows; ++row) {
    for (int col = 0; col < gridCols; ++col) {
      const std::uint8_t g = grid.glyphs[row][col];
      if (monsterKindOf(g)) cells.push_back((row * 100 + col) * 256 + g);
    }
  }
  return cells;
}

}  // namespace dw::badinput
