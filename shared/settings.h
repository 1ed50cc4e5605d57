// The recognition settings file "Config\Settings.ini" under the data
// directory: its load into a new PreferenceBlock, the defaults of the values
// it carries, and the write-back at exit.
//
// Section "option" holds five byte records: "option" (header record),
// "SCRange" (entry 0), "LatinRange" (entry 1), "NumRange" and "Extend". Each
// value is 2N hexadecimal digits for the N bytes in memory order followed by
// two digits of their sum modulo 256; a value of any other length, with a
// digit that is not hexadecimal or with a wrong sum takes the defaults of its
// own record and no other.
#ifndef RECO_SHARED_SETTINGS_H_
#define RECO_SHARED_SETTINGS_H_

#include "platform/platform.h"
#include "shared/preference_block.h"
#include "shared/sections.h"

// The settings file, relative to the data directory.
extern const WCHAR kSettingsFileName[];  // "Config\Settings.ini"

// The byte records of section "option", in the order the load takes them.
struct SettingsRecord {
  LPCWSTR key;    // "option", "SCRange", "LatinRange", "NumRange", "Extend"
  size_t offset;  // of the destination in the PreferenceBlock
  DWORD count;    // bytes (N); the value has 2N + 2 characters
};
constexpr int kSettingsRecordCount = 5;
extern const SettingsRecord kSettingsRecords[kSettingsRecordCount];
constexpr int kNumRangeRecord = 3;  // the one record the write-back does not store

// Why the load took or rejected one record.
enum RecordResult {
  kRecordAccepted = 0,
  kRecordNoFile,       // the file is missing or could not be read
  kRecordMissing,      // no such key, or an empty value
  kRecordWrongLength,  // `length` characters instead of 2N + 2
  kRecordBadDigit,     // the character at `position` (from 1) is not hexadecimal
  kRecordBadChecksum,  // the bytes sum to `expected`, the last pair says `got`
  kRecordNoMemory,
};
struct RecordStatus {
  RecordResult result = kRecordNoFile;
  int length = 0;
  int position = 0;
  BYTE expected = 0;
  BYTE got = 0;
};

// Fills the recognition settings of the new (all-zero) block of `section`
// from the settings file under `data_dir`: sets SettingsPath, creates the
// missing folders before the file, and takes defaults for every record that
// is missing or damaged. Returns 1 in every case (nothing is done without a
// view).
int LoadRecoSettings(PreferenceSection* section, LPCWSTR data_dir);

// Results of LoadSettingsFile.
constexpr int kSettingsFileRead = 1;
constexpr int kSettingsFileMissing = 0;
constexpr int kSettingsFileUnreadable = -1;

// Loads the five records of the settings file `path` into `block` as the
// load at start-up does: each record that is missing or damaged takes its
// own defaults (with no file at all, every one does). When `statuses` is
// given it receives, per record of kSettingsRecords, why it was taken or
// rejected. Returns kSettingsFileRead, kSettingsFileMissing, or
// kSettingsFileUnreadable (an odd size, a directory of that name).
int LoadSettingsFile(LPCWSTR path, PreferenceBlock* block, RecordStatus* statuses);

// Gives record `record` of kSettingsRecords in `block` the defaults a
// rejected value of it gets at load.
void SetRecordDefaults(int record, PreferenceBlock* block);

// Header defaults: zeroes the header record and sets the server words, the
// languages from GetUserDefaultLangID, and Hotkey from the registry value
// "Hotkey" (96 when absent or 0); also zeroes block word 1992.
void SetHeaderDefaults(PreferenceSection* section);
void SetHeaderDefaults(PreferenceBlock* block);

// Entry defaults; fields they do not name keep their bytes.
void SetChineseEntryDefaults(LanguageEntry* entry);
void SetLatinEntryDefaults(LanguageEntry* entry);

// Rewrites the settings file named by SettingsPath with the header record,
// entries 0 and 1 and the extension pair (WriteSettingsFile). Returns 1 in
// every case: the write-back at exit reports nothing.
int WriteBackSettings(PreferenceSection* section);

// Replaces the settings file `path` with one whose section "option" starts
// with the records "option", "SCRange", "LatinRange" and "Extend" of `block`,
// followed by every other key and section the old file held. The new text is
// written to a temporary file beside it (the same name with ".tmp"), flushed,
// and renamed over the old file in one step, so that at every instant, a
// crash or a power cut included, the file is the whole old one or the whole
// new one. With `with_num_range` the record "NumRange" is stored too, after
// "Extend", in place of the one the old file held. Returns 1 when the new
// file is in place; 0 when the old file is left exactly as it was (no room
// on the disk, a read-only folder, an old file that could not be read just
// now), with the temporary file removed.
int WriteSettingsFile(LPCWSTR path, const PreferenceBlock* block, bool with_num_range = false);

#endif  // RECO_SHARED_SETTINGS_H_
