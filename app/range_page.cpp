#include "app/range_page.h"

#include "app/app_globals.h"
#include "app/range_values.h"
#include "shared/messages.h"

PreferenceBlock* RangePage::Preferences() {
  return AppGlobals.preference_section != nullptr ? AppGlobals.preference_section->Block()
                                                  : nullptr;
}

ServerBlock* RangePage::Server() {
  return AppGlobals.server_section != nullptr ? AppGlobals.server_section->Block() : nullptr;
}

LanguageEntry* RangePage::Entry() {
  PreferenceBlock* block = Preferences();
  return block != nullptr ? FindLanguageEntry(block, PageLangId) : nullptr;
}

INT_PTR RangePage::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_RANGE_LOAD:
      return OnLoad(window, message, wparam, lparam);
    case WM_RANGE_SAVE:
      return OnSave(window, message, wparam, lparam);
    case WM_RANGE_INITTEXTS:
      return OnInitTexts(window, message, wparam, lparam);
    case WM_RANGE_APPLY: {
      // The entry is written (synchronously) before the server hears of it.
      SendMessageW(window_, WM_RANGE_SAVE, 0, 0);
      if (ServerBlock* server = Server()) {
        PostMessageW(WordToWindow(server->ServerWindow), WM_SERVER_NOTIFY, NOTIFY_RANGE_CHANGED, 0);
      }
      return 0;
    }
    case WM_CLOSE:
      return OnClose(window, message, wparam, lparam);
    default:
      return DialogBase::WindowProc(window, message, wparam, lparam);
  }
}

INT_PTR RangePage::OnInitDialog(HWND window, UINT, WPARAM, LPARAM) {
  if (ServerBlock* server = Server()) server->SettingsWindow = WindowToWord(window);
  const LONG ex_style = GetWindowLongW(window, GWL_EXSTYLE);
  SetWindowLongW(window, GWL_EXSTYLE, ex_style | static_cast<LONG>(WS_EX_CAPTIONOKBTN));
  // Posted, not sent: both run from the modal loop once the dialog exists,
  // texts and lists first, so that the load finds the combo boxes filled.
  PostMessageW(window, WM_RANGE_INITTEXTS, 0, 0);
  PostMessageW(window, WM_RANGE_LOAD, 0, 0);
  return 0;
}

INT_PTR RangePage::OnDestroy(HWND, UINT, WPARAM, LPARAM) {
  if (ServerBlock* server = Server()) server->SettingsWindow = 0;
  return 0;
}

INT_PTR RangePage::OnCommand(HWND window, UINT, WPARAM wparam, LPARAM) {
  if (LOWORD(wparam) == IDOK) {
    SendMessageW(window_, WM_RANGE_APPLY, 0, 0);
    EndDialog(window, 1);
  }
  return 0;
}

INT_PTR RangePage::OnClose(HWND window, UINT, WPARAM wparam, LPARAM) {
  EndDialog(window, LOWORD(wparam));
  return 1;
}

HWND RangePage::Control(int id) const {
  if (!IsWindow(window_)) return nullptr;
  return GetDlgItem(window_, id);
}

void RangePage::SetControlText(int id, const WCHAR* text) const {
  if (HWND control = Control(id)) SetWindowTextW(control, text);
}

void RangePage::SetCheck(int id) const {
  if (HWND control = Control(id)) SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
}

bool RangePage::IsChecked(int id) const {
  HWND control = Control(id);
  return control != nullptr && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void RangePage::AppendItem(int combo_id, const WCHAR* text) const {
  if (HWND combo = Control(combo_id)) {
    SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  }
}

void RangePage::SetCommonTexts(const RecoOptionTextsRegion& texts) const {
  if (IsWindow(window_)) SetWindowTextW(window_, texts.RecoRange);
  SetControlText(IDC_FONT_GROUP, texts.FontSettings);
  SetControlText(IDC_FONT_NAME_LABEL, texts.FontName);
  SetControlText(IDC_FONT_SIZE_LABEL, texts.FontSize);
}

// The lists are filled with drawing on. On CE only list boxes, combo boxes
// and tree views handle WM_SETREDRAW, so the page cannot stop drawing as a
// whole; stopping it for the two combo boxes alone, while they were filled,
// made no difference that showed in the time to page ready under Wine.
void RangePage::FillFontNames() const {
  const FontNameList* fonts = AppGlobals.font_names;
  if (fonts == nullptr) return;
  for (DWORD i = 0; i < fonts->Count(); ++i) {
    if (const LOGFONTW* font = fonts->At(i)) AppendItem(IDC_FONT_NAME, font->lfFaceName);
  }
}

void RangePage::FillFontSizes() const {
  const PreferenceBlock* block = Preferences();
  HWND combo = Control(IDC_FONT_SIZE);
  DWORD first = 0;
  DWORD last = 0;
  if (block == nullptr || combo == nullptr || !FontSizeRange(block->ExtendSize, &first, &last)) {
    return;
  }
  for (DWORD size = first; size <= last; ++size) {
    WCHAR text[64];
    StringCchPrintfW(text, Capacity(text), TEXT("%d"), static_cast<int>(size));
    SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(count - 1), static_cast<LPARAM>(size));
  }
}

void RangePage::SelectFont(const LanguageEntry& entry) const {
  if (HWND names = Control(IDC_FONT_NAME)) {
    const LRESULT count = SendMessageW(names, CB_GETCOUNT, 0, 0);
    LRESULT match = 0;
    for (LRESULT i = 0; i < count; ++i) {
      WCHAR text[64] = {0};
      // An item too long for the buffer cannot equal a 31-character name.
      if (SendMessageW(names, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= 64) continue;
      SendMessageW(names, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      if (_wcsicmp(text, entry.FontName) == 0) {
        match = i;
        break;
      }
    }
    if (count > 0) SendMessageW(names, CB_SETCURSEL, static_cast<WPARAM>(match), 0);
  }
  if (HWND sizes = Control(IDC_FONT_SIZE)) {
    const LRESULT count = SendMessageW(sizes, CB_GETCOUNT, 0, 0);
    LRESULT match = count > 0 ? count - 1 : 0;
    for (LRESULT i = 0; i < count; ++i) {
      if (static_cast<DWORD>(SendMessageW(sizes, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) ==
          entry.FontSize) {
        match = i;
        break;
      }
    }
    SendMessageW(sizes, CB_SETCURSEL, static_cast<WPARAM>(match), 0);
  }
}

void RangePage::SaveFont(LanguageEntry* entry) const {
  if (HWND names = Control(IDC_FONT_NAME)) {
    GetWindowTextW(names, entry->FontName, Capacity(entry->FontName));
  }
  if (HWND sizes = Control(IDC_FONT_SIZE)) {
    const LRESULT selected = SendMessageW(sizes, CB_GETCURSEL, 0, 0);
    if (selected != CB_ERR) {
      entry->FontSize =
          static_cast<DWORD>(SendMessageW(sizes, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    }
  }
}
