// The order of the builder's steps carries its dependencies: the settings
// give RecoLangId and MenuLangIndex; the recognition languages come before
// the keyboards and their titles; the engines and the keyboards come before
// their titles; the interface languages come before the interface texts. A
// title loader only adds display texts to records an earlier step created.
#include "builder/preference_builder.h"

#include "builder/folder_path.h"
#include "builder/loaders.h"
#include "settings/settings_file.h"
#include "shared/sections.h"

DWORD BuildPreferences(PreferenceSection* section, LPCWSTR install_dir, LPCWSTR data_dir) {
  PreferenceBlock* block = section != nullptr ? section->Block() : nullptr;
  if (block == nullptr) return kBuildNoEntry;
  // No step is fatal: every loader runs whatever the ones before it found.
  LoadRecoSettings(section, data_dir);
  LoadRecoLanguages(&block->RecoLangTable, install_dir);
  LoadSearchEngines(&block->SearchTable, install_dir);
  LoadSkins(&block->SkinTable, install_dir);
  LoadGestureImage(&block->GestureImage, install_dir);
  WCHAR menu_lang_root[MAX_PATH];
  if (FormPath(menu_lang_root, install_dir, TEXT("Menu Lang"))) {
    LoadMenuLanguages(&block->MenuLangTable, menu_lang_root);
  }
  LoadKeyboards(section, install_dir);
  return LoadInterfaceTexts(section, install_dir);
}

DWORD LoadInterfaceTexts(PreferenceSection* section, LPCWSTR install_dir) {
  PreferenceBlock* block = section != nullptr ? section->Block() : nullptr;
  if (block == nullptr) return kBuildNoEntry;
  const LONG index = block->Header.MenuLangIndex;
  const MenuLangTableRegion& languages = block->MenuLangTable;
  if (index < 0 || static_cast<DWORD>(index) >= languages.Count ||
      static_cast<DWORD>(index) >= kMaxMenuLangs) {
    return kBuildNoEntry;
  }
  // An empty DIR leaves "Menu Lang\" itself as the folder.
  WCHAR menu_lang_dir[MAX_PATH];
  if (!FormPath(menu_lang_dir, install_dir, TEXT("Menu Lang\\"))) return kBuildNoEntry;
  JoinPath(menu_lang_dir, languages.Entries[index].DIR);

  LoadKeyboardTitles(&block->SoftKeyboardTable, menu_lang_dir);
  LoadRecoLangTitles(&block->RecoLangTable, menu_lang_dir);
  LoadSearchTitles(&block->SearchTable, menu_lang_dir);
  LoadErrorTexts(&block->ErrorTexts, menu_lang_dir);
  LoadMainMenuTexts(&block->MainMenuTexts, menu_lang_dir);
  LoadAdaptManageTexts(&block->AdaptManageTexts, menu_lang_dir);
  LoadRecoOptionTexts(&block->RecoOptionTexts, menu_lang_dir);
  LoadDicManageTexts(&block->DicManageTexts, menu_lang_dir);
  LoadMacroManageTexts(&block->MacroManageTexts, menu_lang_dir);
  LoadTabPagesTexts(&block->TabPagesTexts, menu_lang_dir);
  LoadWizardTexts(&block->WizardTexts, menu_lang_dir);
  return 0;
}
