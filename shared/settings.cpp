#include "shared/settings.h"

#include <cstring>
#include <new>

#include "ini/ini_file.h"
#include "paths/path_utils.h"

const WCHAR kSettingsFileName[] = TEXT("Config\\Settings.ini");

namespace {

const WCHAR kOptionSection[] = TEXT("option");
const WCHAR kHeaderKey[] = TEXT("option");
const WCHAR kChineseKey[] = TEXT("SCRange");
const WCHAR kLatinKey[] = TEXT("LatinRange");
const WCHAR kNumRangeKey[] = TEXT("NumRange");
const WCHAR kExtendKey[] = TEXT("Extend");

// The registry key keeps its trailing backslash: it is the key the server
// and the installer write, spelt as they spell it.
const WCHAR kHotkeyKey[] = TEXT("Software\\Telvar\\QXLUM\\VEQ\\");
const WCHAR kHotkeyValue[] = TEXT("Hotkey");

// "宋体", the face every entry starts with.
const WCHAR kDefaultFontName[] = {0x5B8B, 0x4F53, 0};

constexpr LANGID kSimplifiedChinese = 2052;
constexpr LANGID kEnglish = 1033;
constexpr DWORD kDefaultHotkey = 96;
constexpr DWORD kDefaultNumRange = 0x300000;
constexpr DWORD kDefaultExtendWord0 = 0xFFFFFFFF;
constexpr DWORD kDefaultExtendSize = 16;
// The entry word at 120 has no documented default; the recognizer treats 0
// as its own default.
constexpr DWORD kDefaultWord120 = 0;

// Decodes the byte record stored under `key` into `dest`, byte by byte as
// each pair is read, so a value rejected late has already overwritten its
// leading bytes (the caller's defaults then cover what they name). True
// when the value has exactly 2N + 2 hexadecimal digits whose last pair is
// the sum of the others modulo 256.
bool LoadRecord(IniFile* ini, LPCWSTR key, BYTE* dest, DWORD count) {
  const int expected = static_cast<int>(2 * count + 2);
  WCHAR* value = new (std::nothrow) WCHAR[expected + 1];
  if (value == nullptr) return false;
  value[0] = 0;
  bool accepted = ini->IniGetString(kOptionSection, key, nullptr, value, expected + 1) == expected;
  BYTE sum = 0;
  for (DWORD i = 0; accepted && i < count; ++i) {
    BYTE byte = 0;
    if (ParseHexByte(value + 2 * i, &byte)) {
      dest[i] = byte;
      sum = static_cast<BYTE>(sum + byte);
    } else {
      accepted = false;
    }
  }
  if (accepted) {
    BYTE checksum = 0;
    accepted = ParseHexByte(value + 2 * count, &checksum) && checksum == sum;
  }
  delete[] value;
  return accepted;
}

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
  entry->LangId = kSimplifiedChinese;
  entry->Word4 = 0x1000;
  entry->Charset = 0x1001;
  entry->RecoRange = 0x08400701;
  entry->Word48 = 3;
  SetCommonEntryDefaults(entry);
}

void SetLatinEntryDefaults(LanguageEntry* entry) {
  if (entry == nullptr) return;
  entry->LangId = kEnglish;
  entry->Word4 = 0x101;
  entry->Charset = 0x101;
  entry->RecoRange = 0x4307;
  entry->AutoInsertSpace = 1;
  entry->Word48 = 1;
  SetCommonEntryDefaults(entry);
}

void SetHeaderDefaults(PreferenceSection* section) {
  PreferenceBlock* block = section != nullptr ? section->Block() : nullptr;
  if (block == nullptr) return;
  HeaderRecord* header = &block->Header;
  std::memset(header, 0, sizeof(*header));
  header->Word8 = 15;
  header->Word16 = 30;
  header->Word4 = 0;
  header->Word12 = 2;
  block->Word1992 = 0;
  if (GetUserDefaultLangID() == kSimplifiedChinese) {
    header->MenuLangIndex = 0;
    header->RecoLangId = kSimplifiedChinese;
  } else {
    header->MenuLangIndex = 1;
    header->RecoLangId = kEnglish;
  }
  header->Word32 = 0;
  header->Word28 = 6;
  header->Word24 = 300;
  header->Word20 = 0x0A30C000;
  header->Word44 = 1;
  // Up to four bytes of the value, whatever its type; a longer value is not
  // read at all.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHotkeyKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    DWORD size = sizeof(header->Hotkey);
    RegQueryValueExW(key, kHotkeyValue, nullptr, nullptr, reinterpret_cast<LPBYTE>(&header->Hotkey),
                     &size);
    RegCloseKey(key);
  }
  if (header->Hotkey == 0) header->Hotkey = kDefaultHotkey;
  header->Word68 = 0;
  header->Word64 = 20;
  header->Word88 = 0;
}

