// What recopage does to the settings page that SettingsWindow names, with
// the messages a user's clicks produce. Each returns the command's exit
// code: kPageDone, or kPageFailed after printing why to standard error.
#ifndef RECO_TOOLS_PAGE_DRIVER_PAGE_ACTIONS_H_
#define RECO_TOOLS_PAGE_DRIVER_PAGE_ACTIONS_H_

constexpr int kPageDone = 0;
constexpr int kPageFailed = 1;  // no page, no such control, or the page did not answer

namespace page_actions {

// Waits up to `timeout` seconds for a page that is open with its texts set
// and its values loaded.
int Wait(double timeout);
// Prints the page's window, title, template and every control's state.
int State(bool json);
// Sets check box `id` as a click would; a box already as wanted is left.
int Check(int id, bool on);
// Selects item `index` of combo box `id` as a user would.
int Select(int id, int index);
// The OK command, or a close without confirming; both wait for the window
// to go.
int Ok();
int Close();
// Sends WM_RANGE_APPLY: the page saves and notifies and stays open.
int Apply();
// Whether each text fits its control (page_fit.h).
int Fit();

}  // namespace page_actions

#endif  // RECO_TOOLS_PAGE_DRIVER_PAGE_ACTIONS_H_
