// The punctuation record and the soft keyboards of the current recognition
// language ("Reco Lang\<Folder>\Keyboard.ini"), and the keyboards' titles
// in the interface language ("Keyboard.ini" of the interface folder).
#include <cstring>

#include "builder/folder_path.h"
#include "builder/loaders.h"
#include "ini/ini_file.h"
#include "shared/sections.h"

namespace {

const WCHAR kPuncSection[] = TEXT("PUNCSYMB");
const WCHAR kKeyboardSection[] = TEXT("Soft Keyboard");
const WCHAR kSeparator[] = TEXT("ID_KB_SEPARATOR");
const WCHAR kPuncFont[] = TEXT("Times New Roman");
// ( ) [ ] { } / \ | * ' " - _ ` ^ ~ ; : ? ! · , .
const WCHAR kPuncChars[] = TEXT("()[]{}/\\|*'\"-_`^~;:?!\u00B7,.");
// ` ( ) ' " - _ ~ ; : ? ! · , .
const WCHAR kPuncMinChars[] = TEXT("`()'\"-_~;:?!\u00B7,.");
constexpr int kPuncDefaultSize = 16;
// Larger sizes, and negative ones taken unsigned, are stored as this.
constexpr DWORD kPuncMaxSize = 10;

bool IsSeparator(const SoftKeyboardLayout& layout) {
  return _wcsicmp(layout.Name, kSeparator) == 0;
}

const RecoLangEntry* FindRecoLang(const RecoLangTableRegion& table, WORD lang_id) {
  const DWORD count = table.Count < kRecoLangSlots ? table.Count : kRecoLangSlots;
  for (DWORD i = 0; i < count; ++i) {
    if (table.Entries[i].LangId == lang_id) return &table.Entries[i];
  }
  return nullptr;
}

void LoadPuncSymb(IniFile& ini, PuncSymbRegion* punc) {
  ini.IniGetString(kPuncSection, TEXT("Char"), kPuncChars, punc->Char, Capacity(punc->Char));
  ini.IniGetString(kPuncSection, TEXT("MinChar"), kPuncMinChars, punc->MinChar,
                   Capacity(punc->MinChar));
  ini.IniGetString(kPuncSection, TEXT("Font"), kPuncFont, punc->Font, Capacity(punc->Font));
  // Compared unsigned: a negative size in the file is stored as the maximum.
  const DWORD size =
      static_cast<DWORD>(ini.IniGetInt(kPuncSection, TEXT("Size"), kPuncDefaultSize));
  punc->Size = size >= kPuncMaxSize ? kPuncMaxSize : size;
}

void LoadLayouts(IniFile& ini, SoftKeyboardTableRegion* table) {
  ini.IniGetString(kKeyboardSection, TEXT("Font"), TEXT("MingLiU"), table->Font,
                   Capacity(table->Font));
  table->Size = static_cast<DWORD>(ini.IniGetInt(kKeyboardSection, TEXT("Size"), 16));
  for (WCHAR letter = TEXT('A'); letter <= TEXT('Z'); ++letter) {
    const WCHAR key[2] = {letter, 0};
    SoftKeyboardLayout layout;
    std::memset(&layout, 0, sizeof(layout));
    // The first missing or empty letter ends the list.
    if (ini.IniGetString(kKeyboardSection, key, TEXT(""), layout.Name, Capacity(layout.Name)) == 0)
      break;
    if (!IsSeparator(layout)) {
      // A keyboard without its first row is skipped; later letters still count.
      if (ini.IniGetString(layout.Name, TEXT("1"), TEXT(""), layout.Text1,
                           Capacity(layout.Text1)) == 0)
        continue;
      ini.IniGetString(layout.Name, TEXT("2"), TEXT(""), layout.Text2, Capacity(layout.Text2));
      ini.IniGetString(layout.Name, TEXT("3"), TEXT(""), layout.Text3, Capacity(layout.Text3));
      ini.IniGetString(layout.Name, TEXT("4"), TEXT(""), layout.Text4, Capacity(layout.Text4));
    }
    if (table->Count < kMaxSoftKeyboards) {
      table->Layouts[table->Count] = layout;
      ++table->Count;
    }
  }
}

}  // namespace

DWORD LoadKeyboards(PreferenceSection* section, LPCWSTR install_dir) {
  PreferenceBlock* block = section != nullptr ? section->Block() : nullptr;
  if (block == nullptr) return kBuildNoEntry;
  const WORD lang_id = static_cast<WORD>(block->Header.RecoLangId & 0xFFFF);
  const RecoLangEntry* language = FindRecoLang(block->RecoLangTable, lang_id);
  if (language == nullptr) return kBuildNoEntry;

  PuncSymbRegion* punc = &block->PuncSymb;
  punc->Size = kPuncDefaultSize;
  StringCchCopyW(punc->Font, Capacity(punc->Font), kPuncFont);
  StringCchCopyW(punc->Char, Capacity(punc->Char), kPuncChars);
  StringCchCopyW(punc->MinChar, Capacity(punc->MinChar), kPuncMinChars);

  WCHAR path[MAX_PATH];
  FormPath(path, install_dir, TEXT("Reco Lang\\"));
  JoinPath(path, language->Folder);
  JoinPath(path, TEXT("Keyboard.ini"));
  IniFile ini;
  ini.IniOpen(path, GENERIC_READ, 0);
  LoadPuncSymb(ini, punc);
  ini.IniClose();

  SoftKeyboardTableRegion* table = &block->SoftKeyboardTable;
  table->Count = 0;
  table->Reserved = 0;
  table->Size = 16;
  StringCchCopyW(table->Font, Capacity(table->Font), kPuncFont);
  std::memset(table->Layouts, 0, sizeof(table->Layouts));
  ini.IniOpen(path, GENERIC_READ, 0);
  LoadLayouts(ini, table);
  ini.IniClose();
  return 0;
}

void LoadKeyboardTitles(SoftKeyboardTableRegion* table, LPCWSTR menu_lang_dir) {
  WCHAR path[MAX_PATH];
  if (table == nullptr || !FormPath(path, menu_lang_dir, TEXT("Keyboard.ini"))) return;
  IniFile ini;
  ini.IniOpen(path, GENERIC_READ, 0);
  const DWORD count = table->Count < kMaxSoftKeyboards ? table->Count : kMaxSoftKeyboards;
  // The numbered defaults count keyboards only, not separators.
  UINT keyboard = 0;
  for (DWORD i = 0; i < count; ++i) {
    SoftKeyboardLayout& layout = table->Layouts[i];
    if (IsSeparator(layout)) continue;
    WCHAR default_title[16];
    StringCchPrintfW(default_title, Capacity(default_title), TEXT("Layout%02X"), keyboard++);
    ini.IniGetString(kKeyboardSection, layout.Name, default_title, layout.Title,
                     Capacity(layout.Title));
  }
  ini.IniClose();
}
