// The text-table loader and the rows of every interface text table.
#include "builder/text_tables.h"

#include <cstddef>

#include "builder/folder_path.h"
#include "builder/loaders.h"
#include "ini/ini_file.h"
#include "shared/preference_block.h"

// One row: the slot is a field of the region's struct, so the offsets and
// capacities come from the pinned layout and cannot drift from it.
#define TEXT_ROW(Region, field, section, key, default_text)                                   \
  {                                                                                           \
    TEXT(section), TEXT(key), TEXT(default_text), static_cast<WORD>(offsetof(Region, field)), \
        static_cast<WORD>(sizeof(Region::field) / sizeof(WCHAR))                              \
  }
#define ROW_COUNT(rows) static_cast<DWORD>(sizeof(rows) / sizeof(rows[0]))

namespace {

// ---- "Common.ini" "ERROR" ----
#define ERR(field, key, def) TEXT_ROW(ErrorTextsRegion, field, "ERROR", key, def)
const TextRow kErrorRows[] = {
    ERR(ERROR_TITLE, "ERROR_TITLE", "ERROR"),
    ERR(Messages[0], "QXERR_SUCCESS", "SUCCESS"),
    ERR(Messages[1], "QXERR_INVALID_FUNCTION", "INVALID_FUNCTION"),
    ERR(Messages[2], "QXERR_NOT_ENOUGH_MEMORY", "NOT_ENOUGH_MEMORY"),
    ERR(Messages[3], "QXERR_INVALID_DATA", "INVALID_DATA"),
    ERR(Messages[4], "QXERR_DATA_EXIST", "DATA_EXIST"),
};
#undef ERR

// ---- "Common.ini" "MAIN MENU" ----
#define MENU(field, def) TEXT_ROW(MainMenuTextsRegion, field, "MAIN MENU", #field, def)
const TextRow kMainMenuRows[] = {
    MENU(MenuLang, "UI Language"),
    MENU(InputMethod, "Input Method"),
    MENU(FullScreen, "Full Screen Input"),
    MENU(MagicBox, "Magic Grid Input"),
    MENU(MultiLine, "Row Input"),
    MENU(DictManager, "Dictionary Management"),
    MENU(MacroManager, "Macro Management"),
    MENU(WordManager, "Word Management"),
    MENU(LearnManager, "Learn Management"),
    MENU(OutputConvert, "Auto Converter"),
    MENU(SC2TC, "Output Traditional Chinese"),
    MENU(TC2SC, "Output Simplified Chinese"),
    MENU(FullwidthLatin, "Output Fullwidth Latin Char"),
    // Longer than the slot: the key is still looked up, and the default is
    // stored as its first 31 characters.
    MENU(ChPun, "Output Chinese Punctuation (Keyboard)"),
    MENU(Lowercase, "Output Lowercase Letter"),
    MENU(Uppercase, "Output Uppercase Letter"),
    MENU(PredictSetting, "Predict Settings"),
    MENU(AutoComplete, "Auto Complete"),
    MENU(SpellCheck, "Spell Check"),
    MENU(Pinyin, "Mandarin PinYin"),
    MENU(Predict, "Phrase Prediction"),
    MENU(Yuepin, "Jyutping"),
    MENU(RecoOption, "Charset Range\u2026"),
    MENU(RecoLanguage, "Recognized Language List\u2026"),
    MENU(SystemOption, "System Settings\u2026"),
    MENU(Help, "Help\u2026"),
};
#undef MENU

// ---- "Common.ini" "ADAPTMANAGE" ----
#define ADAPT(field, def) TEXT_ROW(AdaptManageTextsRegion, field, "ADAPTMANAGE", #field, def)
const TextRow kAdaptManageRows[] = {
    ADAPT(CaptionManage, "Adapt Manager"),
    ADAPT(Reset, "Reset"),
    ADAPT(SUCCESS, "SUCCESS"),
    ADAPT(FAILD, "FAILD"),
};
#undef ADAPT

// ---- "RecoOption.ini" ----
#define OPT(field, section, key) TEXT_ROW(RecoOptionTextsRegion, field, section, key, "")
#define CHK(field, section)                                                                       \
  OPT(field[0], section, "CHK0"), OPT(field[1], section, "CHK1"), OPT(field[2], section, "CHK2"), \
      OPT(field[3], section, "CHK3"), OPT(field[4], section, "CHK4"),                             \
      OPT(field[5], section, "CHK5"), OPT(field[6], section, "CHK6"),                             \
      OPT(field[7], section, "CHK7"), OPT(field[8], section, "CHK8"),                             \
      OPT(field[9], section, "CHK9")
const TextRow kRecoOptionRows[] = {
    OPT(SetCharSet, "Common", "SetCharSet"),
    OPT(RecoRange, "Common", "RecoRange"),
    OPT(FontSettings, "Common", "FontSettings"),
    OPT(FontName, "Common", "FontName"),
    OPT(FontSize, "Common", "FontSize"),
    OPT(ID_OK, "Common", "ID_OK"),
    OPT(ID_CANCEL, "Common", "ID_CANCEL"),
    OPT(RecoExtend, "Common", "RecoExtend"),
    OPT(TAIWAN, "Traditional Chinese", "TAIWAN"),
    OPT(HONGKONG, "Traditional Chinese", "HONGKONG"),
    CHK(TcCheck, "Traditional Chinese"),
    OPT(OutputSetting, "English", "OutputSetting"),
    OPT(String, "English", "String"),
    OPT(ShortString, "English", "ShortString"),
    OPT(AutoInsertSpace, "English", "AutoInsertSpace"),
    OPT(GB2312, "Simplified Chinese", "GB2312"),
    OPT(GBK, "Simplified Chinese", "GBK"),
    OPT(GB18030, "Simplified Chinese", "GB18030"),
    CHK(ScCheck, "Simplified Chinese"),
};
#undef CHK
#undef OPT

// ---- "Common.ini" "DICMANAGE" ----
#define DIC(field, def) TEXT_ROW(DicManageTextsRegion, field, "DICMANAGE", #field, def)
const TextRow kDicManageRows[] = {
    DIC(CaptionManage, "Glossary Management"),
    DIC(CurRecoLang, "Language: "),
    DIC(Word, "Word"),
    DIC(Words, "Glossary"),
    DIC(Add, "Add"),
    DIC(Delete, "Delete"),
};
#undef DIC

// ---- "Common.ini" "MACROMANAGE" ----
#define MACRO(field) TEXT_ROW(MacroManageTextsRegion, field, "MACROMANAGE", #field, "")
const TextRow kMacroManageRows[] = {
    MACRO(CaptionManage), MACRO(CaptionText), MACRO(Add),      MACRO(Modify),      MACRO(Delete),
    MACRO(Cancel),        MACRO(CurRecoLang), MACRO(TextName), MACRO(TextContent), MACRO(Complete),
};
#undef MACRO

// ---- "Common.ini": "TABPAGES" and one section per page ----
#define TAB(field, section, key, def) TEXT_ROW(TabPagesTextsRegion, field, section, key, def)
const TextRow kTabPagesRows[] = {
    TAB(Topic, "TABPAGES", "Topic", "System Option"),
    TAB(Recognizer, "TABPAGES", "ID_RECOGNIZER", ""),
    TAB(WriteMode, "ID_RECOGNIZER", "WriteMode", ""),
    TAB(FullScreen, "ID_RECOGNIZER", "FullScreen", ""),
    TAB(MultiLine, "ID_RECOGNIZER", "MultiLine", ""),
    TAB(MagicRect, "ID_RECOGNIZER", "MagicRect", ""),
    TAB(RecoExtend, "ID_RECOGNIZER", "RecoExtend", ""),
    TAB(RecognizerControlGesture, "ID_RECOGNIZER", "ControlGesture", ""),
    TAB(Macro, "ID_RECOGNIZER", "Macro", ""),
    TAB(Adapt, "ID_RECOGNIZER", "Adapt", ""),
    TAB(WaitTime, "ID_RECOGNIZER", "WaitTime", ""),
    TAB(Fast, "ID_RECOGNIZER", "Fast", ""),
    TAB(Slow, "ID_RECOGNIZER", "Slow", ""),
    TAB(LeftHand, "ID_RECOGNIZER", "LeftHand", "LeftHand"),
    TAB(Sound, "TABPAGES", "ID_SOUND", ""),
    TAB(SoundSource, "ID_SOUND", "SoundSource", ""),
    TAB(EnableTTS, "ID_SOUND", "EnableTTS", ""),
    TAB(EnableSpeaker, "ID_SOUND", "EnableSpeaker", ""),
    TAB(SelectLanguage, "ID_SOUND", "SelectLanguage", ""),
    TAB(TTS, "ID_SOUND", "TTS", ""),
    TAB(SoundEngine, "ID_SOUND", "SoundEngine", ""),
    TAB(SoundSpeed, "ID_SOUND", "SoundSpeed", ""),
    TAB(SoundTest, "ID_SOUND", "SoundTest", ""),
    TAB(Pen, "TABPAGES", "ID_PEN", ""),
    TAB(PressEnable, "ID_PEN", "PressEnable", "Press Enable"),
    TAB(PenType, "ID_PEN", "PenType", "Pen Type"),
    TAB(TypeSystem, "ID_PEN", "TypeSystem", "System"),
    TAB(TypeFountain, "ID_PEN", "TypeFountain", "Fountain"),
    TAB(TypePencil, "ID_PEN", "TypePencil", "Pencil"),
    TAB(TypeBrush, "ID_PEN", "TypeBrush", "Brush"),
    TAB(PenWidth, "ID_PEN", "PenWidth", "Width"),
    TAB(PenColor, "ID_PEN", "PenColor", "Color"),
    TAB(ColorRate, "ID_PEN", "ColorRate", "Color Rate"),
    TAB(Gesture, "TABPAGES", "ID_GESTURE", ""),
    TAB(GestureControlGesture, "ID_GESTURE", "ControlGesture", ""),
    TAB(Space, "ID_GESTURE", "Space", ""),
    TAB(Tab, "ID_GESTURE", "Tab", ""),
    TAB(Backspace, "ID_GESTURE", "Backspace", ""),
    TAB(Enter, "ID_GESTURE", "Enter", ""),
    TAB(EditCommand, "ID_GESTURE", "EditCommand", ""),
    TAB(Copy, "ID_GESTURE", "Copy", ""),
    TAB(Paste, "ID_GESTURE", "Paste", ""),
    TAB(Cut, "ID_GESTURE", "Cut", ""),
    TAB(Undo, "ID_GESTURE", "Undo", ""),
    TAB(SelectAll, "ID_GESTURE", "SelectAll", ""),
    TAB(Search, "TABPAGES", "ID_SEARCH", ""),
    TAB(GroupName, "ID_SEARCH", "ID_GROUP_NAME", ""),
    TAB(DefaultEngine, "ID_SEARCH", "ID_DEFAULT_ENGINE", ""),
    TAB(DefaultHabit, "ID_SEARCH", "ID_DEFAULT_HABIT", ""),
    TAB(AlwaysAsk, "ID_SEARCH", "ID_ALWAYS_ASK", ""),
    TAB(Icon, "TABPAGES", "ID_ICON", ""),
    TAB(SelectLang, "ID_ICON", "SelectLang", ""),
    TAB(ICOSize, "ID_ICON", "ICOSize", ""),
    TAB(IconList, "ID_ICON", "IconList", ""),
    TAB(Skin, "TABPAGES", "ID_SKIN", ""),
    TAB(SkinTitle, "ID_SKIN", "Title", ""),
    TAB(Manage, "TABPAGES", "ID_MANAGE", ""),
    TAB(SelectIME, "ID_MANAGE", "SelectIME", ""),
    TAB(About, "TABPAGES", "ID_ABOUT", ""),
    // The about page's own texts live in "ID_ABOUT_NEW", not "ID_ABOUT".
    TAB(ProductName, "ID_ABOUT_NEW", "ProductName", ""),
    TAB(Version, "ID_ABOUT_NEW", "Version", ""),
    TAB(Copyright, "ID_ABOUT_NEW", "Copyright", ""),
    TAB(Tel, "ID_ABOUT_NEW", "Tel", ""),
    TAB(Web, "ID_ABOUT_NEW", "Web", ""),
    TAB(URL, "ID_ABOUT_NEW", "URL", ""),
};
#undef TAB

// ---- "Wizard.ini" ----
#define WIZ(field, section, key, def) TEXT_ROW(WizardTextsRegion, field, section, key, def)
const TextRow kWizardRows[] = {
    WIZ(Topic, "ID_WIZARD", "Topic", "Wizard"),
    WIZ(NEXT, "ID_WIZARD", "NEXT", "Next"),
    WIZ(BACK, "ID_WIZARD", "BACK", "Back"),
    WIZ(FINISH, "ID_WIZARD", "FINISH", "Finish"),
    WIZ(LanguageTopic, "ID_LANGUAGE", "Topic", "Language"),
    WIZ(Reco, "ID_LANGUAGE", "Reco", "Reco Language"),
    WIZ(UI, "ID_LANGUAGE", "UI", "UI Language"),
    WIZ(GestureTopic, "ID_GESTURE", "Topic", ""),
    WIZ(ControlGesture, "ID_GESTURE", "ControlGesture", ""),
    WIZ(Space, "ID_GESTURE", "Space", ""),
    WIZ(Tab, "ID_GESTURE", "Tab", ""),
    WIZ(Backspace, "ID_GESTURE", "Backspace", ""),
    WIZ(Enter, "ID_GESTURE", "Enter", ""),
    WIZ(EditCommand, "ID_GESTURE", "EditCommand", ""),
    WIZ(Copy, "ID_GESTURE", "Copy", ""),
    WIZ(Paste, "ID_GESTURE", "Paste", ""),
    WIZ(Cut, "ID_GESTURE", "Cut", ""),
    WIZ(Undo, "ID_GESTURE", "Undo", ""),
    WIZ(SelectAll, "ID_GESTURE", "SelectAll", ""),
    WIZ(SearchTopic, "ID_SEARCH", "Topic", "Search"),
    WIZ(GROUPNAME, "ID_SEARCH", "GROUPNAME", "Search Engine"),
    WIZ(DEFAULTENGINE, "ID_SEARCH", "DEFAULTENGINE", "Engine"),
    WIZ(DEFAULTTYPE, "ID_SEARCH", "DEFAULTTYPE", "Filter"),
    WIZ(Prompt, "ID_SEARCH", "Prompt", "Ask for tips"),
    WIZ(IconTopic, "ID_ICON", "Topic", "Icon"),
    WIZ(SelectLang, "ID_ICON", "SelectLang", "SelectLang"),
    WIZ(ICOSize, "ID_ICON", "ICOSize", "Icon Size"),
    WIZ(IconList, "ID_ICON", "IconList", "Icon List"),
    WIZ(SkinTopic, "ID_SKIN", "Topic", ""),
    WIZ(SkinGroup, "ID_SKIN", "SkinGroup", ""),
    WIZ(ManageTopic, "ID_MANAGE", "Topic", ""),
    WIZ(SelectIME, "ID_MANAGE", "SelectIME", ""),
    WIZ(FontTopic, "ID_FONT", "Topic", "Font"),
    WIZ(RecoLang, "ID_FONT", "RecoLang", "Language"),
    WIZ(Group, "ID_FONT", "Group", "Font"),
    WIZ(Name, "ID_FONT", "Name", "FontName"),
    WIZ(Size, "ID_FONT", "Size", "FontSize"),
};
#undef WIZ

}  // namespace

