#include "shared/settings.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "ini/ini_file.h"
#include "paths/path_utils.h"

const WCHAR kSettingsFileName[] = TEXT("Config\\Settings.ini");

const SettingsRecord kSettingsRecords[kSettingsRecordCount] = {
    {TEXT("option"), offsetof(PreferenceBlock, Header), sizeof(HeaderRecord)},
    {TEXT("SCRange"), offsetof(PreferenceBlock, Entries) + kChineseEntry * sizeof(LanguageEntry),
     sizeof(LanguageEntry)},
    {TEXT("LatinRange"), offsetof(PreferenceBlock, Entries) + kLatinEntry * sizeof(LanguageEntry),
     sizeof(LanguageEntry)},
    {TEXT("NumRange"), offsetof(PreferenceBlock, NumRange), sizeof(PreferenceBlock::NumRange)},
    {TEXT("Extend"), offsetof(PreferenceBlock, ExtendWord0),
     sizeof(PreferenceBlock::ExtendWord0) + sizeof(PreferenceBlock::ExtendSize)},
};

namespace {

const WCHAR kOptionSection[] = TEXT("option");

// The registry key keeps its trailing backslash: it is the key the server
// and the installer write, spelt as they spell it.
const WCHAR kHotkeyKey[] = TEXT("Software\\Telvar\\QXLUM\\VEQ\\");
const WCHAR kHotkeyValue[] = TEXT("Hotkey");

// "宋体", the face every entry starts with.
const WCHAR kDefaultFontName[] = {0x5B8B, 0x4F53, 0};

constexpr DWORD kDefaultHotkey = 96;
constexpr DWORD kDefaultNumRange = 0x300000;
constexpr DWORD kDefaultExtendWord0 = 0xFFFFFFFF;
constexpr DWORD kDefaultExtendSize = 16;
// The entry word at 120 has no documented default; the recognizer treats 0
// as its own default.
constexpr DWORD kDefaultWord120 = 0;

bool IsHexDigit(WCHAR c) {
  return (c >= TEXT('0') && c <= TEXT('9')) || (c >= TEXT('A') && c <= TEXT('F')) ||
         (c >= TEXT('a') && c <= TEXT('f'));
}

// Decodes the byte record stored under `key` into `dest`, byte by byte as
// each pair is read, so a value rejected late has already overwritten its
// leading bytes (the caller's defaults then cover what they name). True
// when the value has exactly 2N + 2 hexadecimal digits whose last pair is
// the sum of the others modulo 256; *status says which rule it broke.
bool LoadRecord(IniFile* ini, LPCWSTR key, BYTE* dest, DWORD count, RecordStatus* status) {
  *status = RecordStatus();
  const int expected = static_cast<int>(2 * count + 2);
  WCHAR* value = new (std::nothrow) WCHAR[expected + 1];
  if (value == nullptr) {
    status->result = kRecordNoMemory;
    return false;
  }
  value[0] = 0;
  status->length = ini->IniGetString(kOptionSection, key, nullptr, value, expected + 1);
  if (status->length < 0) {
    status->result = kRecordNoFile;
  } else if (status->length == 0) {
    status->result = kRecordMissing;
  } else if (status->length != expected) {
    status->result = kRecordWrongLength;
  } else {
    status->result = kRecordAccepted;
  }
  BYTE sum = 0;
  for (DWORD i = 0; status->result == kRecordAccepted && i <= count; ++i) {
    BYTE byte = 0;
    if (!ParseHexByte(value + 2 * i, &byte)) {
      status->result = kRecordBadDigit;
      status->position = static_cast<int>(2 * i) + (IsHexDigit(value[2 * i]) ? 2 : 1);
    } else if (i < count) {
      dest[i] = byte;
      sum = static_cast<BYTE>(sum + byte);
    } else if (byte != sum) {
      status->result = kRecordBadChecksum;
      status->expected = sum;
      status->got = byte;
    }
  }
  delete[] value;
  return status->result == kRecordAccepted;
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

// The records the write-back stores, in this order, in section "option";
// "NumRange" last, and only when asked.
const int kWrittenRecords[] = {0, 1, 2, 4, kNumRangeRecord};
constexpr int kAlwaysWritten = 4;

// A settings file this large is not one the tool wrote; it is not rewritten.
constexpr uint64_t kMaxWriteRoom = 0x10000000;

bool IsWrittenKey(LPCWSTR section, LPCWSTR key, int written) {
  if (_wcsicmp(section, kOptionSection) != 0) return false;
  for (int i = 0; i < written; ++i) {
    if (_wcsicmp(key, kSettingsRecords[kWrittenRecords[i]].key) == 0) return true;
  }
  return false;
}

// The new text is written beside the settings file, under the same name
// with the extension ".tmp" (of the same length, so it fits wherever the
// path does), and then renamed over it. False when no such name can be made.
bool TempPathFor(LPCWSTR path, WCHAR (&temp)[MAX_PATH]) {
  if (FAILED(StringCchCopyW(temp, MAX_PATH, path))) return false;
  WCHAR* dot = wcsrchr(temp, TEXT('.'));
  const WCHAR* slash = wcsrchr(temp, TEXT('\\'));
  if (dot != nullptr && (slash == nullptr || dot > slash)) *dot = 0;
  return SUCCEEDED(StringCchCatW(temp, MAX_PATH, TEXT(".tmp")));
}

// The start of the next name in a list of zero-terminated names.
const WCHAR* NextName(const WCHAR* name) { return name + wcslen(name) + 1; }

// Copies every key that a reader of `old_file` sees into `new_file`, but for
// the records the write-back has just stored, so that nothing the file held
// is lost because this tool does not know it ("NumRange" among them). Values
// are copied as the reader gives them; comments are not kept. False when a
// key could not be copied (no memory, no room).
bool CarryOver(IniFile* old_file, IniFile* new_file, int written) {
  // No list or value can be longer than the whole text.
  const size_t size = static_cast<size_t>(old_file->TextEnd() - old_file->TextStart()) + 2;
  WCHAR* sections = new (std::nothrow) WCHAR[size];
  WCHAR* keys = new (std::nothrow) WCHAR[size + 1];
  WCHAR* value = new (std::nothrow) WCHAR[size + 2];
  bool ok = sections != nullptr && keys != nullptr && value != nullptr;
  if (ok) old_file->IniGetString(nullptr, nullptr, nullptr, sections, static_cast<int>(size));
  for (const WCHAR* section = sections; ok && *section != 0; section = NextName(section)) {
    // Listed one column in: a key that starts like a comment or a header
    // stays a key only behind a blank, as it stood in the old file.
    WCHAR* listed = keys + 1;
    old_file->IniGetString(section, nullptr, nullptr, listed, static_cast<int>(size));
    for (WCHAR* key = listed; ok && *key != 0; key = const_cast<WCHAR*>(NextName(key))) {
      if (IsWrittenKey(section, key, written)) continue;
      const int length =
          old_file->IniGetString(section, key, nullptr, value + 1, static_cast<int>(size));
      WCHAR* text = value + 1;
      // A value that still has enclosing quotes lost a pair when read; the
      // writer quotes only values with outer blanks, so the pair is put back.
      if (length >= 2 && text[0] == TEXT('"') && text[length - 1] == TEXT('"')) {
        value[0] = TEXT('"');
        value[length + 1] = TEXT('"');
        value[length + 2] = 0;
        text = value;
      }
      WCHAR* name = key;
      if (key[0] == TEXT(';') || key[0] == TEXT('#') || key[0] == TEXT('[')) {
        key[-1] = TEXT(' ');  // the end of the previous name, or the spare unit
        name = key - 1;
      }
      ok = new_file->IniSetString(section, name, text) != 0;
      if (name != key) key[-1] = 0;
    }
  }
  delete[] sections;
  delete[] keys;
  delete[] value;
  return ok;
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

void SetHeaderDefaults(PreferenceSection* section) {
  SetHeaderDefaults(section != nullptr ? section->Block() : nullptr);
}

void SetHeaderDefaults(PreferenceBlock* block) {
  if (block == nullptr) return;
  HeaderRecord* header = &block->Header;
  std::memset(header, 0, sizeof(*header));
  header->Word8 = 15;
  header->Word16 = 30;
  header->Word4 = 0;
  header->Word12 = 2;
  block->Word1992 = 0;
  if (GetUserDefaultLangID() == kLangSimplifiedChinese) {
    header->MenuLangIndex = 0;
    header->RecoLangId = kLangSimplifiedChinese;
  } else {
    header->MenuLangIndex = 1;
    header->RecoLangId = kLangEnglish;
  }
  header->Word32 = 0;
  header->Word28 = 6;
  header->Word24 = 300;
  header->Word20 = 0x0A30C000;
  header->Word44 = 1;
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
  header->Word68 = 0;
  header->Word64 = 20;
  header->Word88 = 0;
}

void SetRecordDefaults(int record, PreferenceBlock* block) {
  if (block == nullptr) return;
  switch (record) {
    case 0:
      SetHeaderDefaults(block);
      break;
    case 1:
      SetChineseEntryDefaults(&block->Entries[kChineseEntry]);
      break;
    case 2:
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

int LoadSettingsFile(LPCWSTR path, PreferenceBlock* block, RecordStatus* statuses) {
  RecordStatus scratch[kSettingsRecordCount];
  if (statuses == nullptr) statuses = scratch;
  for (int i = 0; i < kSettingsRecordCount; ++i) statuses[i] = RecordStatus();
  if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
    SetHeaderDefaults(block);
    SetChineseEntryDefaults(&block->Entries[kChineseEntry]);
    SetLatinEntryDefaults(&block->Entries[kLatinEntry]);
    block->NumRange |= kDefaultNumRange;
    SetExtendDefaults(block);
    return kSettingsFileMissing;
  }

  // A file that cannot be opened (a directory of that name, an odd size)
  // answers every read with "no file", so every record takes its defaults.
  IniFile ini;
  const bool opened = ini.IniOpen(path, GENERIC_READ, kIniWriteRoom) != 0;
  auto* bytes = reinterpret_cast<BYTE*>(block);
  for (int i = 0; i < kSettingsRecordCount; ++i) {
    const SettingsRecord& record = kSettingsRecords[i];
    if (!LoadRecord(&ini, record.key, bytes + record.offset, record.count, &statuses[i])) {
      SetRecordDefaults(i, block);
    }
  }
  if (block->Header.Hotkey == 0) block->Header.Hotkey = kDefaultHotkey;
  ini.IniClose();
  return opened ? kSettingsFileRead : kSettingsFileUnreadable;
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
  LoadSettingsFile(block->SettingsPath, block, nullptr);
  return 1;
}

int WriteBackSettings(PreferenceSection* section) {
  const PreferenceBlock* block = section != nullptr ? section->Block() : nullptr;
  if (block != nullptr) WriteSettingsFile(block->SettingsPath, block);
  return 1;
}

int WriteSettingsFile(LPCWSTR path, const PreferenceBlock* block, bool with_num_range) {
  const int written = with_num_range ? kAlwaysWritten + 1 : kAlwaysWritten;
  WCHAR temp[MAX_PATH];
  if (path == nullptr || block == nullptr || !TempPathFor(path, temp)) return 0;
  IniFile old_file;
  bool ok = old_file.IniOpen(path, GENERIC_READ, 0) != 0;
  if (!ok) {
    // Nothing to keep: no file yet, or one that no load can read either. Any
    // other failure may be passing, and the file may hold what only it has.
    const DWORD error = GetLastError();
    ok = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_FILE_INVALID;
  }
  // Room for the records and for everything carried over, whose lines may
  // each grow by a line break or a pair of quotes.
  const uint64_t room = kIniWriteRoom + 2 * static_cast<uint64_t>(old_file.UsedLength());
  IniFile new_file;
  ok = ok && room <= kMaxWriteRoom &&
       new_file.IniOpen(temp, GENERIC_WRITE, static_cast<DWORD>(room));
  const auto* bytes = reinterpret_cast<const BYTE*>(block);
  for (int i = 0; i < written; ++i) {
    const SettingsRecord& record = kSettingsRecords[kWrittenRecords[i]];
    ok = ok && new_file.IniSetRecord(kOptionSection, record.key, bytes + record.offset,
                                     record.count) != 0;
  }
  ok = ok && (!old_file.IsOpen() || CarryOver(&old_file, &new_file, written));
  old_file.IniClose();
  // Closing flushes the new text and its length to the disk; only a file
  // known to be whole replaces the old one.
  ok = new_file.IniClose() && ok;
  ok = ok && MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(temp);
  return ok ? 1 : 0;
}
