// The seed catalogue: the first level of seeds 1 to 25, one character per
// cell, in seed_catalogue.txt beside this file. Each seed is given to the
// generator as a typed seed would be, and the level does not depend on the
// data or tile files, so the catalogue only changes when level generation
// does. After a change to the levels on purpose, rewrite it with
//   DUSKWARREN_UPDATE_GOLDEN=1 ./duskwarren_tests --gtest_filter='SeedCatalogue*'
// and commit it with the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "dungeon/Generator.h"
#include "support/TestGame.h"

namespace dw {
namespace {

constexpr int firstSeed = 1, lastSeed = 25;

std::filesystem::path cataloguePath() {
  return std::filesystem::path(DUSKWARREN_SOURCE_DIR) / "tests/golden/seed_catalogue.txt";
}

std::string header(int seed) {
  return "seed " + std::to_string(seed) + ":";
}

// One entry: its header line, then the 26 rows of the level.
std::string entry(int seed) {
  test::TestGame t;
  t.game.random.randomize(seed, 0);
  generateLevel(t.game);
  const GameState& s = t.game.state;
  std::ostringstream out;
  out << header(seed) << " levelShop " << s.levelShop << ", openCells " << s.openCells
      << ", hero row " << s.heroRow << " col " << s.heroCol << ", draws " << t.game.random.draws()
      << "\n"
      << levelText(t.game.grid);
  return out.str();
}

std::string catalogue() {
  std::string text = "Seed catalogue: first level of seeds " + std::to_string(firstSeed) + " to " +
                     std::to_string(lastSeed) + ", rows 0..25, columns 0..40.\n" + levelLegend();
  for (int seed = firstSeed; seed <= lastSeed; ++seed) text += "\n" + entry(seed);
  return text;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// The lines of one seed's entry within a catalogue: the header and the
// rows up to the next entry.
std::vector<std::string> entryLines(const std::vector<std::string>& all, int seed) {
  std::vector<std::string> out;
  bool inside = false;
  for (const std::string& line : all) {
    if (line.rfind("seed ", 0) == 0) inside = line.rfind(header(seed), 0) == 0;
    if (inside) out.push_back(line);
  }
  return out;
}

TEST(SeedCatalogue, FirstLevelsOfSeedsOneToTwentyFiveAreUnchanged) {
  const std::string actual = catalogue();
  const char* flag = std::getenv("DUSKWARREN_UPDATE_GOLDEN");
  if (flag && std::string(flag) == "1") {
    std::ofstream(cataloguePath(), std::ios::binary) << actual;
    GTEST_SKIP() << "rewrote " << cataloguePath();
  }
  std::ifstream in(cataloguePath(), std::ios::binary);
  ASSERT_TRUE(in) << "missing " << cataloguePath();
  std::ostringstream stored;
  stored << in.rdbuf();
  if (stored.str() == actual) return;

  const auto want = lines(stored.str()), got = lines(actual);
  bool reported = false;
  for (int seed = firstSeed; seed <= lastSeed; ++seed) {
    auto w = entryLines(want, seed), g = entryLines(got, seed);
    ASSERT_FALSE(w.empty()) << "seed " << seed << " is missing from the catalogue";
    if (g.front() != w.front()) {
      reported = true;
      ADD_FAILURE() << "seed " << seed << ":\n  catalogue: " << w.front()
                    << "\n  generated: " << g.front();
    }
    for (std::size_t row = 0; row + 1 < std::max(w.size(), g.size()); ++row) {
      std::string a = row + 1 < w.size() ? w[row + 1] : "",
                  b = row + 1 < g.size() ? g[row + 1] : "";
      if (a == b) continue;
      std::size_t col = 0;
      while (col < a.size() && col < b.size() && a[col] == b[col]) ++col;
      ADD_FAILURE() << "seed " << seed << ": first difference at row " << row << " column " << col
                    << "\n  catalogue: " << a << "\n  generated: " << b;
      reported = true;
      break;
    }
  }
  if (!reported) ADD_FAILURE() << "the catalogue's title or legend differs";
}

}  // namespace
}  // namespace dw