#define TEXT_TABLE(name, file, rows)                                                         \
  {                                                                                          \
#name, TEXT(file), offsetof(PreferenceBlock, name), sizeof(PreferenceBlock::name), rows, \
        ROW_COUNT(rows)                                                                      \
  }

const TextTable kErrorTextTable = TEXT_TABLE(ErrorTexts, "Common.ini", kErrorRows);
const TextTable kMainMenuTextTable = TEXT_TABLE(MainMenuTexts, "Common.ini", kMainMenuRows);
const TextTable kAdaptManageTextTable =
    TEXT_TABLE(AdaptManageTexts, "Common.ini", kAdaptManageRows);
const TextTable kRecoOptionTextTable =
    TEXT_TABLE(RecoOptionTexts, "RecoOption.ini", kRecoOptionRows);
const TextTable kDicManageTextTable = TEXT_TABLE(DicManageTexts, "Common.ini", kDicManageRows);
const TextTable kMacroManageTextTable =
    TEXT_TABLE(MacroManageTexts, "Common.ini", kMacroManageRows);
const TextTable kTabPagesTextTable = TEXT_TABLE(TabPagesTexts, "Common.ini", kTabPagesRows);
const TextTable kWizardTextTable = TEXT_TABLE(WizardTexts, "Wizard.ini", kWizardRows);

