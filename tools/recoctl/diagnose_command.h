// recoctl diagnose: one report a person can read or attach to a bug report.
// Problems first, each with what to do; then the versions, the directories
// and how they were found, every file the builder reads, the settings file
// record by record, and, on Windows, the named sections, the two windows
// they name and the installed faces. Exit status 0 when no problem was
// found, 1 otherwise.
#ifndef RECO_TOOLS_RECOCTL_DIAGNOSE_COMMAND_H_
#define RECO_TOOLS_RECOCTL_DIAGNOSE_COMMAND_H_

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

void AddDiagnoseCommand(CLI::App& app, int* exit_code);

// One problem the report names, and what a person can do about it.
struct Problem {
  std::string what;
  std::string todo;
};

#endif  // RECO_TOOLS_RECOCTL_DIAGNOSE_COMMAND_H_
