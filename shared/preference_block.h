// The two records shared between the settings tool and the input-method
// server through named sections: the PreferenceBlock (every preference of the
// input method) and the ServerBlock (the server's and the settings page's
// windows).
//
// Both are inter-process formats: little-endian, fixed offsets, no padding,
// no pointers. Every field carries its byte offset; the static_asserts below
// pin each offset and both sizes, so a change that moves a byte does not
// compile. Window handles are stored as 32-bit words. A freshly created
// section is all zeros.
#ifndef RECO_SHARED_PREFERENCE_BLOCK_H_
#define RECO_SHARED_PREFERENCE_BLOCK_H_

#include <cstddef>

#include "platform/platform.h"
#include "shared/regions.h"

// Header record, block offset 0, 92 bytes; stored as one byte record under
// the key "option". Words without a name are the server's settings: the tool
// gives them their defaults (kHeaderDefaults, settings/settings_defaults.h) and
// otherwise carries them unchanged.
struct HeaderRecord {
  DWORD Word0;         // 0: server setting
  DWORD Word4;         // 4: server setting
  DWORD Word8;         // 8: server setting
  DWORD Word12;        // 12: server setting
  DWORD Word16;        // 16: server setting
  DWORD Word20;        // 20: server setting
  DWORD Word24;        // 24: server setting
  DWORD Word28;        // 28: server setting
  DWORD Word32;        // 32: server setting
  DWORD Word36;        // 36: server setting
  DWORD Word40;        // 40: server setting
  DWORD Word44;        // 44: server setting
  LONG MenuLangIndex;  // 48: index of the interface language in MenuLangTable
  DWORD RecoLangId;    // 52: current recognition language; low 16 bits choose the
                       // page
  DWORD Word56;        // 56: server setting
  DWORD Word60;        // 60: server setting
  DWORD Word64;        // 64: server setting
  DWORD Word68;        // 68: server setting
  DWORD Hotkey;        // 72: hot key code of the input method
  DWORD Word76;        // 76: server setting
  DWORD Word80;        // 80: server setting
  DWORD Word84;        // 84: server setting
  DWORD Word88;        // 88: server setting
};

static_assert(sizeof(HeaderRecord) == 92, "HeaderRecord size");
static_assert(offsetof(HeaderRecord, Word0) == 0, "Word0");
static_assert(offsetof(HeaderRecord, Word4) == 4, "Word4");
static_assert(offsetof(HeaderRecord, Word8) == 8, "Word8");
static_assert(offsetof(HeaderRecord, Word12) == 12, "Word12");
static_assert(offsetof(HeaderRecord, Word16) == 16, "Word16");
static_assert(offsetof(HeaderRecord, Word20) == 20, "Word20");
static_assert(offsetof(HeaderRecord, Word24) == 24, "Word24");
static_assert(offsetof(HeaderRecord, Word28) == 28, "Word28");
static_assert(offsetof(HeaderRecord, Word32) == 32, "Word32");
static_assert(offsetof(HeaderRecord, Word36) == 36, "Word36");
static_assert(offsetof(HeaderRecord, Word40) == 40, "Word40");
static_assert(offsetof(HeaderRecord, Word44) == 44, "Word44");
static_assert(offsetof(HeaderRecord, MenuLangIndex) == 48, "MenuLangIndex");
static_assert(offsetof(HeaderRecord, RecoLangId) == 52, "RecoLangId");
static_assert(offsetof(HeaderRecord, Word56) == 56, "Word56");
static_assert(offsetof(HeaderRecord, Word60) == 60, "Word60");
static_assert(offsetof(HeaderRecord, Word64) == 64, "Word64");
static_assert(offsetof(HeaderRecord, Word68) == 68, "Word68");
static_assert(offsetof(HeaderRecord, Hotkey) == 72, "Hotkey");
static_assert(offsetof(HeaderRecord, Word76) == 76, "Word76");
static_assert(offsetof(HeaderRecord, Word80) == 80, "Word80");
static_assert(offsetof(HeaderRecord, Word84) == 84, "Word84");
static_assert(offsetof(HeaderRecord, Word88) == 88, "Word88");