const TextTable* const kTextTables[kTextTableCount] = {
    &kErrorTextTable,     &kMainMenuTextTable,    &kAdaptManageTextTable, &kRecoOptionTextTable,
    &kDicManageTextTable, &kMacroManageTextTable, &kTabPagesTextTable,    &kWizardTextTable,
};

void LoadTextTable(const TextTable& table, void* region, LPCWSTR folder) {
  WCHAR path[MAX_PATH];
  if (region == nullptr || !FormPath(path, folder, table.File)) return;
  IniFile ini;
  ini.IniOpen(path, GENERIC_READ, 0);
  BYTE* base = static_cast<BYTE*>(region);
  for (DWORD i = 0; i < table.RowCount; ++i) {
    const TextRow& row = table.Rows[i];
    WCHAR* slot = reinterpret_cast<WCHAR*>(base + row.Slot);
    if (wcslen(row.Default) < row.Capacity) {
      ini.IniGetString(row.Section, row.Key, row.Default, slot, row.Capacity);
      continue;
    }
    // The engine refuses a default that does not fit its destination, so a
    // row with a long default is read through a wider buffer and cut after.
    WCHAR wide[MAX_PATH];
    ini.IniGetString(row.Section, row.Key, row.Default, wide, MAX_PATH);
    StringCchCopyW(slot, row.Capacity, wide);
  }
  ini.IniClose();
}

