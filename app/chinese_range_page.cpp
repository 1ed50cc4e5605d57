#include "app/chinese_range_page.h"

#include "app/range_values.h"
#include "settings/settings_file.h"

INT_PTR ChineseRangePage::OnInitTexts(HWND, UINT, WPARAM, LPARAM) {
  const PreferenceBlock* block = Preferences();
  if (block == nullptr) return 0;
  const RecoOptionTextsRegion& texts = block->RecoOptionTexts;
  SetCommonTexts(texts);
  SetControlText(IDC_CHARSET_LABEL, texts.SetCharSet);
  SetControlText(IDC_RANGE_GROUP, texts.RecoRange);
  AppendItem(IDC_CHARSET, texts.GB2312);
  AppendItem(IDC_CHARSET, texts.GBK);
  AppendItem(IDC_CHARSET, texts.GB18030);
  for (int i = 0; i < kChineseRangeBoxCount; ++i) {
    SetControlText(kChineseRangeBoxes[i].control_id, texts.ScCheck[i]);
  }
  FillFontNames();
  FillFontSizes();
  return 0;
}

INT_PTR ChineseRangePage::OnLoad(HWND, UINT, WPARAM, LPARAM) {
  const LanguageEntry* entry = Entry();
  if (entry == nullptr) return RANGE_PAGE_NO_ENTRY;
  if (HWND charset = Control(IDC_CHARSET)) {
    SendMessageW(charset, CB_SETCURSEL, static_cast<WPARAM>(CharsetItem(entry->Charset)), 0);
  }
  // Boxes whose bits are absent keep their state: unchecked in a new dialog.
  const unsigned checked = CheckedRangeBoxes(entry->RecoRange);
  for (int i = 0; i < kChineseRangeBoxCount; ++i) {
    if ((checked & (1u << i)) != 0) SetCheck(kChineseRangeBoxes[i].control_id);
  }
  SelectFont(*entry);
  return 0;
}

INT_PTR ChineseRangePage::OnSave(HWND, UINT, WPARAM, LPARAM) {
  LanguageEntry* entry = Entry();
  if (entry == nullptr) return RANGE_PAGE_NO_ENTRY;
  if (HWND charset = Control(IDC_CHARSET)) {
    entry->Charset = CharsetForItem(static_cast<int>(SendMessageW(charset, CB_GETCURSEL, 0, 0)));
  }
  // Written back at exit even when the settings file could not be read.
  NoteRecordConfirmed(kChineseRangeRecord);
  SaveFont(entry);
  // The range is rebuilt from the boxes alone: bits no box shows are cleared.
  unsigned checked = 0;
  for (int i = 0; i < kChineseRangeBoxCount; ++i) {
    if (IsChecked(kChineseRangeBoxes[i].control_id)) checked |= 1u << i;
  }
  entry->RecoRange = RangeForCheckedBoxes(checked);
  entry->AutoInsertSpace = 0;
  entry->Word24 = 0;
  return 0;
}