// Recognition range and result font of one recognition language, 172 bytes.
// Unnamed words are the recognizer's settings.
struct LanguageEntry {
  DWORD LangId;           // 0: language identifier (upper 16 bits zero to be found)
  DWORD Word4;            // 4: recognizer setting
  DWORD Charset;          // 8: 4097 GB2312, 4098 GBK, 4099 GB18030 (Chinese entry)
  DWORD RecoRange;        // 12: recognition-range bits
  DWORD AutoInsertSpace;  // 16: bit 0: append a space after a sent word
  DWORD PhraseMode;       // 20: 4 short phrases, 3 otherwise
  DWORD Word24;           // 24: stored as 0 by every page save
  BYTE Reserved28[16];    // 28: not set by the tool
  DWORD Word44;           // 44: recognizer setting
  DWORD Word48;           // 48: recognizer setting
  WCHAR FontName[32];     // 52: face name of the result font
  DWORD FontSize;         // 116: size of the result font
  DWORD Word120;          // 120: recognizer setting
  DWORD Word124;          // 124: recognizer setting
  DWORD Word128;          // 128: recognizer setting
  DWORD Word132;          // 132: recognizer setting
  DWORD Word136;          // 136: recognizer setting
  BYTE Reserved140[32];   // 140: not set by the tool
};

static_assert(sizeof(LanguageEntry) == 172, "LanguageEntry size");
static_assert(offsetof(LanguageEntry, LangId) == 0, "LangId");
static_assert(offsetof(LanguageEntry, Word4) == 4, "Word4");
static_assert(offsetof(LanguageEntry, Charset) == 8, "Charset");
static_assert(offsetof(LanguageEntry, RecoRange) == 12, "RecoRange");
static_assert(offsetof(LanguageEntry, AutoInsertSpace) == 16, "AutoInsertSpace");
static_assert(offsetof(LanguageEntry, PhraseMode) == 20, "PhraseMode");
static_assert(offsetof(LanguageEntry, Word24) == 24, "Word24");
static_assert(offsetof(LanguageEntry, Reserved28) == 28, "Reserved28");
static_assert(offsetof(LanguageEntry, Word44) == 44, "Word44");
static_assert(offsetof(LanguageEntry, Word48) == 48, "Word48");
static_assert(offsetof(LanguageEntry, FontName) == 52, "FontName");
static_assert(offsetof(LanguageEntry, FontSize) == 116, "FontSize");
static_assert(offsetof(LanguageEntry, Word120) == 120, "Word120");
static_assert(offsetof(LanguageEntry, Word124) == 124, "Word124");
static_assert(offsetof(LanguageEntry, Word128) == 128, "Word128");
static_assert(offsetof(LanguageEntry, Word132) == 132, "Word132");
static_assert(offsetof(LanguageEntry, Word136) == 136, "Word136");
static_assert(offsetof(LanguageEntry, Reserved140) == 140, "Reserved140");

// The languages of entries 0 and 1, the two the pages edit.
constexpr WORD kLangSimplifiedChinese = 2052;
constexpr WORD kLangEnglish = 1033;

// Charset values of the Simplified Chinese entry, one per item of its page's
// combo box.
constexpr DWORD kCharsetGb2312 = 4097;
constexpr DWORD kCharsetGbk = 4098;
constexpr DWORD kCharsetGb18030 = 4099;

// Entries 0 and 1 are the only ones the settings file carries.
constexpr int kLanguageEntryCount = 5;
constexpr int kChineseEntry = 0;
constexpr int kLatinEntry = 1;

// The whole preference record, 105,080 bytes. The regions from PuncSymb on
// are filled by the preference builder; their inner layout belongs to it.
struct PreferenceBlock {
  HeaderRecord Header;                         // 0: header record, key "option"
  LanguageEntry Entries[kLanguageEntryCount];  // 92: 0 "SCRange", 1 "LatinRange"
  DWORD NumRange;                              // 952: numeric-mode range, key "NumRange"
  WCHAR ServerData[256];                       // 956: the server's; the load zeroes unit 0
  WCHAR SettingsPath[MAX_PATH];                // 1468: full path of the settings file
  DWORD Word1988;                              // 1988: zeroed by the settings load
  DWORD Word1992;                              // 1992: zeroed by the header defaults
  DWORD ExtendWord0;                           // 1996: server setting, key "Extend"
  DWORD ExtendSize;                            // 2000: base of the pages' font-size list
  BYTE Reserved2004[524];                      // 2004: neither read nor written
  PuncSymbRegion PuncSymb;                     // 2528: punctuation record
  SoftKeyboardTableRegion SoftKeyboardTable;   // 2724: soft keyboards
  SkinTableRegion SkinTable;                   // 14320: skins
  MenuLangTableRegion MenuLangTable;           // 31408: interface languages
  RecoLangTableRegion RecoLangTable;           // 37892: recognition languages
  SearchTableRegion SearchTable;               // 42756: search engines
  ErrorTextsRegion ErrorTexts;                 // 90200: error-message texts
  GestureImageRegion GestureImage;             // 90860: gesture background image path
  MainMenuTextsRegion MainMenuTexts;           // 91384: main-menu texts
  AdaptManageTextsRegion AdaptManageTexts;     // 93176: adaptation-manager texts
  RecoOptionTextsRegion RecoOptionTexts;       // 93496: recognition-option texts
  DicManageTextsRegion DicManageTexts;         // 95864: glossary-manager texts
  MacroManageTextsRegion MacroManageTexts;     // 96248: macro-manager texts
  BYTE Reserved96952[832];                     // 96952: neither read nor written
  TabPagesTextsRegion TabPagesTexts;           // 97784: system-option and tab-page texts
  WizardTextsRegion WizardTexts;               // 102456: set-up wizard texts
};

