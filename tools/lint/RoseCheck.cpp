#include "RoseCheck.h"

#include <array>
#include <optional>
#include <unordered_set>

#include "data/DataKeys.h"

namespace dw::lint {

namespace {

std::string roseKey(int d, int j) {
  return datakey::roseStep(d, j);
}

// The steps the monsters' chase expects: 0 stays, 1 up, 2 right, 3 down, 4 left.
constexpr std::array<std::array<int, 2>, 5> chaseSteps = {
    {{0, 0}, {-1, 0}, {0, 1}, {1, 0}, {0, -1}}};
constexpr std::array<const char*, 5> directionNames = {
    "standing still", "a step up", "a step right", "a step down", "a step left"};

std::string stepText(int row, int col) {
  return "(" + std::to_string(row) + ", " + std::to_string(col) + ")";
}

}  // namespace

void checkRose(const DataFile& rose, Report& report) {
  std::unordered_set<std::string> known;
  for (int d = 0; d <= 4; ++d) {
    std::array<std::optional<std::int32_t>, 2> step;
    long long line = 0;
    for (int j = 1; j <= 2; ++j) {
      const std::string key = roseKey(d, j);
      known.insert(key);
      const DataEntry* entry = rose.find(key);
      const char* part = j == 1 ? "row" : "column";
      if (entry == nullptr) {
        report.error(rose.name, 0,
                     missingKeyMessage(rose, key,
                                       std::string("the ") + part + " step of direction " +
                                           std::to_string(d) + " reads as 0"));
        continue;
      }
      line = entry->line;
      step[j - 1] = checkedNumber(rose, *entry, key, Level::error, report);
      if (step[j - 1] && (*step[j - 1] < -1 || *step[j - 1] > 1)) {
        report.warning(rose.name, entry->line,
                       key + " is " + std::to_string(*step[j - 1]) +
                           ": monsters move one cell at a time, so a step is -1, 0 or 1");
        step[j - 1].reset();  // said once is enough
      }
    }
    if (!step[0] || !step[1]) continue;
    if (*step[0] == chaseSteps[d][0] && *step[1] == chaseSteps[d][1]) continue;
    report.warning(rose.name, line,
                   "direction " + std::to_string(d) + " steps " + stepText(*step[0], *step[1]) +
                       ", but monsters chase the hero with direction " + std::to_string(d) +
                       " as " + directionNames[d] + ", " +
                       stepText(chaseSteps[d][0], chaseSteps[d][1]) +
                       ": they will not close in as they should");
  }
  reportUnreadKeys(rose, known, report);
}

}  // namespace dw::lint
