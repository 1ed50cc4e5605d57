// The process: start-up, the single-instance rule, the page, shutdown.
#include "app/app_globals.h"
#include "app/chinese_range_page.h"
#include "app/latin_range_page.h"
#include "builder/preference_builder.h"
#include "paths/directories.h"
#include "resources/app/resource.h"
#include "settings/settings_file.h"

#include <new>

AppGlobalOwners AppGlobals = {nullptr, nullptr, nullptr};
WORD PageLangId = 0;

namespace {

// Only the process that created the section finds it all zeros and fills
// it; every later copy uses it as found.
void BuildNewBlock(PreferenceSection* section) { BuildPreferences(section, InstallDir, DataDir); }

void EnumerateFonts(FontNameList* fonts) {
  HDC screen = GetDC(nullptr);
  LOGFONTW query = {};
  query.lfCharSet = DEFAULT_CHARSET;
  query.lfFaceName[0] = 0;
  EnumFontFamiliesExW(screen, &query, reinterpret_cast<FONTENUMPROCW>(&FontNameList::AddFontFamily),
                      reinterpret_cast<LPARAM>(fonts), 0);
  ReleaseDC(nullptr, screen);
}

}  // namespace

BOOL AppInit() {
  ResolveInstallDir(InstallDir, TRUE);
  ResolveDataDir();

  AppGlobals.preference_section = new (std::nothrow) PreferenceSection();
  if (AppGlobals.preference_section == nullptr) return 0;
  // A copy started while another builds the block waits for that build, and
  // fails here, writing nothing back, when it does not end in time.
  if (!AppGlobals.preference_section->OpenBuilt(&BuildNewBlock)) return 0;

  AppGlobals.server_section = new (std::nothrow) ServerSection();
  if (AppGlobals.server_section == nullptr) return 0;
  // Without a server view the tool still runs: no single-instance check, no
  // published page, no notification.
  AppGlobals.server_section->Open();

  AppGlobals.font_names = new (std::nothrow) FontNameList();
  if (AppGlobals.font_names == nullptr) return 0;
  AppGlobals.font_names->Clear();
  EnumerateFonts(AppGlobals.font_names);
  AppGlobals.font_names->Sort();
  return 1;
}

void AppCleanup() {
  if (AppGlobals.preference_section != nullptr) {
    // While the view is still mapped: the record is the source of the file.
    WriteBackSettings(AppGlobals.preference_section);
    AppGlobals.preference_section->Release();
    delete AppGlobals.preference_section;
    AppGlobals.preference_section = nullptr;
  }
  if (AppGlobals.server_section != nullptr) {
    AppGlobals.server_section->Release();
    delete AppGlobals.server_section;
    AppGlobals.server_section = nullptr;
  }
  if (AppGlobals.font_names != nullptr) {
    delete AppGlobals.font_names;
    AppGlobals.font_names = nullptr;
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPWSTR /*command_line*/,
                   int /*show_command*/) {
  if (!AppInit()) return kExitStartupFailed;

  // Another copy's page is open: bring it forward and leave everything as
  // it is, the settings file included.
  const ServerBlock* server =
      AppGlobals.server_section != nullptr ? AppGlobals.server_section->Block() : nullptr;
  const DWORD open_page = server != nullptr ? server->SettingsWindow : 0;
  if (open_page != 0 && IsWindow(WordToWindow(open_page))) {
    // The lowest bit asks for the window's owned pop-ups to come forward too.
    CeSetForegroundWindow(WordToWindow(open_page | 1));
    return kExitOtherPageShown;
  }

  PageLangId = LOWORD(AppGlobals.preference_section->Block()->Header.RecoLangId);
  DialogBase* page = nullptr;
  int template_id = 0;
  if (PageLangId == kLangSimplifiedChinese) {
    page = new (std::nothrow) ChineseRangePage();
    template_id = IDD_CHINESE_RANGE;
  } else {
    // Every other language is edited as the Latin entry.
    PageLangId = kLangEnglish;
    page = new (std::nothrow) LatinRangePage();
    template_id = IDD_LATIN_RANGE;
  }
  if (page == nullptr) return kExitStartupFailed;

  // A page that could not be shown did not run: the start failed, and what
  // was opened is released all the same.
  const bool ran = page->DoModal(instance, template_id, nullptr) != -1;
  AppCleanup();
  delete page;
  return ran ? kExitPageRan : kExitStartupFailed;
}
