// Inner layouts of the regions of the PreferenceBlock that the preference
// builder fills from the input method's INI files.
//
// Every structure here is an inter-process format shared byte for byte with
// the input-method server: little-endian, no padding, text fields as fixed
// arrays of UTF-16 units terminated inside the field. A field that the
// builder does not describe stays zero. The offsets are pinned by the
// static_asserts at the end of this file; never reorder or widen a field.
#ifndef RECO_SHARED_REGIONS_H_
#define RECO_SHARED_REGIONS_H_

#include <cstddef>

#include "platform/platform.h"

// The capacity of a fixed text field, in UTF-16 units with the terminator,
// taken from its declaration so that no caller restates it.
template <size_t N>
constexpr int Capacity(const WCHAR (&)[N]) {
  return static_cast<int>(N);
}

// ---- Punctuation of the current recognition language (196 bytes) ----------

struct PuncSymbRegion {
  WCHAR Font[32];     // 0: "PUNCSYMB" "Font", default "Times New Roman"
  DWORD Size;         // 64: "PUNCSYMB" "Size", never above 10
  WCHAR Char[32];     // 68: the punctuation characters offered
  WCHAR MinChar[32];  // 132: the reduced set
};

// ---- Soft keyboards (11,596 bytes) ------------------------------------------

constexpr DWORD kMaxSoftKeyboards = 15;

// One keyboard, or a separator (Name "ID_KB_SEPARATOR", texts empty).
struct SoftKeyboardLayout {
  WCHAR Name[64];   // 0: value of the letter key; also the keyboard's section
  WCHAR Title[64];  // 128: display name in the interface language
  WCHAR Text1[64];  // 256: keys "1" to "4" of the keyboard's section
  WCHAR Text2[64];  // 384
  WCHAR Text3[64];  // 512
  WCHAR Text4[64];  // 640
};

struct SoftKeyboardTableRegion {
  DWORD Count;                                    // 0: stored keyboards, 0 to 15
  DWORD Reserved;                                 // 4: always 0
  WCHAR Font[32];                                 // 8: "Soft Keyboard" "Font"
  DWORD Size;                                     // 72: "Soft Keyboard" "Size"
  SoftKeyboardLayout Layouts[kMaxSoftKeyboards];  // 76
};

// ---- Skins (17,088 bytes) ----------------------------------------------------

constexpr DWORD kSkinSlots = 10;
constexpr DWORD kMaxSkins = 9;  // the tenth slot is never filled

struct SkinEntry {
  DWORD SIZE;          // 0: low 16 bits of "SIZE"
  DWORD Handles[3];    // 4: graphics objects of the table's user; 0 from the builder
  LONG Font;           // 16: "Font", default 14
  WCHAR DIR[64];       // 20: the skin's folder name under "Skin"
  WCHAR SKIN[260];     // 148: full paths, the skin's folder joined with the value
  WCHAR TOOLBAR[260];  // 668
  WCHAR SPECIAL[260];  // 1188
};

struct SkinTableRegion {
  DWORD Count;                  // 0: stored skins, 0 to 9
  SkinEntry Skins[kSkinSlots];  // 4
  DWORD Reserved;               // 17084: not written by the builder
};

// ---- Interface languages (6,484 bytes) ---------------------------------------

constexpr DWORD kMaxMenuLangs = 5;

struct MenuLangEntry {
  WCHAR Language[64];  // 0: value in "LANGUAGE"; also the entry's section
  WCHAR NAME[64];      // 128
  WCHAR DIR[260];      // 256: folder under "Menu Lang" with the interface texts
  WCHAR Help[260];     // 776
};

struct MenuLangTableRegion {
  DWORD Count;                           // 0: entries, 0 to 5
  MenuLangEntry Entries[kMaxMenuLangs];  // 4
};

// ---- Recognition languages (4,864 bytes) --------------------------------------

constexpr DWORD kRecoLangSlots = 5;

