#include "tools/recoctl/live_windows.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "resources/app/resource.h"
#include "shared/messages.h"
#include "shared/preference_block.h"
#include "shared/sections.h"
#include "tools/recoctl/block_decoder.h"
#include "tools/recoctl/host.h"
#include "tools/recoctl/live_sections.h"
#include "tools/recoctl/page_fit.h"

namespace live_windows {
namespace {

using Json = nlohmann::ordered_json;

// Long enough for a page that is busy building its lists; a page that does
// not answer within it is taken as hung rather than waited for forever.
constexpr UINT kSendTimeoutMs = 10000;
constexpr DWORD kPageGoneTimeoutMs = 10000;
constexpr DWORD kPollMs = 20;

std::string WindowWord(HWND window) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "0x%08X", static_cast<unsigned>(WindowToWord(window)));
  return buffer;
}

// ---- serve ----

struct ServeState {
  int limit = 0;
  int received = 0;
  // With --hold: the preference section once some process has made it,
  // mapped until the end so that it outlives the page.
  bool hold = false;
  HANDLE held = nullptr;
  void* held_view = nullptr;
};

constexpr UINT_PTR kTimeoutTimer = 1;
constexpr UINT_PTR kHoldTimer = 2;
constexpr UINT kHoldPollMs = 50;
ServeState serve_state;

std::string Now() {
  SYSTEMTIME time;
  GetLocalTime(&time);
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), "%02u:%02u:%02u.%03u", time.wHour, time.wMinute,
                time.wSecond, time.wMilliseconds);
  return buffer;
}

std::string DescribeEntry(const LanguageEntry& entry) {
  return "LangId=" + std::to_string(entry.LangId) + " Charset=" + std::to_string(entry.Charset) +
         " RecoRange=" + Hex(entry.RecoRange) +
         " AutoInsertSpace=" + std::to_string(entry.AutoInsertSpace) +
         " PhraseMode=" + std::to_string(entry.PhraseMode) + " FontName=\"" +
         NarrowField(entry.FontName) + "\" FontSize=" + std::to_string(entry.FontSize);
}

// One line per notification: what arrived and what the block holds now,
// read as the server would read it when it takes the change over.
void PrintNotification(WPARAM wparam, LPARAM lparam) {
  std::string line = "notify time=" + Now() + " wParam=" + std::to_string(wparam) +
                     " lParam=" + std::to_string(static_cast<long long>(lparam));
  const std::unique_ptr<PreferenceBlock> block = CopyLivePreferences();
  if (block == nullptr) {
    line += " | preference section absent";
  } else {
    line += " | entry0 " + DescribeEntry(block->Entries[kChineseEntry]);
    line += " | entry1 " + DescribeEntry(block->Entries[kLatinEntry]);
  }
  PrintOut(line + "\n");
}

LRESULT CALLBACK ServeWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SERVER_NOTIFY:
      PrintNotification(wparam, lparam);
      if (serve_state.limit > 0 && ++serve_state.received >= serve_state.limit) {
        DestroyWindow(window);
      }
      return 0;
    case WM_TIMER:
      if (wparam == kHoldTimer) {
        // Opened, never created: the program that creates it also builds it.
        serve_state.held = OpenFileMappingW(FILE_MAP_READ, FALSE, kPreferenceSectionName);
        if (serve_state.held != nullptr) {
          serve_state.held_view = MapViewOfFile(serve_state.held, FILE_MAP_READ, 0, 0, 0);
          KillTimer(window, kHoldTimer);
          PrintOut("holding the preference section\n");
        }
        return 0;
      }
      DestroyWindow(window);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

// ---- page ----

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
  if (page == nullptr) PrintErr("recoctl: no settings page is open\n");
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
      PrintErr("recoctl: the page " + WindowWord(page) + " is still open\n");
      return kLiveFailed;
    }
    Sleep(kPollMs);
  }
  PrintOut("page " + WindowWord(page) + " closed\n");
  return kLiveDone;
}

// The control `id` of the page when it is of `kind`; prints why not otherwise.
HWND RequireControl(HWND page, int id, const char* kind) {
  HWND control = GetDlgItem(page, id);
  if (control == nullptr || KindOf(control) != kind) {
    PrintErr("recoctl: the page has no " + std::string(kind) + " " + std::to_string(id) + "\n");
    return nullptr;
  }
  if (!IsWindowEnabled(control)) {
    PrintErr("recoctl: " + std::string(kind) + " " + std::to_string(id) +
             " is disabled: a user cannot change it\n");
    return nullptr;
  }
  return control;
}

}  // namespace

int ShowLive(bool json) {
  const std::unique_ptr<PreferenceBlock> block = CopyLivePreferences();
  if (block == nullptr) {
    PrintErr("recoctl: no process holds the preference section\n");
    return kLiveFailed;
  }
  PrintOut(DescribePreferenceBlock(*block, json));
  return kLiveDone;
}

