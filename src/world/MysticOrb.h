#pragma once

namespace dw {

class Game;

// The Mystic Orb nudges Mp, Gold, Hp, Ap and Dp, then may teach or raise a
// spell.
void useMysticOrb(Game& game);

}  // namespace dw
