#include "world/WorldSetup.h"

#include "core/Game.h"
#include "core/NumberText.h"
#include "data/PartyFiles.h"

namespace dw {

void worldSetup(Game& game) {
  GameState& s = game.state;
  game.classes.setStandard();
  game.loadTable("res\\rose.dat", game.compassTable);
  for (int d = 0; d <= 4; ++d) {
    for (int j = 1; j <= 2; ++j) {
      std::string key = "rose(" + std::to_string(d) + "," + std::to_string(j) + ")";
      std::string value = lookupValue(key, game.compassTable);
      s.roseVectors[d][j] = readNumber(value);
      game.screen.print(key + "=" + value, true);
    }
  }
  game.screen.copyPage(game.screen.workPage(), game.screen.visiblePage());
  if (!game.platform.waitChar()) {
    game.endReason = EndReason::inputClosed;
    return;
  }
  loadParty(game);
  loadSpells(game);
}

}  // namespace dw
