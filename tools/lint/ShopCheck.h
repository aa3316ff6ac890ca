#pragma once

#include "DataText.h"

namespace dw::lint {

inline constexpr int shopCount = 18;

// Checks res/shops.dat: the four keys of each of the 18 shop records
// m0i/1701/... to m0i/1718/..., and how each offer reads.
void checkShops(const DataFile& shops, Report& report);

}  // namespace dw::lint