int DumpLive(const std::string& host_path) {
  const std::unique_ptr<PreferenceBlock> block = CopyLivePreferences();
  if (block == nullptr) {
    PrintErr("recoctl: no process holds the preference section\n");
    return kLiveFailed;
  }
  std::ofstream out(std::filesystem::u8path(host_path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(block.get()), sizeof(PreferenceBlock));
  if (!out) {
    PrintErr("recoctl: could not write " + host_path + "\n");
    return kLiveFailed;
  }
  PrintOut("wrote " + std::to_string(sizeof(PreferenceBlock)) + " bytes to " + host_path + "\n");
  return kLiveDone;
}

namespace {

std::string WindowState(DWORD word) {
  if (word == 0) return "0";
  return (IsWindow(WordToWindow(word)) ? "live " : "stale ") + WindowWord(WordToWindow(word));
}

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param) {
  auto* faces = reinterpret_cast<std::vector<std::wstring>*>(param);
  std::wstring face = font->lfFaceName;
  const bool known = std::any_of(faces->begin(), faces->end(), [&](const std::wstring& f) {
    return _wcsicmp(f.c_str(), face.c_str()) == 0;
  });
  if (!known) faces->push_back(face);
  return 1;
}

}  // namespace

Json DiagnoseWindows(const ServerBlock* server, const std::string& font_name,
                     std::vector<Problem>* problems) {
  Json json;
  if (server != nullptr) {
    const std::string server_window = WindowState(server->ServerWindow);
    const std::string settings_window = WindowState(server->SettingsWindow);
    json["ServerWindow"] = server_window;
    json["SettingsWindow"] = settings_window;
    if (server_window.rfind("live", 0) != 0) {
      problems->push_back(
          {"ServerWindow is " + server_window + ": a confirmed change reaches no server",
           "start the input-method server again (or restart the device)"});
    }
    if (settings_window.rfind("stale", 0) == 0) {
      problems->push_back(
          {"SettingsWindow is " + settings_window + ": a page ended without clearing it",
           "harmless until its handle is reused by another window; restart the "
           "input-method server to clear it"});
    }
  }
  std::vector<std::wstring> faces;
  HDC dc = GetDC(nullptr);
  LOGFONTW wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(dc, &wanted, CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
  ReleaseDC(nullptr, dc);
  const WString font = Wide(font_name);
  const bool found = std::any_of(faces.begin(), faces.end(), [&](const std::wstring& f) {
    return _wcsicmp(f.c_str(), font.c_str()) == 0;
  });
  json["installed faces"] = faces.size();
  json["FontName installed"] = found;
  if (!found) {
    problems->push_back({"the page's FontName \"" + font_name + "\" is not an installed face",
                         "choose an installed face on the page, or with \"recoctl settings set "
                         "LatinRange.FontName=NAME\" (SCRange for the Chinese page)"});
  }
  return json;
}

int UseLive(const std::function<bool(PreferenceBlock*)>& use, bool change) {
  const DWORD access = change ? FILE_MAP_WRITE : FILE_MAP_READ;
  HANDLE mapping = OpenFileMappingW(access, FALSE, kPreferenceSectionName);
  void* view =
      mapping != nullptr ? MapViewOfFile(mapping, access, 0, 0, sizeof(PreferenceBlock)) : nullptr;
  if (view == nullptr) {
    if (mapping != nullptr) CloseHandle(mapping);
    PrintErr("recoctl: no process holds the preference section\n");
    return kLiveFailed;
  }
  bool done = false;
  if (change) {
    done = use(static_cast<PreferenceBlock*>(view));
  } else {
    auto copy = std::make_unique<PreferenceBlock>();
    std::memcpy(copy.get(), view, sizeof(PreferenceBlock));
    done = use(copy.get());
  }
  UnmapViewOfFile(view);
  CloseHandle(mapping);
  if (!done) return kLiveUnsupported;
  if (!change) return kLiveDone;
  // As a confirmed page does: the entry first, then one notification to
  // whatever ServerWindow names, unasked.
  ExistingSection section(kServerSectionName, sizeof(ServerBlock));
  const auto* server = static_cast<const ServerBlock*>(section.View());
  const DWORD target = server != nullptr ? server->ServerWindow : 0;
  if (server != nullptr) {
    PostMessageW(WordToWindow(target), WM_SERVER_NOTIFY, NOTIFY_RANGE_CHANGED, 0);
  }
  PrintOut("changed the preference section; notified ServerWindow " +
           WindowWord(WordToWindow(target)) + "\n");
  return kLiveDone;
}

int Serve(int count, double timeout, bool hold) {
  serve_state = ServeState{};
  serve_state.limit = count;
  serve_state.hold = hold;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = ServeWindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"RecoctlServeWindow";
  if (RegisterClassW(&window_class) == 0) {
    PrintErr("recoctl: could not register the window class\n");
    return kLiveFailed;
  }
  HWND window = CreateWindowExW(0, window_class.lpszClassName, L"recoctl serve", WS_OVERLAPPED, 0,
                                0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    PrintErr("recoctl: could not create the window (error " + std::to_string(GetLastError()) +
             ")\n");
    return kLiveFailed;
  }

  const bool existed = ExistingSection(kServerSectionName, sizeof(ServerBlock)).View() != nullptr;
  ServerSection section;
  if (!section.Open() || section.Block() == nullptr) {
    PrintErr("recoctl: could not open the server section\n");
    DestroyWindow(window);
    return kLiveFailed;
  }
  section.Block()->ServerWindow = WindowToWord(window);
  if (timeout > 0) SetTimer(window, kTimeoutTimer, static_cast<UINT>(timeout * 1000), nullptr);
  if (hold) {
    SetTimer(window, kHoldTimer, kHoldPollMs, nullptr);
    SendMessageW(window, WM_TIMER, kHoldTimer, 0);
  }
  PrintOut("serving window=" + WindowWord(window) +
           (existed ? " section=opened" : " section=created") + "\n");

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // Another server may have taken the word over meanwhile; it keeps it.
  if (section.Block()->ServerWindow == WindowToWord(window)) section.Block()->ServerWindow = 0;
  section.Release();
  if (serve_state.held_view != nullptr) UnmapViewOfFile(serve_state.held_view);
  if (serve_state.held != nullptr) CloseHandle(serve_state.held);
  PrintOut("stopped after " + std::to_string(serve_state.received) + " notification(s)\n");
  return kLiveDone;
}

int PageWait(double timeout) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout * 1000);
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    HWND page = FindPage();
    // A page that ended while it was waited for leaves the loop to look again.
    if (page != nullptr && WaitPageIdle(page, left) == 0 && IsWindow(page)) {
      PrintOut("page " + WindowWord(page) + " ready\n");
      return kLiveDone;
    }
    if (GetTickCount64() >= deadline) {
      PrintErr(page == nullptr ? "recoctl: no settings page opened\n"
                               : "recoctl: the page did not finish loading\n");
      return kLiveFailed;
    }
    Sleep(kPollMs);
  }
}

