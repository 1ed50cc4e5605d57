// The behaviour both recognition-range pages share: publishing the page in
// the server record, the message protocol (texts, load, apply, save, the
// reload notification), and the font-name and font-size controls.
#ifndef RECO_APP_RANGE_PAGE_H_
#define RECO_APP_RANGE_PAGE_H_

#include "app/window_base.h"
#include "resources/app/resource.h"
#include "shared/preference_block.h"

// What a page's text, load and save handlers return when the entry of its
// language does not exist.
constexpr INT_PTR RANGE_PAGE_NO_ENTRY = 13;

class RangePage : public DialogBase {
 public:
  INT_PTR WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnInitDialog(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnDestroy(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnClose(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;

 protected:
  // The page's three content handlers: 0, or RANGE_PAGE_NO_ENTRY.
  virtual INT_PTR OnInitTexts(HWND window, UINT message, WPARAM wparam, LPARAM lparam) = 0;
  virtual INT_PTR OnLoad(HWND window, UINT message, WPARAM wparam, LPARAM lparam) = 0;
  virtual INT_PTR OnSave(HWND window, UINT message, WPARAM wparam, LPARAM lparam) = 0;

  // The control `id` of the page, or nullptr when the page or the control
  // does not exist (every step that touches a control is then skipped).
  HWND Control(int id) const;
  void SetControlText(int id, const WCHAR* text) const;
  void SetCheck(int id) const;
  bool IsChecked(int id) const;
  void AppendItem(int combo_id, const WCHAR* text) const;

  // The title and the font group's texts, which both pages take from the
  // same slots.
  void SetCommonTexts(const RecoOptionTextsRegion& texts) const;
  // Face names of the font list, in list order, into the font-name combo.
  void FillFontNames() const;
  // The sizes offered for ExtendSize, as "%d" texts with the number as data.
  void FillFontSizes() const;
  // Selects the entry's font name (ignoring case, else item 0) and size
  // (else the last item).
  void SelectFont(const LanguageEntry& entry) const;
  // Stores the font combos into the entry: the name always when the combo
  // exists, the size only when one is selected.
  void SaveFont(LanguageEntry* entry) const;

  // The shared records, or nullptr when not mapped.
  static PreferenceBlock* Preferences();
  static ServerBlock* Server();
  // The entry the page edits: the first whose LangId is PageLangId.
  static LanguageEntry* Entry();
};

#endif  // RECO_APP_RANGE_PAGE_H_
