// The settings program as a whole, in its own process: the page chosen by
// the recognition language, its first open, confirmation, apply and close,
// the reload notification and the settings file written at exit.
#include <string>
#include <vector>

#include "resources/app/resource.h"
#include "settings/settings_replace.h"
#include "shared/preference_block.h"
#include "shared/sections.h"
#include "tests/e2e/e2e_driver.h"

namespace e2e {
namespace {

// The first open of each page as a person meets it, with the device's fonts
// that cmake/wine-run.sh gives every prefix: every text fits its control in
// both interface languages and the device's default result font is
// selected. Whatever the language, the page edits the entry of its
// template's language; without a server it runs all the same. Each page
// gets the same clicks on its first three boxes: the first on, which the
// Latin page refuses (its box is disabled: shown, never changed by a user),
// the second on, the third off.
TEST_F(E2ETest, Recorange_PageFollowsRecoLangId) {
  const struct {
    DWORD reco_lang_id;   // chooses the page
    int menu_lang_index;  // chooses the texts: 0 Chinese, 1 English
    const char* more;     // further settings
    int template_id;
    const char* font;                    // selected on open; null when the load selects none
    DWORD first_box_exit;                // of recopage's click on the first box
    const char* chinese_range;           // entry 0 after the clicks and a confirmation
    int latin_phrase_mode, latin_space;  // entry 1 likewise
  } cases[] = {
      {2052, 0, "", IDD_CHINESE_RANGE, u8"宋体", 0, "0x703", 3, 1},     // the second box: radicals
      {0x10804, 1, "", IDD_CHINESE_RANGE, u8"宋体", 0, "0x703", 3, 1},  // the high half is ignored
      {1028, 0, "", IDD_LATIN_RANGE, u8"宋体", 1, "0x8400701", 4, 0},   // second: "short phrases"
      {1033, 1, "", IDD_LATIN_RANGE, u8"宋体", 1, "0x8400701", 4, 0},
      // No entry of the page's language: texts and lists all the same, the
      // clicks store nothing, and only the page's own idleness tells
      // recopage's wait that it has loaded.
      {1033, 1, " LatinRange.LangId=1031", IDD_LATIN_RANGE, nullptr, 1, "0x8400701", 3, 1},
  };
  for (const auto& c : cases) {
    const std::string settings = "option.RecoLangId=" + std::to_string(c.reco_lang_id) +
                                 " option.MenuLangIndex=" + std::to_string(c.menu_lang_index) +
                                 c.more;
    SCOPED_TRACE(settings);
    Reset();
    OpenPage(settings);
    const Output fit = Recopage("fit");
    EXPECT_EQ(0u, fit.exit_code) << fit.text;  // each clipped text is named with its control
    Json state = PageState();
    EXPECT_EQ(c.template_id, state["template"]);
    EXPECT_NE("", state["title"]) << "the texts were not set";
    Json fonts = ControlOf(state, IDC_FONT_NAME);
    EXPECT_FALSE(fonts["items"].empty()) << "the lists were not filled";
    const int selected = fonts.value("selected", -1);
    EXPECT_EQ(c.font ? Json(c.font) : Json(), selected >= 0 ? fonts["items"].at(selected) : Json())
        << fonts["items"];
    EXPECT_EQ(c.first_box_exit,
              Recopage("check " + std::to_string(IDC_STANDARD_CHARS) + " on").exit_code);
    Check(IDC_SPECIAL_RADICALS, true);
    Check(IDC_TRADITIONAL_FORMS, false);
    End("ok");
    Json saved = SettingsFile();
    EXPECT_EQ(Json(c.chinese_range), saved["SCRange"]["RecoRange"]);
    EXPECT_EQ(c.latin_phrase_mode, saved["LatinRange"]["PhraseMode"]);
    EXPECT_EQ(c.latin_space, saved["LatinRange"]["AutoInsertSpace"]);
    EXPECT_EQ("0x4307", saved["LatinRange"]["RecoRange"]);
    EXPECT_EQ(c.reco_lang_id, saved["option"]["RecoLangId"]);
  }
}

// A page that ended without its WM_DESTROY leaves its window in the server
// record, where diagnose names it stale: it does not stop the next start.
// An apply sent from outside saves and notifies once but leaves the page
// open; the close after it neither stores the later change nor notifies.
TEST_F(E2ETest, Recorange_GoneWindowThenApplyAndClose) {
  StartServer("serve");
  OpenPage("option.RecoLangId=2052");
  page_.Kill();
  const Output report = Recoctl("diagnose");
  EXPECT_EQ(1u, report.exit_code) << report.text;
  EXPECT_NE(std::string::npos, report.text.find("SettingsWindow is stale")) << report.text;

  OpenPage("");
  Json before = PageState();
  for (int id : {IDC_STANDARD_CHARS, IDC_ENGLISH_LETTERS, IDC_DIGITS}) {
    EXPECT_TRUE(ControlOf(before, id)["checked"]) << id;
    Check(id, false);
  }
  // The sizes offered for the default ExtendSize (16) are 8 to 14, each
  // with its number as the item's data.
  Json sizes = ControlOf(before, IDC_FONT_SIZE);
  EXPECT_EQ(Json::array({"8", "9", "10", "11", "12", "13", "14"}), sizes["items"]);
  EXPECT_EQ(Json::array({8, 9, 10, 11, 12, 13, 14}), sizes["data"]);
  for (int id : {IDC_CHINESE_PUNCTUATION, IDC_ENGLISH_PUNCTUATION}) Check(id, true);
  DoPage("select " + std::to_string(IDC_CHARSET) + " 1");
  DoPage("select " + std::to_string(IDC_FONT_SIZE) + " 1");
  DoPage("apply");
  EXPECT_TRUE(PageState().is_object()) << "the apply ended the page";
  Check(IDC_DIGITS, true);
  End("close");

  const std::vector<std::string> notes = StopServer();
  ASSERT_EQ(1u, notes.size()) << ServerText();
  EXPECT_NE(std::string::npos, notes[0].find(" wParam=29714 lParam=0 | entry0 LangId=2052 "
                                             "Charset=4098 RecoRange=0x7000 AutoInsertSpace=0"))
      << notes[0];
  Json saved = SettingsFile();
  EXPECT_EQ("0x7000", saved["SCRange"]["RecoRange"]) << "a close stored the page";
  EXPECT_EQ(kCharsetGbk, saved["SCRange"]["Charset"]);
  EXPECT_EQ(9, saved["SCRange"]["FontSize"]);
}

// Another program holds the settings file: with share mode 0 while the
// program starts, letting go while the page is open, and with
// FILE_SHARE_READ across a confirmation and the exit. Only what was
// confirmed is written, and it reaches the file once the holder lets go.
TEST_F(E2ETest, Recorange_HeldSettingsFileLosesNothing) {
  const auto hold = [](DWORD share) {
    return CreateFileW(SettingsPath().c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  Do("settings set option.RecoLangId=1033 SCRange.RecoRange=0x701 LatinRange.AutoInsertSpace=1 "
     "LatinRange.PhraseMode=4 Extend.ExtendSize=20");
  const Json before = SettingsFile();
  HANDLE holder = hold(0);
  OpenPage("");  // the load gives up: the page shows the defaults (phrase mode 3)
  CloseHandle(holder);
  EXPECT_FALSE(ControlOf(PageState(), IDC_LATIN_SHORT_PHRASE)["checked"]);
  Check(IDC_LATIN_AUTO_SPACE, false);
  End("ok");
  Json saved = SettingsFile();
  for (const char* record : {"option", "SCRange", "Extend"}) {
    EXPECT_EQ(before[record], saved[record]) << record;
  }
  EXPECT_EQ(0, saved["LatinRange"]["AutoInsertSpace"]);

  OpenPage("");
  holder = hold(FILE_SHARE_READ);
  Check(IDC_LATIN_AUTO_SPACE, true);
  End("ok");
  CloseHandle(holder);
  SettingsFiles files;
  ASSERT_TRUE(MakeSettingsFiles(SettingsPath().c_str(), &files));
  EXPECT_TRUE(test_support::PathExists(files.pending));
  OpenPage("");
  EXPECT_TRUE(ControlOf(PageState(), IDC_LATIN_AUTO_SPACE)["checked"]);
  End("close");
  EXPECT_EQ(1, SettingsFile()["LatinRange"]["AutoInsertSpace"]);
  EXPECT_FALSE(test_support::PathExists(files.pending));
}

// A second copy started while this test builds the block, as a first copy
// would: it holds the builder mutex and the section, still all zeros, past
// the copy's bound. The copy gives up: no page, no write-back of the
// half-built record; the settings file keeps the person's values.
TEST_F(E2ETest, Recorange_CopyStartedWithinABuildFailsItsStart) {
  Do("settings set LatinRange.FontSize=12 option.RecoLangId=2052");
  const Json before = SettingsFile();
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kBuilderMutexName);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));
  PreferenceSection building;
  ASSERT_TRUE(building.Open());
  Process copy;
  DWORD code = 0;
  ASSERT_TRUE(copy.Start(RecorangePath(), "") && copy.Wait(kEndTimeoutMs, &code));
  EXPECT_EQ(0xFFFFFFFFu, code);  // -1: the start failed
  EXPECT_EQ(before, SettingsFile());
  EXPECT_EQ(12, before["LatinRange"]["FontSize"]);
  building.Release();
  EXPECT_TRUE(ReleaseMutex(mutex) && CloseHandle(mutex));
}

}  // namespace
}  // namespace e2e