struct RecoLangEntry {
  DWORD Kind;             // 0: 0x1000 Simplified Chinese, 0x101 English (server's)
  DWORD Reserved4;        // 4
  DWORD LangId;           // 8
  DWORD LangId2;          // 12: the language identifier again (server's)
  LONG ImageNum;          // 16: "IMAGE" "NUM", default 1
  LONG ImageDefault;      // 20: "IMAGE" "DEFAULT", default 0
  WCHAR EngineFile[32];   // 24
  WCHAR Id[32];           // 88: "ID_LANG_SC", "ID_LANG_EN"
  WCHAR Title[32];        // 152: display name in the interface language
  WCHAR Folder[32];       // 216: folder under "Reco Lang"
  WCHAR Reserved280[64];  // 280: zero
  WCHAR Sample[64];       // 408
  WCHAR Dict[64];         // 536: "Dict\" and four hexadecimal digits
  WCHAR ImageFile[100];   // 664: "IMAGE" "FILE", at most 63 characters
  DWORD Reserved864;      // 864
};

struct RecoLangTableRegion {
  DWORD Count;                            // 0: always 2 once built
  RecoLangEntry Entries[kRecoLangSlots];  // 4
  WCHAR InstallDir[260];                  // 4344: base of the "Reco Lang" paths
};

// ---- Search engines (47,444 bytes) ---------------------------------------------

constexpr DWORD kMaxSearchEngines = 10;
constexpr DWORD kMaxSearchItems = 10;   // items read per engine
constexpr DWORD kSearchItemSlots = 12;  // room in an engine record

struct SearchItem {
  WCHAR Name[32];   // 0: value of the item's key; also the item's section
  WCHAR Title[32];  // 64: display name in the interface language
  WCHAR URL[128];   // 128
};

struct SearchEngine {
  DWORD Count;                         // 0: stored items, 1 to 10
  LONG TYPE;                           // 4
  WCHAR Name[32];                      // 8: value in "SEARCH ENGINE"; also the section
  WCHAR Title[32];                     // 72
  SearchItem Items[kSearchItemSlots];  // 136
};

struct SearchTableRegion {
  DWORD Count;                              // 0: engines, 0 to 10
  SearchEngine Engines[kMaxSearchEngines];  // 4
};

// ---- Gesture background image (524 bytes) ----------------------------------------

struct GestureImageRegion {
  WCHAR Path[260];  // 0: the skin folder joined with "GESTURE" "FILE"
  DWORD Reserved;   // 520: 0
};

// ---- Text tables ----------------------------------------------------------------
// Fixed slots filled from one key each; 32 units unless declared otherwise.

typedef WCHAR TextSlot[32];

struct ErrorTextsRegion {  // 660 bytes, "Common.ini" "ERROR"
  WCHAR ERROR_TITLE[10];
  WCHAR Messages[5][64];  // QXERR_SUCCESS, INVALID_FUNCTION, NOT_ENOUGH_MEMORY,
                          // INVALID_DATA, DATA_EXIST
};

struct MainMenuTextsRegion {  // 1,792 bytes, "Common.ini" "MAIN MENU"
  TextSlot MenuLang, InputMethod, FullScreen, MagicBox, MultiLine, DictManager, MacroManager,
      WordManager, LearnManager, OutputConvert, SC2TC, TC2SC, FullwidthLatin, ChPun, Lowercase,
      Uppercase, PredictSetting, AutoComplete, SpellCheck, Unused1216, Pinyin, Predict, Yuepin,
      RecoOption, RecoLanguage, SystemOption, Reserved1664, Help;
};

struct AdaptManageTextsRegion {  // 320 bytes, "Common.ini" "ADAPTMANAGE"
  TextSlot CaptionManage, Unused64, Reset, SUCCESS, FAILD;
};

struct RecoOptionTextsRegion {  // 2,368 bytes, "RecoOption.ini"; read by both pages
  TextSlot SetCharSet, RecoRange, FontSettings, FontName, FontSize, ID_OK, ID_CANCEL, RecoExtend;
  TextSlot GB2312, GBK, GB18030;  // "Simplified Chinese"
  TextSlot ScCheck[10];           // "Simplified Chinese" "CHK0" to "CHK9"
  TextSlot TAIWAN, HONGKONG;      // "Traditional Chinese"
  TextSlot TcCheck[10];           // "Traditional Chinese" "CHK0" to "CHK9"
  TextSlot OutputSetting, String, ShortString, AutoInsertSpace;  // "English"
};

struct DicManageTextsRegion {  // 384 bytes, "Common.ini" "DICMANAGE"
  TextSlot CaptionManage, CurRecoLang, Word, Words, Add, Delete;
};

struct MacroManageTextsRegion {  // 704 bytes, "Common.ini" "MACROMANAGE"
  TextSlot CaptionManage, CaptionText, Add, Modify, Delete, Unused320, Cancel, CurRecoLang,
      TextName, TextContent, Complete;
};

