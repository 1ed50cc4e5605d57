// Start to page ready, under Wine: the settings program started N times,
// alternating with a bare dialog of the same controls that loads nothing
// (bare_page.exe), each timed from its process start to its dialog being
// ready, then closed. The settings page is ready when its texts are set
// and its lists filled and loaded (the font-name list has entries and the
// font-size list a selection); the bare dialog when it is visible. Each
// start of the program finds no preference section and builds it, as the
// first start of a session does. Reported: the median of the per-pair
// ratios, with the medians of each side, and the median time at which the
// settings page was first seen visible (its lists are filled by the
// messages it posts to itself, after that).
//
//   bench_page_ready [PAIRS]   (recorange.exe and bare_page.exe beside it)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "resources/app/resource.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == search->process && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

bool Ready(HWND dialog, bool settings_page) {
  if (!settings_page) return true;
  const LRESULT fonts = SendDlgItemMessageW(dialog, IDC_FONT_NAME, CB_GETCOUNT, 0, 0);
  const LRESULT size = SendDlgItemMessageW(dialog, IDC_FONT_SIZE, CB_GETCURSEL, 0, 0);
  return fonts > 0 && fonts != CB_ERR && size != CB_ERR;
}

// Milliseconds from the process start to its dialog being ready; -1 on
// failure. `visible`, when given, gets the time it was first seen visible.
double StartToReady(const std::wstring& program, bool settings_page, double* visible = nullptr) {
  std::wstring command = L"\"" + program + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  const Clock::time_point start = Clock::now();
  if (!CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  double ms = -1;
  Search search = {process.dwProcessId, nullptr};
  while (std::chrono::duration<double>(Clock::now() - start).count() < 30) {
    if (search.found == nullptr) {
      EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr && visible != nullptr) {
        *visible = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      }
    }
    if (search.found != nullptr && Ready(search.found, settings_page)) {
      ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      break;
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
    SwitchToThread();
  }
  if (search.found != nullptr) PostMessageW(search.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    ms = -1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ms;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int pairs = argc >= 2 ? _wtoi(argv[1]) : 30;
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dir = self;
  dir.resize(dir.find_last_of(L'\\') + 1);
  const std::wstring page = dir + L"recorange.exe";
  const std::wstring bare = dir + L"bare_page.exe";
  // A start of each first: the prefix's first start of a program is slower.
  if (StartToReady(page, true) < 0 || StartToReady(bare, false) < 0) {
    std::fprintf(stderr, "recorange.exe or bare_page.exe did not get ready\n");
    return 1;
  }
  std::vector<double> ratios, pages, bares, visibles;
  for (int i = 0; i < pairs; ++i) {
    double p, b, v = -1;
    if (i % 2 == 0) {
      p = StartToReady(page, true, &v);
      b = StartToReady(bare, false);
    } else {
      b = StartToReady(bare, false);
      p = StartToReady(page, true, &v);
    }
    if (p < 0 || b < 0) {
      std::fprintf(stderr, "a start did not get ready\n");
      return 1;
    }
    ratios.push_back(p / b);
    pages.push_back(p);
    bares.push_back(b);
    visibles.push_back(v);
  }
  std::printf(
      "page-ready  ratio %.2f  page %.0f ms  bare %.0f ms  (median of %d pairs; the page first "
      "seen visible at %.0f ms)\n",
      Median(ratios), Median(pages), Median(bares), pairs, Median(visibles));
  return 0;
}
