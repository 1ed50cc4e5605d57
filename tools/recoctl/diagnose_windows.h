// What only Windows can tell diagnose (see DiagnoseLive in
// live_commands.h): whether the windows the server section names are live,
// and whether the page's font is an installed face. Windows only;
// elsewhere diagnose says these were not checked and this is not linked.
#ifndef RECO_TOOLS_RECOCTL_DIAGNOSE_WINDOWS_H_
#define RECO_TOOLS_RECOCTL_DIAGNOSE_WINDOWS_H_

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "shared/preference_block.h"
#include "tools/recoctl/diagnose_command.h"

namespace diagnose_windows {

// ServerWindow and SettingsWindow of `server` (nullptr when no server
// section is held), each live or stale, and the number of installed faces
// with whether `font_name` is one of them; what is wrong goes to `problems`.
nlohmann::ordered_json Check(const ServerBlock* server, const std::string& font_name,
                             std::vector<Problem>* problems);

}  // namespace diagnose_windows

#endif  // RECO_TOOLS_RECOCTL_DIAGNOSE_WINDOWS_H_
