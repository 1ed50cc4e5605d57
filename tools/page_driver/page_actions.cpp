#include "tools/page_driver/page_actions.h"

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "resources/app/resource.h"
#include "shared/messages.h"
#include "shared/preference_block.h"
#include "shared/sections.h"
#include "tools/page_driver/page_fit.h"
#include "tools/recoctl/host.h"
#include "tools/recoctl/live_sections.h"

namespace page_actions {
namespace {

using Json = nlohmann::ordered_json;

// Long enough for a page that is busy building its lists; a page that does
// not answer within it is taken as hung rather than waited for forever.
constexpr UINT kSendTimeoutMs = 10000;
constexpr DWORD kPageGoneTimeoutMs = 10000;
constexpr DWORD kPollMs = 20;

// The page SettingsWindow names, when it is a live window.
HWND FindPage() {
  ExistingSection section(kServerSectionName, sizeof(ServerBlock));
  const auto* server = static_cast<const ServerBlock*>(section.View());
  if (server == nullptr) return nullptr;
  HWND page = WordToWindow(server->SettingsWindow);
  return page != nullptr && IsWindow(page) ? page : nullptr;
}

HWND RequirePage() {
  HWND page = FindPage();
  if (page == nullptr) PrintErr("recopage: no settings page is open\n");
  return page;
}

// The page belongs to another process: a hung page must not hang the driver.
LRESULT Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, bool* answered = nullptr) {
  DWORD_PTR result = 0;
  const LRESULT sent = SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG,
                                           kSendTimeoutMs, &result);
  if (answered != nullptr) *answered = sent != 0;
  return static_cast<LRESULT>(result);
}

// WM_GETTEXT rather than GetWindowTextW: for a window of another process the
// latter returns the stored caption, which a combo box does not keep.
std::string WindowText(HWND window) {
  const LRESULT length = Send(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return "";
  std::vector<WCHAR> text(static_cast<size_t>(length) + 1, 0);
  Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.back() = 0;
  return Narrow(text.data());
}

std::string ClassOf(HWND window) {
  WCHAR name[64] = {0};
  GetClassNameW(window, name, 64);
  return Narrow(name);
}

bool IsClass(HWND window, const char* name) { return _stricmp(ClassOf(window).c_str(), name) == 0; }

std::string KindOf(HWND control) {
  if (IsClass(control, "ComboBox")) return "combobox";
  if (IsClass(control, "Static")) return "static";
  if (!IsClass(control, "Button")) return "other";
  switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return "checkbox";
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return "radio";
    case BS_GROUPBOX:
      return "groupbox";
    default:
      return "pushbutton";
  }
}

// Which template the page was made from, told by a control only it has.
int TemplateOf(HWND page) {
  if (GetDlgItem(page, IDC_CHARSET) != nullptr) return IDD_CHINESE_RANGE;
  if (GetDlgItem(page, IDC_OUTPUT_GROUP) != nullptr) return IDD_LATIN_RANGE;
  return 0;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
  auto* children = reinterpret_cast<std::vector<HWND>*>(param);
  children->push_back(child);
  return TRUE;
}

// The page's own controls in template (z) order; a combo box's list, which
// some systems parent elsewhere, is left out.
std::vector<HWND> ControlsOf(HWND page) {
  std::vector<HWND> all;
  EnumChildWindows(page, CollectChild, reinterpret_cast<LPARAM>(&all));
  std::vector<HWND> controls;
  for (HWND child : all) {
    if (GetParent(child) == page) controls.push_back(child);
  }
  return controls;
}

