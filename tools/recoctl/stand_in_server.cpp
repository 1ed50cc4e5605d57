#include "tools/recoctl/stand_in_server.h"

#include <cstdio>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "shared/messages.h"
#include "shared/preference_block.h"
#include "shared/sections.h"
#include "tools/recoctl/host.h"

namespace stand_in_server {
namespace {

constexpr UINT_PTR kTimeoutTimer = 1;
constexpr UINT_PTR kHoldTimer = 2;
constexpr UINT kHoldPollMs = 50;

// What the window procedure keeps between messages.
struct ServeState {
  int limit = 0;
  int received = 0;
  // With --hold: the preference section once some process has made it,
  // mapped until the end so that it outlives the page.
  bool hold = false;
  HANDLE held = nullptr;
  void* held_view = nullptr;
};
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

}  // namespace stand_in_server