// "Common.ini": "TABPAGES" names the pages, each page's section its texts.
struct TabPagesTextsRegion {  // 4,672 bytes
  WCHAR Topic[64];
  TextSlot Recognizer, WriteMode, FullScreen, MultiLine, MagicRect, RecoExtend,
      RecognizerControlGesture, LeftHand, Macro, Adapt, WaitTime, Fast, Slow;
  TextSlot Sound, SoundSource, EnableTTS, EnableSpeaker, SelectLanguage, TTS, SoundEngine,
      Unused1408, Unused1472, SoundSpeed, SoundTest;
  TextSlot Pen, PenType, TypePencil, TypeFountain, TypeBrush, TypeSystem, PenWidth, PenColor,
      ColorRate, Unused2240, Unused2304, Unused2368, PressEnable;
  TextSlot Gesture, Space, Tab, Backspace, Enter, EditCommand, Paste, Copy, Cut, Undo, SelectAll,
      GestureControlGesture;
  TextSlot Search, GroupName, DefaultEngine, DefaultHabit, AlwaysAsk;
  TextSlot Icon, SelectLang, ICOSize, IconList, Unused3840;
  TextSlot Skin, SkinTitle, Manage, SelectIME, About, ProductName, Version;
  WCHAR Copyright[64];
  TextSlot Tel, Web, URL;
};

struct WizardTextsRegion {  // 2,624 bytes, "Wizard.ini"; ends with the block
  WCHAR Topic[64], FINISH[64], NEXT[64], BACK[64];
  TextSlot LanguageTopic, Reco, UI;
  TextSlot GestureTopic, Space, Tab, Backspace, Enter, EditCommand, Paste, Copy, Cut, Undo,
      SelectAll, ControlGesture;
  TextSlot SearchTopic, GROUPNAME, DEFAULTENGINE, DEFAULTTYPE, Prompt;
  TextSlot IconTopic, SelectLang, ICOSize, IconList;
  TextSlot SkinTopic, SkinGroup, ManageTopic, SelectIME;
  TextSlot FontTopic, Name, Size, Group, RecoLang;
};

// ---- Pinned layouts -------------------------------------------------------------

static_assert(sizeof(WCHAR) == 2, "texts are UTF-16 units");
static_assert(sizeof(LONG) == 4, "words are 32 bits");

static_assert(sizeof(PuncSymbRegion) == 196, "PuncSymb");
static_assert(offsetof(PuncSymbRegion, Size) == 64, "PuncSymb.Size");
static_assert(offsetof(PuncSymbRegion, Char) == 68, "PuncSymb.Char");
static_assert(offsetof(PuncSymbRegion, MinChar) == 132, "PuncSymb.MinChar");

static_assert(sizeof(SoftKeyboardLayout) == 768, "SoftKeyboardLayout");
static_assert(offsetof(SoftKeyboardLayout, Title) == 128, "SoftKeyboardLayout.Title");
static_assert(offsetof(SoftKeyboardLayout, Text1) == 256, "SoftKeyboardLayout.Text1");
static_assert(offsetof(SoftKeyboardLayout, Text4) == 640, "SoftKeyboardLayout.Text4");
static_assert(sizeof(SoftKeyboardTableRegion) == 11596, "SoftKeyboardTable");
static_assert(offsetof(SoftKeyboardTableRegion, Font) == 8, "SoftKeyboardTable.Font");
static_assert(offsetof(SoftKeyboardTableRegion, Size) == 72, "SoftKeyboardTable.Size");
static_assert(offsetof(SoftKeyboardTableRegion, Layouts) == 76, "SoftKeyboardTable.Layouts");

static_assert(sizeof(SkinEntry) == 1708, "SkinEntry");
static_assert(offsetof(SkinEntry, Handles) == 4, "SkinEntry.Handles");
static_assert(offsetof(SkinEntry, Font) == 16, "SkinEntry.Font");
static_assert(offsetof(SkinEntry, DIR) == 20, "SkinEntry.DIR");
static_assert(offsetof(SkinEntry, SKIN) == 148, "SkinEntry.SKIN");
static_assert(offsetof(SkinEntry, TOOLBAR) == 668, "SkinEntry.TOOLBAR");
static_assert(offsetof(SkinEntry, SPECIAL) == 1188, "SkinEntry.SPECIAL");
static_assert(sizeof(SkinTableRegion) == 17088, "SkinTable");
static_assert(offsetof(SkinTableRegion, Skins) == 4, "SkinTable.Skins");
static_assert(offsetof(SkinTableRegion, Reserved) == 17084, "SkinTable.Reserved");

