// quillet-check: shows what an update script will do, as JSON.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "tools/quillet-check/check_ports.h"
#include "tools/quillet-check/check_run.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const char* windir = std::getenv("WINDIR");
  quillet::HostClock clock;
  int status = quillet::runCheck(args, windir ? windir : "", clock, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
