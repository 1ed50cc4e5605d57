// The Windows side of recoctl's live commands (see live_commands.h). Each
// returns the command's exit code: kLiveDone, or kLiveFailed after printing
// why to standard error. Elsewhere the commands exit with kLiveUnsupported
// and none of these is linked.
#ifndef RECO_TOOLS_RECOCTL_LIVE_WINDOWS_H_
#define RECO_TOOLS_RECOCTL_LIVE_WINDOWS_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "shared/preference_block.h"
#include "tools/recoctl/diagnose_command.h"
#include "tools/recoctl/live_sections.h"

namespace live_windows {

// The preference section held by another process, never created here.
int ShowLive(bool json);
int DumpLive(const std::string& host_path);
// For diagnose (see DiagnoseLive in live_commands.h): the windows that
// `server` (nullptr when no server section is held) names, and the
// installed faces.
nlohmann::ordered_json DiagnoseWindows(const ServerBlock* server, const std::string& font_name,
                                       std::vector<Problem>* problems);
// See RunLiveSettings.
int UseLive(const std::function<bool(PreferenceBlock*)>& use, bool change);

// The stand-in server. Ends after `count` notifications (0: no limit), after
// `timeout` seconds (0: none), or when its window is closed; then clears
// ServerWindow if it still names that window.
// With `hold`, it also maps the preference section once another process has
// created it, and keeps it to the end.
int Serve(int count, double timeout, bool hold);

}  // namespace live_windows

#endif  // RECO_TOOLS_RECOCTL_LIVE_WINDOWS_H_
