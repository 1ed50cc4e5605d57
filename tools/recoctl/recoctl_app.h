// recoctl's command tree, apart from the process entry, so that the
// commands can also be run in-process.
#ifndef RECO_TOOLS_RECOCTL_RECOCTL_APP_H_
#define RECO_TOOLS_RECOCTL_RECOCTL_APP_H_

#include <string>
#include <vector>

// Runs the command line `args` (args[0] is the program's name) and returns
// its exit status; output goes to standard output and error.
int RunRecoctl(const std::vector<std::string>& args);

#endif  // RECO_TOOLS_RECOCTL_RECOCTL_APP_H_
