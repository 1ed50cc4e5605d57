// Where a start of the settings program goes before its dialog, under Wine:
// the steps of its start-up timed one by one inside one process, on the
// sample installation beside it, N times (each start a process of its own,
// started by bench_page_ready's harness or by hand). The font enumeration is
// timed twice: Wine builds its list of faces on the first enumeration of a
// process, which the second shows apart from the callback's own work.
//
//   start_steps.exe   (prints one line of milliseconds per step)
#include <cstdio>

#include "app/font_name_list.h"
#include "builder/preference_builder.h"
#include "paths/directories.h"
#include "platform/platform.h"
#include "shared/sections.h"

namespace {

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Enumerate(HDC screen, FontNameList* fonts) {
  const double start = Now();
  LOGFONTW query = {};
  query.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(screen, &query, reinterpret_cast<FONTENUMPROCW>(&FontNameList::AddFontFamily),
                      reinterpret_cast<LPARAM>(fonts), 0);
  return Now() - start;
}

}  // namespace

int main() {
  const double start = Now();
  ResolveInstallDir(InstallDir, TRUE);
  ResolveDataDir();
  const double directories = Now();
  PreferenceSection preferences;
  preferences.Open();
  if (preferences.Block() == nullptr) return 1;
  const double opened = Now();
  if (!preferences.Existed()) BuildPreferences(&preferences, InstallDir, DataDir);
  const double built = Now();
  ServerSection server;
  server.Open();
  const double server_opened = Now();
  // The dialog takes the screen's context too: its first use is the
  // display's start, which the bare dialog pays as well.
  HDC screen = GetDC(nullptr);
  const double screen_taken = Now();
  FontNameList fonts;
  const double first = Enumerate(screen, &fonts);
  const double sort_start = Now();
  fonts.Sort();
  const double sorted = Now();
  FontNameList again;
  const double second = Enumerate(screen, &again);
  ReleaseDC(nullptr, screen);
  std::printf(
      "directories %.1f  sections %.1f  build %.1f  server %.1f  (screen %.1f)  "
      "fonts %.1f (%lu names; again %.1f)  sort %.2f ms\n",
      directories - start, opened - directories, built - opened, server_opened - built,
      screen_taken - server_opened, first, static_cast<unsigned long>(fonts.Count()), second,
      sorted - sort_start);
  preferences.Release();
  server.Release();
  return 0;
}
