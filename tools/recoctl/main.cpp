// recoctl: the maintainer's companion of the recognition-range tool.
#include <string>
#include <vector>

#include "tools/recoctl/host.h"
#include "tools/recoctl/recoctl_app.h"

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(Narrow(argv[i]));
  return RunRecoctl(args);
}
#else
int main(int argc, char** argv) { return RunRecoctl(std::vector<std::string>(argv, argv + argc)); }
#endif
