// The process-wide state of the tool: the three owners created at start-up
// and released at shutdown, and the language the page edits.
#ifndef RECO_APP_APP_GLOBALS_H_
#define RECO_APP_APP_GLOBALS_H_

#include "app/font_name_list.h"
#include "platform/platform.h"
#include "shared/sections.h"

// Created by AppInit in this order, deleted by AppCleanup in this order;
// null before and after.
struct AppGlobalOwners {
  PreferenceSection* preference_section;
  ServerSection* server_section;
  FontNameList* font_names;
};
extern AppGlobalOwners AppGlobals;

// The language whose LanguageEntry the page edits; written by WinMain only,
// before a page exists.
extern WORD PageLangId;

// Start-up: directories, sections (building a new preference block), fonts.
// Nonzero on success; 0 when a holder cannot be made or the preference
// section gives no view.
BOOL AppInit();

// Shutdown: writes the settings back, then releases the sections and the
// font list. Called once, after the page has ended.
void AppCleanup();

// Exit codes of the process.
constexpr int kExitStartupFailed = -1;
constexpr int kExitOtherPageShown = 1;
constexpr int kExitPageRan = 0;

#endif  // RECO_APP_APP_GLOBALS_H_
