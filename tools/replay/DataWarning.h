#pragma once

#include <string>

namespace dw {

// The line to warn with when a data folder has no res/ folder at all;
// empty when it has one.
std::string missingDataWarning(const std::string& dataFolder);

}  // namespace dw
