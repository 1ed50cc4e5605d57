// The loaders of the preference builder, grouped by the files they read.
//
// Every loader opens its own INI file read-only through IniFile, copies
// values into fixed slots of its region, and closes the file before it
// returns, so at most one INI file is open at a time. A missing file, section
// or key gives the built-in default; a text longer than its slot is cut to
// the slot's capacity less one character. A loader given no region or no
// folder (nullptr) does nothing. Folders are MAX_PATH strings; each loader
// forms its own paths from them and never writes to them.
#ifndef RECO_BUILDER_LOADERS_H_
#define RECO_BUILDER_LOADERS_H_

#include "platform/platform.h"
#include "shared/regions.h"

class PreferenceSection;

// Result of the steps that need an entry or index that does not exist.
constexpr DWORD kBuildNoEntry = 13;

// ---- Interface and recognition languages (languages.cpp) ----

// Appends the languages listed under "LANGUAGE" (keys "01" to "1e", up to the
// first missing or empty one) of "Config.ini" in `menu_lang_root`; a sixth
// and later language is read but not stored.
void LoadMenuLanguages(MenuLangTableRegion* table, LPCWSTR menu_lang_root);

// Fills entry 0 (Simplified Chinese) and entry 1 (English) with their fixed
// values and the "IMAGE" keys of "Reco Lang\<Folder>\Config.ini" under
// `install_dir`, and sets the count to 2.
void LoadRecoLanguages(RecoLangTableRegion* table, LPCWSTR install_dir);

// Titles every stored recognition language from "RECO LANG" of "Lang.ini"
// in `menu_lang_dir`, defaulting to "RecognizeLanguage00", "...01".
void LoadRecoLangTitles(RecoLangTableRegion* table, LPCWSTR menu_lang_dir);

// ---- Punctuation and soft keyboards (keyboards.cpp) ----

// Fills PuncSymb and the SoftKeyboardTable from "Keyboard.ini" of the
// recognition language whose LangId equals the low 16 bits of RecoLangId.
// Returns 0, or kBuildNoEntry (nothing written) when there is no view or no
// recognition language matches.
DWORD LoadKeyboards(PreferenceSection* section, LPCWSTR install_dir);

// Titles the stored keyboards (separators excepted) from "Soft Keyboard" of
// "Keyboard.ini" in `menu_lang_dir`, defaulting to "Layout00", "Layout01",
// ... counted over keyboards only.
void LoadKeyboardTitles(SoftKeyboardTableRegion* table, LPCWSTR menu_lang_dir);

// ---- Search engines, skins, gesture image (search_skins.cpp) ----

// Reads up to ten engines from "Search\Search.ini" under `install_dir`, each
// with up to ten items; the first missing or empty key ends each list, and an
// engine without items is dropped.
void LoadSearchEngines(SearchTableRegion* table, LPCWSTR install_dir);

// Titles the stored engines ("Engine") and items ("Catalog") from
// "Search.ini" in `menu_lang_dir`.
void LoadSearchTitles(SearchTableRegion* table, LPCWSTR menu_lang_dir);

// Deletes every nonzero graphics handle of the stored skins, zeroes it, and
// sets the count to 0.
void ReleaseSkins(SkinTableRegion* table);

// Releases the table, then reads the skins listed under "SKIN" (keys "00" on)
// of "Skin\Skin.ini" under `install_dir`, up to the first one without a
// nonzero "SIZE"; stores at most nine.
void LoadSkins(SkinTableRegion* table, LPCWSTR install_dir);

// The skin folder under `install_dir` joined with "GESTURE" "FILE" of
// "Skin\Config.ini" (default "BG.bmp").
void LoadGestureImage(GestureImageRegion* image, LPCWSTR install_dir);

// ---- Interface text tables (text_tables.cpp), all from `menu_lang_dir` ----

void LoadErrorTexts(ErrorTextsRegion* region, LPCWSTR menu_lang_dir);
void LoadMainMenuTexts(MainMenuTextsRegion* region, LPCWSTR menu_lang_dir);
void LoadAdaptManageTexts(AdaptManageTextsRegion* region, LPCWSTR menu_lang_dir);
void LoadRecoOptionTexts(RecoOptionTextsRegion* region, LPCWSTR menu_lang_dir);
void LoadDicManageTexts(DicManageTextsRegion* region, LPCWSTR menu_lang_dir);
void LoadMacroManageTexts(MacroManageTextsRegion* region, LPCWSTR menu_lang_dir);
void LoadTabPagesTexts(TabPagesTextsRegion* region, LPCWSTR menu_lang_dir);
void LoadWizardTexts(WizardTextsRegion* region, LPCWSTR menu_lang_dir);

#endif  // RECO_BUILDER_LOADERS_H_
