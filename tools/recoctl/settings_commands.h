// recoctl's "settings" commands: the settings file "Config\Settings.ini" read
// by field name through the system's own load, and changed through the
// write-back's atomic replace, which keeps every other key of the file.
//
//   settings show [FILE] [--json] [--live]  each record accepted or rejected
//                                           and why, then every field
//   settings set [FILE] NAME=VALUE... [--live]
//   settings reset [FILE] [KEY...]          the defaults the load would give
//   settings export [FILE]                  JSON on standard output
//   settings import [FILE] JSON_FILE
//
// FILE defaults to the data directory's settings file. Exit status: 0 done,
// 1 the file could not be written (or, live, no process holds the section),
// 2 bad input, with the file untouched.
#ifndef RECO_TOOLS_RECOCTL_SETTINGS_COMMANDS_H_
#define RECO_TOOLS_RECOCTL_SETTINGS_COMMANDS_H_

#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "settings/settings_file.h"
#include "shared/preference_block.h"
#include "tools/recoctl/host.h"

void AddSettingsCommands(CLI::App& app, int* exit_code);

// A settings file as the load at start-up leaves it in a new block.
struct LoadedSettings {
  WString path;
  int state = kSettingsFileMissing;  // LoadSettingsFile's result
  std::unique_ptr<PreferenceBlock> block;
  RecordStatus statuses[kSettingsRecordCount];
};
LoadedSettings LoadSettings(const WString& path);

// The settings file under the data directory the tool resolves.
WString DefaultSettingsPath();

// "accepted", or why the load rejected a record of `count` bytes.
std::string RecordStatusText(const RecordStatus& status, DWORD count);

// Applies "Record.Field=value" to `block`. False, with `error` naming the
// field and the reason, when the name is unknown or the value does not fit;
// `record` receives the index of the record changed.
bool ApplyAssignment(const std::string& assignment, PreferenceBlock* block, int* record,
                     std::string* error);

#endif  // RECO_TOOLS_RECOCTL_SETTINGS_COMMANDS_H_
