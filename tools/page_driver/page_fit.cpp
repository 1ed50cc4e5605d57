#include "tools/page_driver/page_fit.h"

#include <cstring>
#include <string>
#include <vector>

#include "tools/page_driver/page_actions.h"
#include "tools/recoctl/host.h"

namespace page_fit {
namespace {

// A group box draws its caption inside its frame, this far in from either
// side (Wine's and Windows' buttons alike).
constexpr int kGroupCaptionIndent = 7;
constexpr UINT kSendTimeoutMs = 10000;

// The executable of the process that owns `window`; empty when unknown.
WString ProgramOf(HWND window) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (process == nullptr) return WString();
  WCHAR path[MAX_PATH] = {0};
  DWORD size = MAX_PATH;
  const BOOL found = QueryFullProcessImageNameW(process, 0, path, &size);
  CloseHandle(process);
  return found ? WString(path, size) : WString();
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// A font belongs to the process that made it: the page's cannot be selected
// here. The dialog manager makes a control's font from the template alone,
// so the page's own template, made here unseen, gives each control the font
// it has on the page. Null when the template cannot be had.
HWND MakeUnseenCopy(HWND page, int template_id) {
  const WString program = ProgramOf(page);
  HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return nullptr;
  HWND copy = nullptr;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(template_id), RT_DIALOG);
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const auto* bytes = loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
  if (bytes != nullptr && size >= 16) {
    std::vector<BYTE> tmpl(bytes, bytes + size);
    // The style leads a DLGTEMPLATE; a DLGTEMPLATEEX (signature 0xFFFF at
    // byte 2) has it after its version, signature, help id and extended style.
    const size_t style_at = tmpl[2] == 0xFF && tmpl[3] == 0xFF ? 12 : 0;
    DWORD style = 0;
    std::memcpy(&style, &tmpl[style_at], sizeof(style));
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    std::memcpy(&tmpl[style_at], &style, sizeof(style));
    copy = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                      reinterpret_cast<LPCDLGTEMPLATEW>(tmpl.data()), nullptr,
                                      QuietDialogProc, 0);
  }
  FreeLibrary(module);
  return copy;
}

// The text of a window of another process.
WString TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &length)) {
    return WString();
  }
  std::vector<WCHAR> text(length + 1, 0);
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied);
  return WString(text.data(), copied < length ? copied : length);
}

// What of `width` the text of `control` may use as the control draws it,
// with its kind; -1 for a control whose text is not measured. `dc` has the
// control's font selected.
int TextRoom(HWND control, HDC dc, int width, const char** kind) {
  WCHAR name[16] = {0};
  GetClassNameW(control, name, 16);
  if (_wcsicmp(name, L"Static") == 0) {
    *kind = "label";  // wraps a longer text into lines the control has no room for
    return width;
  }
  if (_wcsicmp(name, L"Button") != 0) return -1;
  switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: {
      *kind = "check box";
      // The box, then a gap of half a digit's width before the text.
      INT digit = 0;
      GetCharWidth32W(dc, L'0', L'0', &digit);
      return width - GetSystemMetrics(SM_CXMENUCHECK) - digit / 2;
    }
    case BS_GROUPBOX:
      *kind = "group box";
      return width - 2 * kGroupCaptionIndent;
    default:
      return -1;
  }
}

}  // namespace

int Report(HWND page, int template_id) {
  HWND copy = MakeUnseenCopy(page, template_id);
  if (copy == nullptr) {
    PrintErr("recopage: template " + std::to_string(template_id) +
             " of the page's program could not be made here\n");
    return kPageFailed;
  }
  int measured = 0;
  int clipped = 0;
  for (HWND mine = GetWindow(copy, GW_CHILD); mine != nullptr;
       mine = GetWindow(mine, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(mine);
    HWND theirs = GetDlgItem(page, id);
    RECT mine_client = {};
    RECT their_client = {};
    if (theirs == nullptr || !GetClientRect(mine, &mine_client) ||
        !GetClientRect(theirs, &their_client)) {
      continue;
    }
    HDC dc = GetDC(mine);
    const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(mine, WM_GETFONT, 0, 0));
    HGDIOBJ old_font = font != nullptr ? SelectObject(dc, font) : nullptr;
    const char* kind = "";
    const int room = TextRoom(mine, dc, their_client.right, &kind);
    const WString text = TextOf(theirs);
    SIZE needed = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &needed);
    if (old_font != nullptr) SelectObject(dc, old_font);
    ReleaseDC(mine, dc);
    if (room < 0) continue;
    ++measured;
    // Another size here than on the page: the fonts differ too.
    const bool same_size = mine_client.right == their_client.right;
    const bool fits = same_size && needed.cx <= room;
    if (!fits) ++clipped;
    PrintOut(std::to_string(id) + " " + kind + " \"" + Narrow(text.c_str()) + "\" needs " +
             std::to_string(needed.cx) + " px, has " + std::to_string(room) +
             (same_size ? "" : " (the copy here has another size)") + (fits ? "" : ": clipped") +
             "\n");
  }
  DestroyWindow(copy);
  PrintOut(std::to_string(measured - clipped) + " of " + std::to_string(measured) + " texts fit\n");
  return clipped == 0 && measured > 0 ? kPageDone : kPageFailed;
}

}  // namespace page_fit