int LoadRecoSettings(PreferenceSection* section, LPCWSTR data_dir) {
  PreferenceBlock* block = section != nullptr ? section->Block() : nullptr;
  if (block == nullptr) return 1;
  block->ServerData[0] = 0;
  block->Word1988 = 0;
  StringCchCopyW(block->SettingsPath, MAX_PATH, data_dir != nullptr ? data_dir : TEXT(""));
  JoinPath(block->SettingsPath, kSettingsFileName);
  // The folder is made now so that the write-back at exit can create the file.
  CreateDirectoryTree(block->SettingsPath);

  if (GetFileAttributesW(block->SettingsPath) == INVALID_FILE_ATTRIBUTES) {
    SetHeaderDefaults(section);
    SetChineseEntryDefaults(&block->Entries[kChineseEntry]);
    SetLatinEntryDefaults(&block->Entries[kLatinEntry]);
    block->NumRange |= kDefaultNumRange;
    SetExtendDefaults(block);
    return 1;
  }

  // A file that cannot be opened (a directory of that name, an odd size)
  // answers every read with "no file", so every record takes its defaults.
  IniFile ini;
  ini.IniOpen(block->SettingsPath, GENERIC_READ, kIniWriteRoom);
  if (!LoadRecord(&ini, kHeaderKey, reinterpret_cast<BYTE*>(&block->Header),
                  sizeof(block->Header))) {
    SetHeaderDefaults(section);
  }
  if (!LoadRecord(&ini, kChineseKey, reinterpret_cast<BYTE*>(&block->Entries[kChineseEntry]),
                  sizeof(LanguageEntry))) {
    SetChineseEntryDefaults(&block->Entries[kChineseEntry]);
  }
  if (!LoadRecord(&ini, kLatinKey, reinterpret_cast<BYTE*>(&block->Entries[kLatinEntry]),
                  sizeof(LanguageEntry))) {
    SetLatinEntryDefaults(&block->Entries[kLatinEntry]);
  }
  if (!LoadRecord(&ini, kNumRangeKey, reinterpret_cast<BYTE*>(&block->NumRange),
                  sizeof(block->NumRange))) {
    SetNumRangeDefault(block);
  }
  if (!LoadRecord(&ini, kExtendKey, reinterpret_cast<BYTE*>(&block->ExtendWord0),
                  sizeof(block->ExtendWord0) + sizeof(block->ExtendSize))) {
    SetExtendDefaults(block);
  }
  if (block->Header.Hotkey == 0) block->Header.Hotkey = kDefaultHotkey;
  ini.IniClose();
  return 1;
}

int WriteBackSettings(PreferenceSection* section) {
  PreferenceBlock* block = section != nullptr ? section->Block() : nullptr;
  if (block == nullptr) return 1;
  // Opening for writing starts the file afresh. "NumRange" is not among the
  // keys written: the tool never changes it, and a file without it loads
  // the same default the tool started with.
  IniFile ini;
  ini.IniOpen(block->SettingsPath, GENERIC_WRITE, kIniWriteRoom);
  ini.IniSetRecord(kOptionSection, kHeaderKey, reinterpret_cast<const BYTE*>(&block->Header),
                   sizeof(block->Header));
  ini.IniSetRecord(kOptionSection, kChineseKey,
                   reinterpret_cast<const BYTE*>(&block->Entries[kChineseEntry]),
                   sizeof(LanguageEntry));
  ini.IniSetRecord(kOptionSection, kLatinKey,
                   reinterpret_cast<const BYTE*>(&block->Entries[kLatinEntry]),
                   sizeof(LanguageEntry));
  ini.IniSetRecord(kOptionSection, kExtendKey, reinterpret_cast<const BYTE*>(&block->ExtendWord0),
                   sizeof(block->ExtendWord0) + sizeof(block->ExtendSize));
  ini.IniClose();
  return 1;
}
