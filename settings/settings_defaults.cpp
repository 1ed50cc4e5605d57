#include "settings/settings_defaults.h"

#include <cstring>

namespace {

// The registry key keeps its trailing backslash: it is the key the server
// and the installer write, spelt as they spell it.
const WCHAR kHotkeyKey[] = TEXT("Software\\Telvar\\QXLUM\\VEQ\\");
const WCHAR kHotkeyValue[] = TEXT("Hotkey");

// "宋体", the face every entry starts with.
const WCHAR kDefaultFontName[] = {0x5B8B, 0x4F53, 0};

// The entry word at 120 has no documented default; the recognizer treats 0
// as its own default.
constexpr DWORD kDefaultWord120 = 0;

void SetNumRangeDefault(PreferenceBlock* block) { block->NumRange = kDefaultNumRange; }

void SetExtendDefaults(PreferenceBlock* block) {
  block->ExtendWord0 = kDefaultExtendWord0;
  block->ExtendSize = kDefaultExtendSize;
}

// The fields both entries default alike.
void SetCommonEntryDefaults(LanguageEntry* entry) {
  entry->PhraseMode = 3;
  entry->Word24 = 0;
  entry->Word44 = 0;
  // The whole field is set, so a record rejected after its bytes were decoded
  // leaves nothing of them behind the name.
  std::memset(entry->FontName, 0, sizeof(entry->FontName));
  StringCchCopyW(entry->FontName, sizeof(entry->FontName) / sizeof(WCHAR), kDefaultFontName);
  entry->FontSize = 0;
  entry->Word120 = kDefaultWord120;
  entry->Word124 = 0;
  entry->Word128 = 80;
  entry->Word132 = 0;
  entry->Word136 = 0;
}

}  // namespace

void SetChineseEntryDefaults(LanguageEntry* entry) {
  if (entry == nullptr) return;
  entry->LangId = kLangSimplifiedChinese;
  entry->Word4 = 0x1000;
  entry->Charset = kCharsetGb2312;
  entry->RecoRange = 0x08400701;
  entry->Word48 = 3;
  SetCommonEntryDefaults(entry);
}

void SetLatinEntryDefaults(LanguageEntry* entry) {
  if (entry == nullptr) return;
  entry->LangId = kLangEnglish;
  entry->Word4 = 0x101;
  entry->Charset = 0x101;
  entry->RecoRange = 0x4307;
  entry->AutoInsertSpace = 1;
  entry->Word48 = 1;
  SetCommonEntryDefaults(entry);
}

void SetHeaderDefaults(PreferenceBlock* block) {
  if (block == nullptr) return;
  HeaderRecord* header = &block->Header;
  std::memset(header, 0, sizeof(*header));
  for (const HeaderDefault& word : kHeaderDefaults) {
    std::memcpy(reinterpret_cast<BYTE*>(header) + word.offset, &word.value, sizeof(word.value));
  }
  block->Word1992 = 0;
  if (GetUserDefaultLangID() == kLangSimplifiedChinese) {
    header->MenuLangIndex = 0;
    header->RecoLangId = kLangSimplifiedChinese;
  } else {
    header->MenuLangIndex = 1;
    header->RecoLangId = kLangEnglish;
  }
  // Up to four bytes of the value, whatever its type; a longer value is not
  // read at all. The value goes through a buffer of its own and is taken
  // only on success: after ERROR_MORE_DATA Windows leaves the buffer's
  // content undefined.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHotkeyKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    DWORD hotkey = 0;
    DWORD size = sizeof(hotkey);
    if (RegQueryValueExW(key, kHotkeyValue, nullptr, nullptr, reinterpret_cast<LPBYTE>(&hotkey),
                         &size) == ERROR_SUCCESS) {
      header->Hotkey = hotkey;
    }
    RegCloseKey(key);
  }
  if (header->Hotkey == 0) header->Hotkey = kDefaultHotkey;
}

void SetRecordDefaults(int record, PreferenceBlock* block) {
  if (block == nullptr) return;
  switch (record) {
    case kOptionRecord:
      SetHeaderDefaults(block);
      break;
    case kChineseRangeRecord:
      SetChineseEntryDefaults(&block->Entries[kChineseEntry]);
      break;
    case kLatinRangeRecord:
      SetLatinEntryDefaults(&block->Entries[kLatinEntry]);
      break;
    case kNumRangeRecord:
      SetNumRangeDefault(block);
      break;
    default:
      SetExtendDefaults(block);
      break;
  }
}
