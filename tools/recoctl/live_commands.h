// recoctl's live commands: they work on the named sections of running
// processes and stand in for the input-method server. Windows only:
// elsewhere each prints that and exits with 2.
//
//   serve [--count N] [--timeout S]  publish a hidden window in ServerWindow
//                                    and print one line per reload notification
//   dump --live --out FILE           copy the preference section's bytes
//
// "show --live" (in the show command) decodes the section through
// RunShowLive.
#ifndef RECO_TOOLS_RECOCTL_LIVE_COMMANDS_H_
#define RECO_TOOLS_RECOCTL_LIVE_COMMANDS_H_

#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "shared/preference_block.h"
#include "tools/recoctl/diagnose_command.h"

// Adds "serve" and "dump"; *exit_code receives the result of the one
// that runs.
void AddLiveCommands(CLI::App& app, int* exit_code);

// Prints the decoded preference section held by another process (never
// creating it): 0, or 1 when no process holds it.
int RunShowLive(bool json);

// Runs `use` on the preference section held by another process (never
// creating it): on a copy when `change` is clear; in place when it is set,
// and then, when `use` returned true, posts the reload notification to
// ServerWindow as a confirmed page does. 0 done, 1 when no process holds the
// section, 2 when `use` refused.
int RunLiveSettings(const std::function<bool(PreferenceBlock*)>& use, bool change);

// For diagnose: whether the named sections are held (the preference
// section's copy already looked), ServerWindow and SettingsWindow,
// and on Windows whether those windows are live or stale and whether
// `font_name` is an installed face, adding what is wrong to `problems`.
nlohmann::ordered_json DiagnoseLive(bool preferences_held, const std::string& font_name,
                                    std::vector<Problem>* problems);

#endif  // RECO_TOOLS_RECOCTL_LIVE_COMMANDS_H_
