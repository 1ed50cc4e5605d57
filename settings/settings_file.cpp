#include "settings/settings_file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "ini/ini_file.h"
#include "paths/path_utils.h"
#include "settings/settings_defaults.h"
#include "settings/settings_replace.h"

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

// The order in which the write-back adds records missing from the file;
// "NumRange", stored only on request, comes last.
const int kWriteOrder[] = {kOptionRecord, kChineseRangeRecord, kLatinRangeRecord, kExtendRecord,
                           kNumRangeRecord};

// A settings file this large is not one the tool wrote, and its copy would
// not fit beside it in a CE process's 32 MB of address space: it is not
// rewritten.
constexpr DWORD kMaxWriteRoom = 4u << 20;

// What the load and the pages of this process did, for the write-back at
// exit (the system is single-threaded).
bool g_file_unread = false;
DWORD g_confirmed_records = 0;

// Opens `path` for reading, trying again while another program holds it.
bool OpenForReading(IniFile* ini, LPCWSTR path, DWORD wait_ms) {
  return TryWhileHeld(wait_ms, [&] { return ini->IniOpen(path, GENERIC_READ, 0) != 0; });
}

}  // namespace

int LoadSettingsFile(LPCWSTR path, PreferenceBlock* block, RecordStatus* statuses, DWORD wait_ms) {
  RecordStatus scratch[kSettingsRecordCount];
  if (statuses == nullptr) statuses = scratch;
  for (int i = 0; i < kSettingsRecordCount; ++i) statuses[i] = RecordStatus();
  SettingsFiles files;
  bool exists = false;
  const LPCWSTR current =
      MakeSettingsFiles(path, &files) ? CurrentSettingsFile(files, &exists) : nullptr;
  if (current != nullptr && !exists) {
    SetHeaderDefaults(block);
    SetChineseEntryDefaults(&block->Entries[kChineseEntry]);
    SetLatinEntryDefaults(&block->Entries[kLatinEntry]);
    block->NumRange |= kDefaultNumRange;
    SetRecordDefaults(kExtendRecord, block);
    return kSettingsFileMissing;
  }

  // A file that cannot be opened (a directory of that name, an odd size)
  // answers every read with "no file", so every record takes its defaults.
  IniFile ini;
  const DWORD attributes = current != nullptr ? GetFileAttributesW(current) : 0;
  const bool directory =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const bool opened = current != nullptr && !directory && OpenForReading(&ini, current, wait_ms);
  // What exists and could not be read may hold anything: it is not
  // written over (an odd size is another matter: no load ever reads it).
  const bool held = !directory && !opened && GetLastError() != ERROR_FILE_INVALID;
  auto* bytes = reinterpret_cast<BYTE*>(block);
  for (int i = 0; i < kSettingsRecordCount; ++i) {
    const SettingsRecord& record = kSettingsRecords[i];
    if (!LoadRecord(&ini, record.key, bytes + record.offset, record.count, &statuses[i])) {
      SetRecordDefaults(i, block);
    }
  }
  if (block->Header.Hotkey == 0) block->Header.Hotkey = kDefaultHotkey;
  ini.IniClose();
  if (opened) return kSettingsFileRead;
  return held ? kSettingsFileHeld : kSettingsFileUnreadable;
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
  SettingsFiles files;
  if (MakeSettingsFiles(block->SettingsPath, &files)) RecoverSettingsFiles(files, kLoadWaitMs);
  // Defaults stand in for what could not be read; they must never be
  // written over what the file holds.
  g_file_unread =
      LoadSettingsFile(block->SettingsPath, block, nullptr, kLoadWaitMs) == kSettingsFileHeld;
  g_confirmed_records = 0;
  return 1;
}

void NoteRecordConfirmed(int record) {
  if (record >= 0 && record < kSettingsRecordCount) g_confirmed_records |= RecordBit(record);
}

DWORD WriteBackRecordMask() {
  return g_file_unread ? (g_confirmed_records & kWriteBackRecords) : kWriteBackRecords;
}

int WriteBackSettings(PreferenceSection* section) {
  const PreferenceBlock* block = section != nullptr ? section->Block() : nullptr;
  const DWORD records = WriteBackRecordMask();
  if (block != nullptr && records != 0) {
    WriteSettingsFile(block->SettingsPath, block, records, kWriteBackWaitMs);
  }
  return 1;
}

int WriteSettingsFile(LPCWSTR path, const PreferenceBlock* block, DWORD records, DWORD wait_ms) {
  SettingsFiles files;
  if (block == nullptr || !MakeSettingsFiles(path, &files)) return 0;
  // The new text is a copy of the current one with the records replaced:
  // every line the old file had stays, whether this tool knows it or not.
  bool exists = false;
  const LPCWSTR current = CurrentSettingsFile(files, &exists);
  IniFile old_file;
  bool ok = current != nullptr && (!exists || OpenForReading(&old_file, current, wait_ms) ||
                                   GetLastError() == ERROR_FILE_INVALID);
  // Room for the copy and for the records, whose lines may all be new.
  const DWORD room = kIniWriteRoom + old_file.UsedLength();
  IniFile new_file;
  ok = ok && room <= kMaxWriteRoom && new_file.IniOpen(files.temp, GENERIC_WRITE, room);
  ok = ok && (!old_file.IsOpen() ||
              new_file.IniAppendText(old_file.TextStart(), old_file.TextEnd()) != 0);
  old_file.IniClose();
  const auto* bytes = reinterpret_cast<const BYTE*>(block);
  for (int i : kWriteOrder) {
    const SettingsRecord& record = kSettingsRecords[i];
    if ((records & RecordBit(i)) == 0) continue;
    ok = ok && new_file.IniSetRecord(kOptionSection, record.key, bytes + record.offset,
                                     record.count) != 0;
  }
  // Closing flushes the new text and its length to the disk; only a file
  // known to be whole becomes the pending one.
  ok = new_file.IniClose() && ok;
  if (ok && !ReplaceWithFile(files.pending, files.temp, files.pending_aside)) {
    // A move reports a failed sync of its folder after the rename: the new
    // text is then in place all the same.
    ok = !FileExists(files.temp) && GetLastError() == ERROR_FILE_NOT_FOUND;
  }
  if (!ok) {
    // Unless an older pending file, put aside, waits for it after a failed
    // undo: the next load then puts that one back.
    if (FileExists(files.pending) || !FileExists(files.pending_aside)) DeleteFileW(files.temp);
    return 0;
  }
  return PlacePendingSettings(files, wait_ms) ? 1 : kSettingsPending;
}
