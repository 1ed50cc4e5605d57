// "recoctl serve": a stand-in for the input-method server, for tests, the
// demo and an integrator without the real one. It publishes a hidden
// window in ServerWindow and prints one line per reload notification with
// the two entries the preference section then holds. Windows only;
// elsewhere the command exits with kLiveUnsupported and this is not linked.
#ifndef RECO_TOOLS_RECOCTL_STAND_IN_SERVER_H_
#define RECO_TOOLS_RECOCTL_STAND_IN_SERVER_H_

#include "tools/recoctl/live_sections.h"

namespace stand_in_server {

// Ends after `count` notifications (0: no limit), after `timeout` seconds
// (0: none), or when its window is closed; then clears ServerWindow if it
// still names that window. With `hold`, it also maps the preference
// section once another process has created it, and keeps it to the end.
// kLiveDone, or kLiveFailed when its window or the server section could not
// be had.
int Serve(int count, double timeout, bool hold);

}  // namespace stand_in_server

#endif  // RECO_TOOLS_RECOCTL_STAND_IN_SERVER_H_
