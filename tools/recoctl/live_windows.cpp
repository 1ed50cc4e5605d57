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
#include "shared/messages.h"
#include "shared/preference_block.h"
#include "shared/sections.h"
#include "tools/recoctl/block_decoder.h"
#include "tools/recoctl/host.h"
#include "tools/recoctl/live_sections.h"

namespace live_windows {
namespace {

using Json = nlohmann::ordered_json;

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

}  // namespace live_windows
