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

// Fills the recognition settings of the new (all-zero) block of `section`
// from the settings file under `data_dir`: sets SettingsPath, creates the
// missing folders before the file, and takes defaults for every record that
// is missing or damaged. Returns 1 in every case (nothing is done without a
// view).
int LoadRecoSettings(PreferenceSection* section, LPCWSTR data_dir);

// Header defaults: zeroes the header record and sets the server words, the
// languages from GetUserDefaultLangID, and Hotkey from the registry value
// "Hotkey" (96 when absent or 0); also zeroes block word 1992.
void SetHeaderDefaults(PreferenceSection* section);

// Entry defaults; fields they do not name keep their bytes.
void SetChineseEntryDefaults(LanguageEntry* entry);
void SetLatinEntryDefaults(LanguageEntry* entry);

// Rewrites the settings file named by SettingsPath with the header record,
// entries 0 and 1 and the extension pair. Returns 1 in every case; a file
// that cannot be written is left as the writer leaves it.
int WriteBackSettings(PreferenceSection* section);

#endif  // RECO_SHARED_SETTINGS_H_