int PageState(bool json) {
  HWND page = RequirePage();
  if (page == nullptr) return kLiveFailed;
  const Json state = PageJson(page);
  PrintOut(json ? state.dump(2, ' ', false, Json::error_handler_t::replace) + "\n"
                : PageText(state));
  return kLiveDone;
}

int PageCheck(int id, bool on) {
  HWND page = RequirePage();
  if (page == nullptr) return kLiveFailed;
  HWND box = RequireControl(page, id, "checkbox");
  if (box == nullptr) return kLiveFailed;
  // A user clicks only a box that is not already as wanted.
  const bool checked = Send(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (checked != on) {
    Send(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    Send(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(box));
  }
  return kLiveDone;
}

int PageSelect(int id, int index) {
  HWND page = RequirePage();
  if (page == nullptr) return kLiveFailed;
  HWND combo = RequireControl(page, id, "combobox");
  if (combo == nullptr) return kLiveFailed;
  const LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
  if (index < 0 || index >= count) {
    PrintErr("recoctl: combo box " + std::to_string(id) + " has " + std::to_string(count) +
             " items\n");
    return kLiveFailed;
  }
  Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  Send(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  return kLiveDone;
}

int PageOk() {
  HWND page = RequirePage();
  if (page == nullptr) return kLiveFailed;
  // What the OK button sends its dialog when clicked (on CE the caption's
  // button, which has no window of its own).
  HWND button = GetDlgItem(page, IDOK);
  Send(page, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return WaitGone(page);
}

int PageClose() {
  HWND page = RequirePage();
  if (page == nullptr) return kLiveFailed;
  Send(page, WM_CLOSE, 0, 0);
  return WaitGone(page);
}

int PageApply() {
  HWND page = RequirePage();
  if (page == nullptr) return kLiveFailed;
  bool answered = false;
  Send(page, WM_RANGE_APPLY, 0, 0, &answered);
  if (!answered) {
    PrintErr("recoctl: the page did not answer\n");
    return kLiveFailed;
  }
  PrintOut("page " + WindowWord(page) + " applied\n");
  return kLiveDone;
}

int PageFit() {
  HWND page = RequirePage();
  return page != nullptr ? page_fit::Report(page, TemplateOf(page)) : kLiveFailed;
}

}  // namespace live_windows
