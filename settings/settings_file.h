// The recognition settings file "Config\Settings.ini" under the data
// directory: its records, their load into a new PreferenceBlock, and the
// write-back at exit. The defaults a record takes when it is missing or
// damaged are in settings_defaults.h; how the file is replaced whole, and
// put in order after a crash, in settings_replace.h.
//
// Section "option" holds five byte records: "option" (header record),
// "SCRange" (entry 0), "LatinRange" (entry 1), "NumRange" and "Extend". Each
// value is 2N hexadecimal digits for the N bytes in memory order followed by
// two digits of their sum modulo 256; a value of any other length, with a
// digit that is not hexadecimal or with a wrong sum takes the defaults of its
// own record and no other.
#ifndef RECO_SETTINGS_SETTINGS_FILE_H_
#define RECO_SETTINGS_SETTINGS_FILE_H_

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
constexpr int kOptionRecord = 0;
constexpr int kChineseRangeRecord = 1;
constexpr int kLatinRangeRecord = 2;
constexpr int kNumRangeRecord = 3;  // the one record the write-back does not store
constexpr int kExtendRecord = 4;

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
constexpr int kSettingsFileHeld = -2;

// Loads the five records of the settings file `path` into `block` as the
// load at start-up does: each record that is missing or damaged takes its
// own defaults (with no file at all, every one does). What is read is the
// file a load finds current (a complete new file left pending is newer:
// settings_replace.h); nothing is moved. When `statuses` is given it
// receives, per record of kSettingsRecords, why it was taken or rejected.
// A file another program holds is tried again for up to `wait_ms`. Returns
// kSettingsFileRead, kSettingsFileMissing, kSettingsFileUnreadable (an odd
// size, a directory of that name), or kSettingsFileHeld (it exists but
// could not be read just now: every record took its defaults, and none of
// them is what the file holds).
int LoadSettingsFile(LPCWSTR path, PreferenceBlock* block, RecordStatus* statuses,
                     DWORD wait_ms = 0);

// The records of kSettingsRecords as bits of a mask, for WriteSettingsFile.
constexpr DWORD RecordBit(int record) { return 1u << record; }
// What the write-back at exit stores: every record but "NumRange".
constexpr DWORD kWriteBackRecords = RecordBit(kOptionRecord) | RecordBit(kChineseRangeRecord) |
                                    RecordBit(kLatinRangeRecord) | RecordBit(kExtendRecord);

// Says that a page of this process stored a confirmed change into record
// `record` of the block (kChineseRangeRecord or kLatinRangeRecord).
void NoteRecordConfirmed(int record);

// The records the write-back at exit stores: kWriteBackRecords, unless the
// load of this process found a settings file it could not read, whose
// records it never saw; then only the records a page confirmed, and every
// other one stays as the file has it.
DWORD WriteBackRecordMask();

// Rewrites the settings file named by SettingsPath with the records of
// WriteBackRecordMask() (WriteSettingsFile), waiting up to kWriteBackWaitMs
// for a file another program holds; with no record to store the file is
// left alone. Returns 1 in every case: the write-back at exit reports
// nothing.
int WriteBackSettings(PreferenceSection* section);

// Results of WriteSettingsFile other than 0 and 1.
constexpr int kSettingsPending = 2;

// Replaces the settings file `path` with a copy of the current file (every
// line, in order: comments, blank lines, other sections and keys) in which
// the records of `records` (bits of RecordBit) hold the bytes of `block`;
// each replaces the record's line in section "option" where there is one,
// else is added to the section ("option", "SCRange", "LatinRange",
// "Extend", "NumRange" in that order), which is added when missing. The
// new text goes to a temporary file, reaches the disk, becomes the pending
// file (the commit: from here on a load finds the new settings), and then
// takes the settings file's place (settings_replace.h), so that at every
// instant, a crash or a power cut included, a load finds the whole old
// settings or the whole new ones. A file another program holds is waited
// for up to `wait_ms`. Returns 1 when the new file is in place;
// kSettingsPending when it is complete but another program still held the
// settings file, and waits for the next load to take its place; 0 when
// nothing changed (no room on the disk, a read-only folder, a current file
// that could not be read just now), with the temporary file removed.
int WriteSettingsFile(LPCWSTR path, const PreferenceBlock* block, DWORD records = kWriteBackRecords,
                      DWORD wait_ms = 0);

#endif  // RECO_SETTINGS_SETTINGS_FILE_H_
