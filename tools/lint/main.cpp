#include <iostream>
#include <string>
#include <vector>

#include "Lint.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return dw::lint::runLint(args, std::cout, std::cerr);
}
