// The defaults of the records of the settings file: what a new block holds
// where the file has no valid record, each number defined here once for the
// load, the write-back and recoctl's help.
#ifndef RECO_SETTINGS_SETTINGS_DEFAULTS_H_
#define RECO_SETTINGS_SETTINGS_DEFAULTS_H_

#include <cstddef>

#include "platform/platform.h"
#include "settings/settings_file.h"
#include "shared/preference_block.h"

// The defaults that are fixed numbers. The header defaults set every header
// word to 0 but the ones in kHeaderDefaults, the languages (from the user's
// language) and Hotkey (from the registry, kDefaultHotkey when absent or 0).
struct HeaderDefault {
  size_t offset;  // in HeaderRecord
  DWORD value;
};
constexpr HeaderDefault kHeaderDefaults[] = {
    {offsetof(HeaderRecord, Word8), 15},   {offsetof(HeaderRecord, Word12), 2},
    {offsetof(HeaderRecord, Word16), 30},  {offsetof(HeaderRecord, Word20), 0x0A30C000},
    {offsetof(HeaderRecord, Word24), 300}, {offsetof(HeaderRecord, Word28), 6},
    {offsetof(HeaderRecord, Word44), 1},   {offsetof(HeaderRecord, Word64), 20},
};
constexpr DWORD kDefaultHotkey = 96;
constexpr DWORD kDefaultNumRange = 0x300000;
constexpr DWORD kDefaultExtendWord0 = 0xFFFFFFFF;
constexpr DWORD kDefaultExtendSize = 16;

// Gives record `record` of kSettingsRecords in `block` the defaults a
// rejected value of it gets at load.
void SetRecordDefaults(int record, PreferenceBlock* block);

// Header defaults: zeroes the header record and sets the server words, the
// languages from GetUserDefaultLangID, and Hotkey from the registry value
// "Hotkey" (96 when absent or 0); also zeroes block word 1992.
void SetHeaderDefaults(PreferenceBlock* block);

// Entry defaults; fields they do not name keep their bytes.
void SetChineseEntryDefaults(LanguageEntry* entry);
void SetLatinEntryDefaults(LanguageEntry* entry);

#endif  // RECO_SETTINGS_SETTINGS_DEFAULTS_H_