static_assert(sizeof(PreferenceBlock) == 105080, "PreferenceBlock size");
static_assert(offsetof(PreferenceBlock, Header) == 0, "Header");
static_assert(offsetof(PreferenceBlock, Entries) == 92, "Entries");
static_assert(offsetof(PreferenceBlock, NumRange) == 952, "NumRange");
static_assert(offsetof(PreferenceBlock, ServerData) == 956, "ServerData");
static_assert(offsetof(PreferenceBlock, SettingsPath) == 1468, "SettingsPath");
static_assert(offsetof(PreferenceBlock, Word1988) == 1988, "Word1988");
static_assert(offsetof(PreferenceBlock, Word1992) == 1992, "Word1992");
static_assert(offsetof(PreferenceBlock, ExtendWord0) == 1996, "ExtendWord0");
static_assert(offsetof(PreferenceBlock, ExtendSize) == 2000, "ExtendSize");
static_assert(offsetof(PreferenceBlock, Reserved2004) == 2004, "Reserved2004");
static_assert(offsetof(PreferenceBlock, PuncSymb) == 2528, "PuncSymb");
static_assert(offsetof(PreferenceBlock, SoftKeyboardTable) == 2724, "SoftKeyboardTable");
static_assert(offsetof(PreferenceBlock, SkinTable) == 14320, "SkinTable");
static_assert(offsetof(PreferenceBlock, MenuLangTable) == 31408, "MenuLangTable");
static_assert(offsetof(PreferenceBlock, RecoLangTable) == 37892, "RecoLangTable");
static_assert(offsetof(PreferenceBlock, SearchTable) == 42756, "SearchTable");
static_assert(offsetof(PreferenceBlock, ErrorTexts) == 90200, "ErrorTexts");
static_assert(offsetof(PreferenceBlock, GestureImage) == 90860, "GestureImage");
static_assert(offsetof(PreferenceBlock, MainMenuTexts) == 91384, "MainMenuTexts");
static_assert(offsetof(PreferenceBlock, AdaptManageTexts) == 93176, "AdaptManageTexts");
static_assert(offsetof(PreferenceBlock, RecoOptionTexts) == 93496, "RecoOptionTexts");
static_assert(offsetof(PreferenceBlock, DicManageTexts) == 95864, "DicManageTexts");
static_assert(offsetof(PreferenceBlock, MacroManageTexts) == 96248, "MacroManageTexts");
static_assert(offsetof(PreferenceBlock, Reserved96952) == 96952, "Reserved96952");
static_assert(offsetof(PreferenceBlock, TabPagesTexts) == 97784, "TabPagesTexts");
static_assert(offsetof(PreferenceBlock, WizardTexts) == 102456, "WizardTexts");

// The server's record, 92 bytes. The tool uses only the two window words.
struct ServerBlock {
  DWORD Word0;  // 0: the server's
  DWORD
  ServerWindow;           // 4: the server's window, target of the reload notification
  DWORD ServerData8[13];  // 8: the server's
  DWORD SettingsWindow;   // 60: the open settings page's window, 0 when none
  DWORD ServerData64[7];  // 64: the server's
};

static_assert(sizeof(ServerBlock) == 92, "ServerBlock size");
static_assert(offsetof(ServerBlock, Word0) == 0, "Word0");
static_assert(offsetof(ServerBlock, ServerWindow) == 4, "ServerWindow");
static_assert(offsetof(ServerBlock, ServerData8) == 8, "ServerData8");
static_assert(offsetof(ServerBlock, SettingsWindow) == 60, "SettingsWindow");
static_assert(offsetof(ServerBlock, ServerData64) == 64, "ServerData64");

// A window handle is a 32-bit value on the device, so a window word holds it
// whole: the word is the handle. The conversion goes through UINT_PTR only so
// that the 64-bit native build of the tools and tests compiles; there the
// word is zero-extended.
inline DWORD WindowToWord(HWND window) {
  return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window));
}
inline HWND WordToWindow(DWORD word) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(word)); }

// The first of the five entries whose LangId equals `lang_id` zero-extended
// (an entry with a nonzero upper half never matches), or nullptr when none
// does or `block` is nullptr.
LanguageEntry* FindLanguageEntry(PreferenceBlock* block, WORD lang_id);

#endif  // RECO_SHARED_PREFERENCE_BLOCK_H_
