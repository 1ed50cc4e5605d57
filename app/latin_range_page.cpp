#include "app/latin_range_page.h"

#include "app/range_values.h"
#include "settings/settings_file.h"

INT_PTR LatinRangePage::OnInitTexts(HWND, UINT, WPARAM, LPARAM) {
  const PreferenceBlock* block = Preferences();
  if (block == nullptr) return 0;
  const RecoOptionTextsRegion& texts = block->RecoOptionTexts;
  // The range group box keeps its template text: no slot names it.
  SetCommonTexts(texts);
  SetControlText(IDC_LATIN_STRING, texts.String);
  SetControlText(IDC_LATIN_SHORT_PHRASE, texts.ShortString);
  SetControlText(IDC_LATIN_AUTO_SPACE, texts.AutoInsertSpace);
  SetControlText(IDC_OUTPUT_GROUP, texts.OutputSetting);
  FillFontNames();
  FillFontSizes();
  return 0;
}

INT_PTR LatinRangePage::OnLoad(HWND, UINT, WPARAM, LPARAM) {
  const LanguageEntry* entry = Entry();
  if (entry == nullptr) return RANGE_PAGE_NO_ENTRY;
  if ((entry->RecoRange & kLatinStringBit) != 0) SetCheck(IDC_LATIN_STRING);
  if (entry->PhraseMode == kPhraseModeShort) SetCheck(IDC_LATIN_SHORT_PHRASE);
  if ((entry->AutoInsertSpace & 0x1) != 0) SetCheck(IDC_LATIN_AUTO_SPACE);
  SelectFont(*entry);
  return 0;
}

INT_PTR LatinRangePage::OnSave(HWND, UINT, WPARAM, LPARAM) {
  LanguageEntry* entry = Entry();
  if (entry == nullptr) return RANGE_PAGE_NO_ENTRY;
  // Written back at exit even when the settings file could not be read.
  NoteRecordConfirmed(kLatinRangeRecord);
  SaveFont(entry);
  entry->AutoInsertSpace = 0;
  entry->Word24 = 0;
  // The disabled box is shown and stored all the same; the other bits of
  // the range are the recognizer's and are kept.
  if (IsChecked(IDC_LATIN_STRING)) {
    entry->RecoRange |= kLatinStringBit;
  } else {
    entry->RecoRange &= ~kLatinStringBit;
  }
  entry->PhraseMode = IsChecked(IDC_LATIN_SHORT_PHRASE) ? kPhraseModeShort : kPhraseModeOther;
  if (IsChecked(IDC_LATIN_AUTO_SPACE)) entry->AutoInsertSpace = 1;
  return 0;
}
