// The preference builder: fills a newly created, all-zero PreferenceBlock
// from the input method's INI files by running its loaders in a fixed order.
// It runs once per newly created preference section, in the process that
// created it; a section that existed before is never rebuilt.
#ifndef RECO_BUILDER_PREFERENCE_BUILDER_H_
#define RECO_BUILDER_PREFERENCE_BUILDER_H_

#include "platform/platform.h"

class PreferenceSection;

// Loads the recognition settings from `data_dir`, then the recognition
// languages, search engines, skins, gesture image, interface languages and
// keyboards from `install_dir`, then the interface texts. No step is fatal.
// Returns the result of LoadInterfaceTexts (kBuildNoEntry without a view);
// callers ignore it.
DWORD BuildPreferences(PreferenceSection* section, LPCWSTR install_dir, LPCWSTR data_dir);

// Loads every interface text from the folder of the interface language
// MenuLangIndex under "Menu Lang" of `install_dir`. Returns 0, or
// kBuildNoEntry (nothing loaded) when there is no view or MenuLangIndex does
// not name a stored interface language.
DWORD LoadInterfaceTexts(PreferenceSection* section, LPCWSTR install_dir);

#endif  // RECO_BUILDER_PREFERENCE_BUILDER_H_