static_assert(sizeof(MenuLangEntry) == 1296, "MenuLangEntry");
static_assert(offsetof(MenuLangEntry, NAME) == 128, "MenuLangEntry.NAME");
static_assert(offsetof(MenuLangEntry, DIR) == 256, "MenuLangEntry.DIR");
static_assert(offsetof(MenuLangEntry, Help) == 776, "MenuLangEntry.Help");
static_assert(sizeof(MenuLangTableRegion) == 6484, "MenuLangTable");

static_assert(sizeof(RecoLangEntry) == 868, "RecoLangEntry");
static_assert(offsetof(RecoLangEntry, LangId) == 8, "RecoLangEntry.LangId");
static_assert(offsetof(RecoLangEntry, ImageNum) == 16, "RecoLangEntry.ImageNum");
static_assert(offsetof(RecoLangEntry, EngineFile) == 24, "RecoLangEntry.EngineFile");
static_assert(offsetof(RecoLangEntry, Id) == 88, "RecoLangEntry.Id");
static_assert(offsetof(RecoLangEntry, Title) == 152, "RecoLangEntry.Title");
static_assert(offsetof(RecoLangEntry, Folder) == 216, "RecoLangEntry.Folder");
static_assert(offsetof(RecoLangEntry, Sample) == 408, "RecoLangEntry.Sample");
static_assert(offsetof(RecoLangEntry, Dict) == 536, "RecoLangEntry.Dict");
static_assert(offsetof(RecoLangEntry, ImageFile) == 664, "RecoLangEntry.ImageFile");
static_assert(offsetof(RecoLangEntry, Reserved864) == 864, "RecoLangEntry.Reserved864");
static_assert(sizeof(RecoLangTableRegion) == 4864, "RecoLangTable");
static_assert(offsetof(RecoLangTableRegion, InstallDir) == 4344, "RecoLangTable.InstallDir");

static_assert(sizeof(SearchItem) == 384, "SearchItem");
static_assert(offsetof(SearchItem, Title) == 64, "SearchItem.Title");
static_assert(offsetof(SearchItem, URL) == 128, "SearchItem.URL");
static_assert(sizeof(SearchEngine) == 4744, "SearchEngine");
static_assert(offsetof(SearchEngine, Name) == 8, "SearchEngine.Name");
static_assert(offsetof(SearchEngine, Title) == 72, "SearchEngine.Title");
static_assert(offsetof(SearchEngine, Items) == 136, "SearchEngine.Items");
static_assert(sizeof(SearchTableRegion) == 47444, "SearchTable");

static_assert(sizeof(GestureImageRegion) == 524, "GestureImage");
static_assert(offsetof(GestureImageRegion, Reserved) == 520, "GestureImage.Reserved");

static_assert(sizeof(ErrorTextsRegion) == 660, "ErrorTexts");
static_assert(offsetof(ErrorTextsRegion, Messages) == 20, "ErrorTexts.Messages");

static_assert(sizeof(MainMenuTextsRegion) == 1792, "MainMenuTexts");
static_assert(offsetof(MainMenuTextsRegion, ChPun) == 832, "MainMenuTexts.ChPun");
static_assert(offsetof(MainMenuTextsRegion, Unused1216) == 1216, "MainMenuTexts.Unused1216");
static_assert(offsetof(MainMenuTextsRegion, RecoOption) == 1472, "MainMenuTexts.RecoOption");
static_assert(offsetof(MainMenuTextsRegion, Help) == 1728, "MainMenuTexts.Help");

static_assert(sizeof(AdaptManageTextsRegion) == 320, "AdaptManageTexts");
static_assert(offsetof(AdaptManageTextsRegion, Reset) == 128, "AdaptManageTexts.Reset");

