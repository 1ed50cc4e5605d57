// Search engines with their catalogues ("Search\Search.ini", titles from the
// interface language's "Search.ini"), skins ("Skin\Skin.ini") and the
// gesture background image ("Skin\Config.ini").
#include <cstring>

#include "builder/folder_path.h"
#include "builder/loaders.h"
#include "ini/ini_file.h"

namespace {

const WCHAR kEngineSection[] = TEXT("SEARCH ENGINE");
const WCHAR kSkinSection[] = TEXT("SKIN");

// Reads the items of `engine` (keys "01" to "0A" of its section) up to the
// first missing or empty key.
void LoadSearchItems(IniFile& ini, SearchEngine* engine) {
  for (UINT j = 1; j <= kMaxSearchItems; ++j) {
    WCHAR key[8];
    StringCchPrintfW(key, Capacity(key), TEXT("%02X"), j);
    SearchItem& item = engine->Items[engine->Count];
    std::memset(&item, 0, sizeof(item));
    if (ini.IniGetString(engine->Name, key, TEXT(""), item.Name, Capacity(item.Name)) == 0) return;
    ini.IniGetString(item.Name, TEXT("URL"), TEXT(""), item.URL, Capacity(item.URL));
    ++engine->Count;
  }
}

// Reads the skin named `name` into `skin`; false when its section gives no
// nonzero "SIZE", which ends the skin list.
bool ReadSkin(IniFile& ini, LPCWSTR skin_folder, LPCWSTR name, SkinEntry* skin) {
  const int size = ini.IniGetInt(name, TEXT("SIZE"), 0);
  if (size == 0) return false;
  WCHAR dir[MAX_PATH], skin_file[MAX_PATH], toolbar[MAX_PATH], special[MAX_PATH];
  ini.IniGetString(name, TEXT("DIR"), TEXT(""), dir, Capacity(dir));
  ini.IniGetString(name, TEXT("SKIN"), TEXT(""), skin_file, Capacity(skin_file));
  ini.IniGetString(name, TEXT("TOOLBAR"), TEXT(""), toolbar, Capacity(toolbar));
  ini.IniGetString(name, TEXT("SPECIAL"), TEXT(""), special, Capacity(special));
  const int font = ini.IniGetInt(name, TEXT("Font"), 14);

  WCHAR folder[MAX_PATH];
  FormPath(folder, skin_folder, dir);
  std::memset(skin, 0, sizeof(*skin));
  skin->SIZE = static_cast<DWORD>(size) & 0xFFFF;
  skin->Font = font;
  StringCchCopyW(skin->DIR, Capacity(skin->DIR), dir);
  FormPath(skin->SKIN, folder, skin_file);
  FormPath(skin->TOOLBAR, folder, toolbar);
  FormPath(skin->SPECIAL, folder, special);
  return true;
}

}  // namespace

void LoadSearchEngines(SearchTableRegion* table, LPCWSTR install_dir) {
  WCHAR path[MAX_PATH];
  if (table == nullptr || !FormPath(path, install_dir, TEXT("Search\\Search.ini"))) return;
  IniFile ini;
  ini.IniOpen(path, GENERIC_READ, 0);
  // One engine record is about 4.7 KB; it is built here and copied in only
  // when it has items.
  SearchEngine engine;
  for (UINT n = 1; n <= kMaxSearchEngines; ++n) {
    std::memset(&engine, 0, sizeof(engine));
    WCHAR key[8];
    StringCchPrintfW(key, Capacity(key), TEXT("%02X"), n);
    if (ini.IniGetString(kEngineSection, key, TEXT(""), engine.Name, Capacity(engine.Name)) == 0)
      break;
    engine.TYPE = ini.IniGetInt(engine.Name, TEXT("TYPE"), 0);
    LoadSearchItems(ini, &engine);
    if (engine.Count >= 1 && table->Count < kMaxSearchEngines) {
      table->Engines[table->Count] = engine;
      ++table->Count;
    }
  }
  ini.IniClose();
}

void LoadSearchTitles(SearchTableRegion* table, LPCWSTR menu_lang_dir) {
  WCHAR path[MAX_PATH];
  if (table == nullptr || !FormPath(path, menu_lang_dir, TEXT("Search.ini"))) return;
  IniFile ini;
  ini.IniOpen(path, GENERIC_READ, 0);
  const DWORD engines = table->Count < kMaxSearchEngines ? table->Count : kMaxSearchEngines;
  for (DWORD i = 0; i < engines; ++i) {
    SearchEngine& engine = table->Engines[i];
    ini.IniGetString(kEngineSection, engine.Name, TEXT("Engine"), engine.Title,
                     Capacity(engine.Title));
    const DWORD items = engine.Count < kSearchItemSlots ? engine.Count : kSearchItemSlots;
    for (DWORD j = 0; j < items; ++j) {
      SearchItem& item = engine.Items[j];
      ini.IniGetString(engine.Name, item.Name, TEXT("Catalog"), item.Title, Capacity(item.Title));
    }
  }
  ini.IniClose();
}

void ReleaseSkins(SkinTableRegion* table) {
  if (table == nullptr) return;
  // The count comes from a shared block; never walk past the table's room.
  const DWORD count = table->Count < kSkinSlots ? table->Count : kSkinSlots;
  for (DWORD i = 0; i < count; ++i) {
    for (DWORD& handle : table->Skins[i].Handles) {
      if (handle != 0) {
        // The word is the handle; UINT_PTR only widens it for the 64-bit native build.
        DeleteObject(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(handle)));
        handle = 0;
      }
    }
  }
  table->Count = 0;
}

void LoadSkins(SkinTableRegion* table, LPCWSTR install_dir) {
  if (table == nullptr || install_dir == nullptr) return;
  ReleaseSkins(table);
  WCHAR skin_folder[MAX_PATH];
  WCHAR path[MAX_PATH];
  FormPath(skin_folder, install_dir, TEXT("Skin"));
  FormPath(path, skin_folder, TEXT("Skin.ini"));
  IniFile ini;
  ini.IniOpen(path, GENERIC_READ, 0);
  SkinEntry skin;
  for (UINT n = 0; n <= 30; ++n) {
    WCHAR key[8];
    StringCchPrintfW(key, Capacity(key), TEXT("%02X"), n);
    WCHAR name[128];
    if (ini.IniGetString(kSkinSection, key, TEXT(""), name, Capacity(name)) == 0) break;
    if (!ini.IsOpen()) break;
    if (!ReadSkin(ini, skin_folder, name, &skin)) break;
    // Nine skins at most, although the table has room for ten: the tenth
    // slot is never filled.
    if (table->Count + 1 < kSkinSlots) {
      table->Skins[table->Count] = skin;
      ++table->Count;
    }
  }
  ini.IniClose();
}

void LoadGestureImage(GestureImageRegion* image, LPCWSTR install_dir) {
  if (image == nullptr || install_dir == nullptr) return;
  image->Reserved = 0;
  std::memset(image->Path, 0, sizeof(image->Path));
  FormPath(image->Path, install_dir, TEXT("Skin"));
  WCHAR path[MAX_PATH];
  FormPath(path, image->Path, TEXT("Config.ini"));
  IniFile ini;
  ini.IniOpen(path, GENERIC_READ, 0);
  WCHAR file[32];
  ini.IniGetString(TEXT("GESTURE"), TEXT("FILE"), TEXT("BG.bmp"), file, Capacity(file));
  JoinPath(image->Path, file);
  ini.IniClose();
}
