// Window messages of the settings page, and the reload notification it
// posts to the input-method server. The values are a contract with the
// server and with other copies of the tool.
#ifndef RECO_SHARED_MESSAGES_H_
#define RECO_SHARED_MESSAGES_H_

// Sent or posted by a page to its own window (wParam and lParam 0); any
// window may send them, and the page handles them from any sender.
constexpr unsigned int WM_RANGE_INITTEXTS = 37895;  // 0x9407: set texts, fill the combo boxes
constexpr unsigned int WM_RANGE_LOAD = 37858;       // 0x93E2: select controls from the entry
constexpr unsigned int WM_RANGE_APPLY = 37862;      // 0x93E6: save, then notify the server
constexpr unsigned int WM_RANGE_SAVE = 37859;       // 0x93E3: store controls into the entry

// Posted to ServerWindow after a confirmed change: wParam
// NOTIFY_RANGE_CHANGED, lParam 0.
constexpr unsigned int WM_SERVER_NOTIFY = 29695;      // 0x73FF
constexpr unsigned int NOTIFY_RANGE_CHANGED = 29714;  // 0x7412

#endif  // RECO_SHARED_MESSAGES_H_