Json ControlState(HWND control) {
  const std::string kind = KindOf(control);
  Json json;
  json["id"] = GetDlgCtrlID(control);
  json["class"] = ClassOf(control);
  json["kind"] = kind;
  json["text"] = WindowText(control);
  json["enabled"] = IsWindowEnabled(control) != FALSE;
  if (kind == "checkbox" || kind == "radio") {
    json["checked"] = Send(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  if (kind == "combobox") {
    Json items = Json::array();
    Json data = Json::array();
    const LRESULT count = Send(control, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      const LRESULT length = Send(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
      std::vector<WCHAR> text(length > 0 ? static_cast<size_t>(length) + 1 : 1, 0);
      if (length > 0) {
        Send(control, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.back() = 0;
      }
      items.push_back(Narrow(text.data()));
      data.push_back(
          static_cast<long long>(Send(control, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
    }
    json["items"] = items;
    json["data"] = data;
    const LRESULT selected = Send(control, CB_GETCURSEL, 0, 0);
    json["selected"] = selected == CB_ERR ? -1 : static_cast<long long>(selected);
  }
  return json;
}

Json PageJson(HWND page) {
  const int template_id = TemplateOf(page);
  Json json;
  json["window"] = WindowWord(page);
  json["title"] = WindowText(page);
  json["template"] = template_id;
  json["kind"] = template_id == IDD_CHINESE_RANGE ? "chinese"
                 : template_id == IDD_LATIN_RANGE ? "latin"
                                                  : "unknown";
  Json controls = Json::array();
  for (HWND control : ControlsOf(page)) controls.push_back(ControlState(control));
  json["controls"] = controls;
  return json;
}

std::string Quoted(const Json& text) {
  return text.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string PageText(const Json& page) {
  std::string out = "window " + page["window"].get<std::string>() + " template " +
                    std::to_string(page["template"].get<int>()) + " (" +
                    page["kind"].get<std::string>() + ") title " + Quoted(page["title"]) + "\n";
  for (const Json& control : page["controls"]) {
    out += std::to_string(control["id"].get<int>()) + " " + control["kind"].get<std::string>();
    if (control.contains("checked")) out += control["checked"].get<bool>() ? " on" : " off";
    if (!control["enabled"].get<bool>()) out += " disabled";
    if (control.contains("selected")) {
      out += " selected " + std::to_string(control["selected"].get<long long>());
    }
    out += " " + Quoted(control["text"]);
    if (control.contains("items")) out += " items " + Quoted(control["items"]);
    out += "\n";
  }
  return out;
}

// Waits until the page's process has emptied its message queue and waits
// for input: 0 then, WAIT_TIMEOUT, or WAIT_FAILED when the process is gone.
// The page publishes its window and posts itself its text and load messages
// while the window is being made, and its thread takes both from the queue
// before it first waits for input. Idle therefore means that both have run,
// whether or not the load found an entry to show.
DWORD WaitPageIdle(HWND page, DWORD timeout_ms) {
  DWORD process_id = 0;
  if (GetWindowThreadProcessId(page, &process_id) == 0) return WAIT_FAILED;
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, process_id);
  if (process == nullptr) return WAIT_FAILED;
  const DWORD result = WaitForInputIdle(process, timeout_ms);
  CloseHandle(process);
  return result;
}

int WaitGone(HWND page) {
  const ULONGLONG deadline = GetTickCount64() + kPageGoneTimeoutMs;
  while (IsWindow(page)) {
    if (GetTickCount64() >= deadline) {
      PrintErr("recopage: the page " + WindowWord(page) + " is still open\n");
      return kPageFailed;
    }
    Sleep(kPollMs);
  }
  PrintOut("page " + WindowWord(page) + " closed\n");
  return kPageDone;
}

// The control `id` of the open page, with the page in *page, when it is of
// `kind` and a user could change it; prints why not otherwise.
HWND RequireControl(int id, const char* kind, HWND* page) {
  *page = RequirePage();
  if (*page == nullptr) return nullptr;
  HWND control = GetDlgItem(*page, id);
  if (control == nullptr || KindOf(control) != kind) {
    PrintErr("recopage: the page has no " + std::string(kind) + " " + std::to_string(id) + "\n");
    return nullptr;
  }
  if (!IsWindowEnabled(control)) {
    PrintErr("recopage: " + std::string(kind) + " " + std::to_string(id) +
             " is disabled: a user cannot change it\n");
    return nullptr;
  }
  return control;
}

}  // namespace

int Wait(double timeout) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout * 1000);
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    HWND page = FindPage();
    // A page that ended while it was waited for leaves the loop to look again.
    if (page != nullptr && WaitPageIdle(page, left) == 0 && IsWindow(page)) {
      PrintOut("page " + WindowWord(page) + " ready\n");
      return kPageDone;
    }
    if (GetTickCount64() >= deadline) {
      PrintErr(page == nullptr ? "recopage: no settings page opened\n"
                               : "recopage: the page did not finish loading\n");
      return kPageFailed;
    }
    Sleep(kPollMs);
  }
}

int State(bool json) {
  HWND page = RequirePage();
  if (page == nullptr) return kPageFailed;
  const Json state = PageJson(page);
  PrintOut(json ? state.dump(2, ' ', false, Json::error_handler_t::replace) + "\n"
                : PageText(state));
  return kPageDone;
}

int Check(int id, bool on) {
  HWND page = nullptr;
  HWND box = RequireControl(id, "checkbox", &page);
  if (box == nullptr) return kPageFailed;
  // A user clicks only a box that is not already as wanted.
  const bool checked = Send(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (checked != on) {
    Send(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    Send(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(box));
  }
  return kPageDone;
}

int Select(int id, int index) {
  HWND page = nullptr;
  HWND combo = RequireControl(id, "combobox", &page);
  if (combo == nullptr) return kPageFailed;
  const LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
  if (index < 0 || index >= count) {
    PrintErr("recopage: combo box " + std::to_string(id) + " has " + std::to_string(count) +
             " items\n");
    return kPageFailed;
  }
  Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  Send(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  return kPageDone;
}

int Ok() {
  HWND page = RequirePage();
  if (page == nullptr) return kPageFailed;
  // What the OK button sends its dialog when clicked (on CE the caption's
  // button, which has no window of its own).
  HWND button = GetDlgItem(page, IDOK);
  Send(page, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return WaitGone(page);
}

int Close() {
  HWND page = RequirePage();
  if (page == nullptr) return kPageFailed;
  Send(page, WM_CLOSE, 0, 0);
  return WaitGone(page);
}

int Apply() {
  HWND page = RequirePage();
  if (page == nullptr) return kPageFailed;
  bool answered = false;
  Send(page, WM_RANGE_APPLY, 0, 0, &answered);
  if (!answered) {
    PrintErr("recopage: the page did not answer\n");
    return kPageFailed;
  }
  PrintOut("page " + WindowWord(page) + " applied\n");
  return kPageDone;
}

int Fit() {
  HWND page = RequirePage();
  return page != nullptr ? page_fit::Report(page, TemplateOf(page)) : kPageFailed;
}
}  // namespace page_actions
