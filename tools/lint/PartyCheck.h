#pragma once

#include "DataText.h"
#include "SpellCheck.h"

namespace dw::lint {

inline constexpr int partySize = 7;

// Checks res/party.dat: each member's name, six statistic maxima and spell
// keys, against the spell words of the spell file.
void checkParty(const DataFile& party, const SpellBook& spells, Report& report);

}  // namespace dw::lint
