#pragma once

#include "DataText.h"

namespace dw::lint {

// Checks res/rose.dat: the row and column step of the five monster
// directions, rose(d,1) and rose(d,2) for d = 0..4.
void checkRose(const DataFile& rose, Report& report);

}  // namespace dw::lint
