// recoctl's live commands: they work on the named sections and the settings
// page of running processes, stand in for the input-method server, and
// drive an open page with the messages a user's clicks produce. Windows
// only: elsewhere each prints that and exits with 2.
//
//   serve [--count N] [--timeout S]  publish a hidden window in ServerWindow
//                                    and print one line per reload notification
//   dump --live --out FILE           copy the preference section's bytes
//   page wait|state|check|select|ok|close|apply|fit
//                                    the page named by SettingsWindow
//
// "show --live" (in the show command) decodes the section through
// RunShowLive.
#ifndef RECO_TOOLS_RECOCTL_LIVE_COMMANDS_H_
#define RECO_TOOLS_RECOCTL_LIVE_COMMANDS_H_

#include <CLI/CLI.hpp>

// Adds "serve", "dump" and "page"; *exit_code receives the result of the one
// that runs.
void AddLiveCommands(CLI::App& app, int* exit_code);

// Prints the decoded preference section held by another process (never
// creating it): 0, or 1 when no process holds it.
int RunShowLive(bool json);

#endif  // RECO_TOOLS_RECOCTL_LIVE_COMMANDS_H_
