// recoctl build and recoctl show: a preference block built from an
// installation tree as the tool builds it, and a readable decoding of a
// block saved to a file.
#ifndef RECO_TOOLS_RECOCTL_BUILD_COMMANDS_H_
#define RECO_TOOLS_RECOCTL_BUILD_COMMANDS_H_

#include <string>

#include <CLI/CLI.hpp>

#include "shared/preference_block.h"

// Adds the "build" and "show" commands; *exit_code receives the result of the
// one that runs (0 done, 1 the block could not be built, written or read).
void AddBuildCommands(CLI::App& app, int* exit_code);

// The decoding "show" prints: indented text, or JSON when `json` is set.
std::string DescribePreferenceBlock(const PreferenceBlock& block, bool json);

#endif  // RECO_TOOLS_RECOCTL_BUILD_COMMANDS_H_
