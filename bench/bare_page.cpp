// The peer of the page-ready benchmark: a dialog of the same template and
// controls as the settings program's Latin page, with the same manifest,
// that loads nothing (no sections, no build, no fonts, no texts). bench_page_ready times the start
// of each to its dialog being ready.
#include <windows.h>

#include "resources/app/resource.h"

namespace {

INT_PTR CALLBACK BareProc(HWND window, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CLOSE:
      EndDialog(window, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) EndDialog(window, LOWORD(wparam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  return static_cast<int>(
      DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_LATIN_RANGE), nullptr, BareProc, 0));
}
