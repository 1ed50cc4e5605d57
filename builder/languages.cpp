// The interface-language table ("Menu Lang\Config.ini") and the two
// recognition languages ("Reco Lang\<Folder>\Config.ini", titles from the
// interface language's "Lang.ini").
#include <cstring>

#include "builder/folder_path.h"
#include "builder/loaders.h"
#include "ini/ini_file.h"
#include "shared/preference_block.h"

namespace {

// The recognition languages the input method ships, in table order; both
// name the same engine file.
struct RecoLangFacts {
  DWORD kind;
  DWORD lang_id;
  LPCWSTR engine_file;
  LPCWSTR id;
  LPCWSTR folder;
  LPCWSTR sample;
};

const RecoLangFacts kRecoLangs[] = {
    {0x1000, kLangSimplifiedChinese, TEXT("QXRE_VEQ_CHS.dll"), TEXT("ID_LANG_SC"),
     TEXT("Simplified Chinese"), TEXT("北京欢迎您")},
    {0x101, kLangEnglish, TEXT("QXRE_VEQ_CHS.dll"), TEXT("ID_LANG_EN"), TEXT("English"),
     TEXT("Welcome To China")},
};

void PrepareRecoLang(RecoLangEntry* entry) {
  entry->EngineFile[0] = 0;
  entry->Id[0] = 0;
  entry->Title[0] = 0;
  entry->Folder[0] = 0;
  entry->Reserved280[0] = 0;
  entry->Sample[0] = 0;
  entry->Dict[0] = 0;
  entry->ImageFile[0] = 0;
  entry->LangId = 0;
  entry->LangId2 = 0;
  entry->ImageDefault = 0;
  entry->Reserved864 = 0;
  entry->ImageNum = 1;
}

void FillRecoLang(const RecoLangTableRegion& table, const RecoLangFacts& facts,
                  RecoLangEntry* entry) {
  StringCchCopyW(entry->Id, Capacity(entry->Id), facts.id);
  StringCchCopyW(entry->Folder, Capacity(entry->Folder), facts.folder);
  WCHAR path[MAX_PATH];
  FormPath(path, table.InstallDir, TEXT("Reco Lang\\"));
  JoinPath(path, entry->Folder);
  JoinPath(path, TEXT("Config.ini"));
  entry->LangId = facts.lang_id;
  StringCchCopyW(entry->EngineFile, Capacity(entry->EngineFile), facts.engine_file);

  IniFile ini;
  ini.IniOpen(path, GENERIC_READ, 0);
  // At most 63 characters, although the field has room for 99.
  ini.IniGetString(TEXT("IMAGE"), TEXT("FILE"), TEXT(""), entry->ImageFile, 64);
  entry->ImageNum = ini.IniGetInt(TEXT("IMAGE"), TEXT("NUM"), 1);
  entry->ImageDefault = ini.IniGetInt(TEXT("IMAGE"), TEXT("DEFAULT"), 0);
  entry->LangId2 = facts.lang_id;
  entry->Kind = facts.kind;
  StringCchPrintfW(entry->Dict, Capacity(entry->Dict), TEXT("Dict\\%04X"),
                   static_cast<UINT>(facts.lang_id & 0xFFFF));
  StringCchCopyW(entry->Sample, Capacity(entry->Sample), facts.sample);
  StringCchCopyW(entry->Title, Capacity(entry->Title), entry->Folder);
  ini.IniClose();
}

}  // namespace

void LoadMenuLanguages(MenuLangTableRegion* table, LPCWSTR menu_lang_root) {
  WCHAR path[MAX_PATH];
  if (table == nullptr || !FormPath(path, menu_lang_root, TEXT("Config.ini"))) return;
  IniFile ini;
  ini.IniOpen(path, GENERIC_READ, 0);
  for (int n = 1; n <= 30; ++n) {
    WCHAR key[8];
    StringCchPrintfW(key, Capacity(key), TEXT("%02x"), n);
    WCHAR language[32];
    // A missing or empty key ends the list. Without a file every read gives
    // "" with a nonzero result, so the list runs on with empty entries.
    if (ini.IniGetString(TEXT("LANGUAGE"), key, TEXT(""), language, Capacity(language)) == 0) break;
    MenuLangEntry entry;
    std::memset(&entry, 0, sizeof(entry));
    StringCchCopyW(entry.Language, Capacity(entry.Language), language);
    ini.IniGetString(language, TEXT("NAME"), TEXT(""), entry.NAME, Capacity(entry.NAME));
    ini.IniGetString(language, TEXT("DIR"), TEXT(""), entry.DIR, Capacity(entry.DIR));
    ini.IniGetString(language, TEXT("Help"), TEXT(""), entry.Help, Capacity(entry.Help));
    if (table->Count < kMaxMenuLangs) {
      table->Entries[table->Count] = entry;
      ++table->Count;
    }
  }
  ini.IniClose();
}

void LoadRecoLanguages(RecoLangTableRegion* table, LPCWSTR install_dir) {
  if (table == nullptr || install_dir == nullptr) return;
  StringCchCopyW(table->InstallDir, Capacity(table->InstallDir), install_dir);
  for (size_t i = 0; i < sizeof(kRecoLangs) / sizeof(kRecoLangs[0]); ++i) {
    PrepareRecoLang(&table->Entries[i]);
    FillRecoLang(*table, kRecoLangs[i], &table->Entries[i]);
  }
  table->Count = 2;
}

void LoadRecoLangTitles(RecoLangTableRegion* table, LPCWSTR menu_lang_dir) {
  WCHAR path[MAX_PATH];
  if (table == nullptr || !FormPath(path, menu_lang_dir, TEXT("Lang.ini"))) return;
  IniFile ini;
  ini.IniOpen(path, GENERIC_READ, 0);
  const DWORD count = table->Count < kRecoLangSlots ? table->Count : kRecoLangSlots;
  for (DWORD i = 0; i < count; ++i) {
    WCHAR default_title[32];
    StringCchPrintfW(default_title, Capacity(default_title), TEXT("RecognizeLanguage%02X"),
                     static_cast<UINT>(i));
    RecoLangEntry& entry = table->Entries[i];
    ini.IniGetString(TEXT("RECO LANG"), entry.Id, default_title, entry.Title,
                     Capacity(entry.Title));
  }
  ini.IniClose();
}
