// recoctl build and recoctl show: a preference block built from an
// installation tree as the tool builds it, and the decoding of a block saved
// to a file (or, with --live, of the section a running process holds).
#ifndef RECO_TOOLS_RECOCTL_BUILD_COMMANDS_H_
#define RECO_TOOLS_RECOCTL_BUILD_COMMANDS_H_

#include <CLI/CLI.hpp>

// Adds the "build" and "show" commands; *exit_code receives the result of the
// one that runs (0 done, 1 the block could not be built, written or read).
void AddBuildCommands(CLI::App& app, int* exit_code);

#endif  // RECO_TOOLS_RECOCTL_BUILD_COMMANDS_H_
