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

// Exit codes of the live commands.
constexpr int kLiveDone = 0;
constexpr int kLiveFailed = 1;  // no section, no page, or the action was refused
constexpr int kLiveUnsupported = 2;

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

// The page named by SettingsWindow.
int PageWait(double timeout);
int PageState(bool json);
int PageCheck(int id, bool on);
int PageSelect(int id, int index);
int PageOk();
int PageClose();
int PageApply();
// Whether each text fits its control (page_fit.h).
int PageFit();

}  // namespace live_windows

#endif  // RECO_TOOLS_RECOCTL_LIVE_WINDOWS_H_
