// The preference section another process holds, for "show --live", "dump
// --live" and "settings show|set --live" (see live_commands.h): opened by
// name, never created here. Windows only; elsewhere the commands exit with
// kLiveUnsupported and this is not linked. Each returns the command's exit
// code: kLiveDone, or kLiveFailed after printing why to standard error.
#ifndef RECO_TOOLS_RECOCTL_LIVE_BLOCK_H_
#define RECO_TOOLS_RECOCTL_LIVE_BLOCK_H_

#include <functional>
#include <string>

#include "shared/preference_block.h"
#include "tools/recoctl/live_sections.h"

namespace live_block {

// Prints the decoded block, as text or JSON.
int Show(bool json);
// Writes the block's bytes to the file `host_path`.
int Dump(const std::string& host_path);
// See RunLiveSettings.
int Use(const std::function<bool(PreferenceBlock*)>& use, bool change);

}  // namespace live_block

#endif  // RECO_TOOLS_RECOCTL_LIVE_BLOCK_H_