static_assert(sizeof(RecoOptionTextsRegion) == 2368, "RecoOptionTexts");
static_assert(offsetof(RecoOptionTextsRegion, RecoRange) == 64, "RecoOptionTexts.RecoRange");
static_assert(offsetof(RecoOptionTextsRegion, ID_OK) == 320, "RecoOptionTexts.ID_OK");
static_assert(offsetof(RecoOptionTextsRegion, GB2312) == 512, "RecoOptionTexts.GB2312");
static_assert(offsetof(RecoOptionTextsRegion, ScCheck) == 704, "RecoOptionTexts.ScCheck");
static_assert(offsetof(RecoOptionTextsRegion, TAIWAN) == 1344, "RecoOptionTexts.TAIWAN");
static_assert(offsetof(RecoOptionTextsRegion, TcCheck) == 1472, "RecoOptionTexts.TcCheck");
static_assert(offsetof(RecoOptionTextsRegion, OutputSetting) == 2112,
              "RecoOptionTexts.OutputSetting");
static_assert(offsetof(RecoOptionTextsRegion, AutoInsertSpace) == 2304,
              "RecoOptionTexts.AutoInsertSpace");

static_assert(sizeof(DicManageTextsRegion) == 384, "DicManageTexts");
static_assert(sizeof(MacroManageTextsRegion) == 704, "MacroManageTexts");
static_assert(offsetof(MacroManageTextsRegion, Cancel) == 384, "MacroManageTexts.Cancel");

static_assert(sizeof(TabPagesTextsRegion) == 4672, "TabPagesTexts");
static_assert(offsetof(TabPagesTextsRegion, Recognizer) == 128, "TabPagesTexts.Recognizer");
static_assert(offsetof(TabPagesTextsRegion, LeftHand) == 576, "TabPagesTexts.LeftHand");
static_assert(offsetof(TabPagesTextsRegion, Sound) == 960, "TabPagesTexts.Sound");
static_assert(offsetof(TabPagesTextsRegion, SoundSpeed) == 1536, "TabPagesTexts.SoundSpeed");
static_assert(offsetof(TabPagesTextsRegion, Pen) == 1664, "TabPagesTexts.Pen");
static_assert(offsetof(TabPagesTextsRegion, TypeSystem) == 1984, "TabPagesTexts.TypeSystem");
static_assert(offsetof(TabPagesTextsRegion, PressEnable) == 2432, "TabPagesTexts.PressEnable");
static_assert(offsetof(TabPagesTextsRegion, Gesture) == 2496, "TabPagesTexts.Gesture");
static_assert(offsetof(TabPagesTextsRegion, Paste) == 2880, "TabPagesTexts.Paste");
static_assert(offsetof(TabPagesTextsRegion, GestureControlGesture) == 3200,
              "TabPagesTexts.GestureControlGesture");
static_assert(offsetof(TabPagesTextsRegion, Search) == 3264, "TabPagesTexts.Search");
static_assert(offsetof(TabPagesTextsRegion, Icon) == 3584, "TabPagesTexts.Icon");
static_assert(offsetof(TabPagesTextsRegion, Skin) == 3904, "TabPagesTexts.Skin");
static_assert(offsetof(TabPagesTextsRegion, About) == 4160, "TabPagesTexts.About");
static_assert(offsetof(TabPagesTextsRegion, Copyright) == 4352, "TabPagesTexts.Copyright");
static_assert(offsetof(TabPagesTextsRegion, Tel) == 4480, "TabPagesTexts.Tel");
static_assert(offsetof(TabPagesTextsRegion, URL) == 4608, "TabPagesTexts.URL");

static_assert(sizeof(WizardTextsRegion) == 2624, "WizardTexts");
static_assert(offsetof(WizardTextsRegion, FINISH) == 128, "WizardTexts.FINISH");
static_assert(offsetof(WizardTextsRegion, NEXT) == 256, "WizardTexts.NEXT");
static_assert(offsetof(WizardTextsRegion, LanguageTopic) == 512, "WizardTexts.LanguageTopic");
static_assert(offsetof(WizardTextsRegion, Paste) == 1088, "WizardTexts.Paste");
static_assert(offsetof(WizardTextsRegion, ControlGesture) == 1408, "WizardTexts.ControlGesture");
static_assert(offsetof(WizardTextsRegion, SearchTopic) == 1472, "WizardTexts.SearchTopic");
static_assert(offsetof(WizardTextsRegion, IconTopic) == 1792, "WizardTexts.IconTopic");
static_assert(offsetof(WizardTextsRegion, FontTopic) == 2304, "WizardTexts.FontTopic");
static_assert(offsetof(WizardTextsRegion, Group) == 2496, "WizardTexts.Group");
static_assert(offsetof(WizardTextsRegion, RecoLang) == 2560, "WizardTexts.RecoLang");

#endif  // RECO_SHARED_REGIONS_H_