void LoadErrorTexts(ErrorTextsRegion* region, LPCWSTR menu_lang_dir) {
  LoadTextTable(kErrorTextTable, region, menu_lang_dir);
}
void LoadMainMenuTexts(MainMenuTextsRegion* region, LPCWSTR menu_lang_dir) {
  LoadTextTable(kMainMenuTextTable, region, menu_lang_dir);
}
void LoadAdaptManageTexts(AdaptManageTextsRegion* region, LPCWSTR menu_lang_dir) {
  LoadTextTable(kAdaptManageTextTable, region, menu_lang_dir);
}
void LoadRecoOptionTexts(RecoOptionTextsRegion* region, LPCWSTR menu_lang_dir) {
  LoadTextTable(kRecoOptionTextTable, region, menu_lang_dir);
}
void LoadDicManageTexts(DicManageTextsRegion* region, LPCWSTR menu_lang_dir) {
  LoadTextTable(kDicManageTextTable, region, menu_lang_dir);
}
void LoadMacroManageTexts(MacroManageTextsRegion* region, LPCWSTR menu_lang_dir) {
  LoadTextTable(kMacroManageTextTable, region, menu_lang_dir);
}
void LoadTabPagesTexts(TabPagesTextsRegion* region, LPCWSTR menu_lang_dir) {
  LoadTextTable(kTabPagesTextTable, region, menu_lang_dir);
}
void LoadWizardTexts(WizardTextsRegion* region, LPCWSTR menu_lang_dir) {
  LoadTextTable(kWizardTextTable, region, menu_lang_dir);
}
