// recoctl ini: what the system's INI reader finds in a file.
#ifndef RECO_TOOLS_RECOCTL_INI_COMMANDS_H_
#define RECO_TOOLS_RECOCTL_INI_COMMANDS_H_

#include <CLI/CLI.hpp>

// Adds the "ini" command and its subcommands; *exit_code receives the
// result of the one that runs (0 lookup ran, 1 file could not be opened).
void AddIniCommands(CLI::App& app, int* exit_code);

#endif  // RECO_TOOLS_RECOCTL_INI_COMMANDS_H_
