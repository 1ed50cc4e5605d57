// The settings program as a whole, in its own process beside a stand-in
// server: start-up, the single-instance rule, the page chosen by the
// recognition language, confirmation and close, and the settings file
// written at exit. Every case starts with no section and no settings file
// and ends with every process it started gone and both sections released.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resources/app/resource.h"
#include "shared/sections.h"
#include "tests/e2e/e2e_driver.h"
#include "tests/shared/test_env.h"

namespace e2e {
namespace {

constexpr DWORD kEndTimeoutMs = 20000;
constexpr DWORD kSectionGoneTimeoutMs = 5000;

class RecorangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CanMakeWindows()) GTEST_SKIP() << "no display: the program's windows cannot be made";
    Reset();
  }
  void TearDown() override { Reset(); }

  // Ends whatever the previous case left running, checks that the named
  // sections went with it, and removes the settings file.
  void Reset() {
    second_.Kill();
    page_.Kill();
    server_.reset();
    const ULONGLONG deadline = GetTickCount64() + kSectionGoneTimeoutMs;
    while ((SectionExists(kPreferenceSectionName) || SectionExists(kServerSectionName)) &&
           GetTickCount64() < deadline) {
      Sleep(20);
    }
    EXPECT_FALSE(SectionExists(kPreferenceSectionName)) << "the preference section lingers";
    EXPECT_FALSE(SectionExists(kServerSectionName)) << "the server section lingers";
    DeleteFileW(SettingsPath().c_str());
  }

  void StartServer() {
    server_ = std::make_unique<Server>();
    ASSERT_TRUE(server_->Start(temp_ / L"serve.txt")) << server_->Text();
  }
  // Starts the program on a settings file with `reco_lang_id` and waits
  // until its page has loaded.
  void OpenPage(DWORD reco_lang_id) {
    WriteSettings([=](PreferenceBlock* block) { block->Header.RecoLangId = reco_lang_id; });
    ASSERT_TRUE(page_.Start(RecorangePath(), ""));
    const Output wait = Recoctl("page wait --timeout 30");
    ASSERT_EQ(0u, wait.exit_code) << wait.text;
  }
  void Do(const std::string& args) {
    const Output out = Recoctl(args);
    EXPECT_EQ(0u, out.exit_code) << "recoctl " << args << ": " << out.text;
  }
  void Check(int id, bool on) { Do("page check " + std::to_string(id) + (on ? " on" : " off")); }
  // Ends the page with "page ok" or "page close" and the program with 0.
  void End(const char* how) {
    Do(std::string("page ") + how);
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(page_.Wait(kEndTimeoutMs, &code)) << "the program did not end";
    EXPECT_EQ(0u, code);
  }
  std::vector<std::string> StopServer() {
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(server_->Stop(&code));
    EXPECT_EQ(0u, code) << server_->Text();
    return server_->Notifications();
  }

  test_support::TempDir temp_;
  test_env::TestRegistry registry_{temp_};
  Process page_;
  Process second_;
  std::unique_ptr<Server> server_;
};

TEST_F(RecorangeTest, Recorange_FirstStartBuildsSecondStartDefers) {
  OpenPage(kLangEnglish);
  const Json block = Json::parse(Recoctl("show --live --json").text, nullptr, false);
  ASSERT_TRUE(block.is_object());
  EXPECT_EQ(test_support::ToUtf8(SettingsPath()), block["SettingsPath"]);
  const Json state = PageState();
  EXPECT_EQ(block["RecoOptionTexts"]["Common/RecoRange"], state["title"]);
  EXPECT_NE("", state["title"]) << "the block was not built";

  // A rebuild would start from the settings load, which zeroes this word.
  {
    HANDLE handle = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kPreferenceSectionName);
    ASSERT_NE(nullptr, handle);
    auto* live = static_cast<PreferenceBlock*>(MapViewOfFile(handle, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(nullptr, live);
    live->Word1988 = 0xE2E2E2E2;
    UnmapViewOfFile(live);
    CloseHandle(handle);
  }
  ForegroundWindow other;
  ASSERT_EQ(other.Window(), GetForegroundWindow());
  ASSERT_TRUE(second_.Start(RecorangePath(), ""));
  DWORD second_code = 0xFFFFFFFF;
  ASSERT_TRUE(second_.Wait(kEndTimeoutMs, &second_code));
  EXPECT_EQ(1u, second_code);
  // The page's own thread completes the activation, from its queue, after
  // the second copy has gone; until then there is no foreground window.
  for (int i = 0; i < 100 && GetForegroundWindow() != WindowOf(state); ++i) Sleep(20);
  EXPECT_EQ(WindowOf(state), GetForegroundWindow()) << "the open page was not brought forward";
  EXPECT_TRUE(SettingsUntouched()) << "the second copy wrote the settings file";
  const WString dump = temp_ / L"live.bin";
  Do("dump --live --out \"" + test_support::ToUtf8(dump) + "\"");
  test_support::Bytes bytes;
  ASSERT_TRUE(test_support::ReadFileBytes(dump, &bytes));
  ASSERT_EQ(sizeof(PreferenceBlock), bytes.size());
  DWORD word1988 = 0;
  std::memcpy(&word1988, bytes.data() + offsetof(PreferenceBlock, Word1988), sizeof(DWORD));
  EXPECT_EQ(0xE2E2E2E2u, word1988) << "the second copy rebuilt the block";
  EXPECT_EQ(state["window"], PageState()["window"]) << "the first page is no longer the open one";

  End("close");
  EXPECT_FALSE(SettingsUntouched()) << "the first copy did not write the settings back";
}

// Whatever the language, the page edits the entry of its template's
// language; without a server it runs all the same. Each page gets the same
// clicks on its first three boxes: the first on, which the Latin page
// refuses (its box is disabled: shown, never changed by a user), the second
// on, the third off.
TEST_F(RecorangeTest, Recorange_PageFollowsRecoLangId) {
  const struct {
    DWORD reco_lang_id;
    int template_id;
    DWORD first_box_exit;                  // of recoctl's click on the first box
    DWORD chinese_range;                   // entry 0 after the clicks and a confirmation
    DWORD latin_phrase_mode, latin_space;  // entry 1 likewise
  } cases[] = {
      {2052, IDD_CHINESE_RANGE, 0, 0x703, 3, 1},     // the second box: "special radicals"
      {0x10804, IDD_CHINESE_RANGE, 0, 0x703, 3, 1},  // the high half is not looked at
      {1028, IDD_LATIN_RANGE, 1, 0x08400701, 4, 0},  // the second box: "short phrases"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("RecoLangId " + std::to_string(c.reco_lang_id));
    Reset();
    OpenPage(c.reco_lang_id);
    EXPECT_EQ(c.template_id, PageState()["template"]);
    EXPECT_EQ(c.first_box_exit,
              Recoctl("page check " + std::to_string(IDC_STANDARD_CHARS) + " on").exit_code);
    Check(IDC_SPECIAL_RADICALS, true);
    Check(IDC_TRADITIONAL_FORMS, false);
    End("ok");
    const std::unique_ptr<PreferenceBlock> saved = ReadSettings();
    ASSERT_NE(nullptr, saved);
    EXPECT_EQ(c.chinese_range, saved->Entries[kChineseEntry].RecoRange);
    EXPECT_EQ(c.latin_phrase_mode, saved->Entries[kLatinEntry].PhraseMode);
    EXPECT_EQ(c.latin_space, saved->Entries[kLatinEntry].AutoInsertSpace);
    EXPECT_EQ(0x4307u, saved->Entries[kLatinEntry].RecoRange);
    EXPECT_EQ(c.reco_lang_id, saved->Header.RecoLangId);
  }
}

// The sizes offered for the default ExtendSize (16) are 8 to 14, each with
// its number as the item's data.
TEST_F(RecorangeTest, Recorange_ConfirmStoresControlsAndNotifiesOnce) {
  StartServer();
  OpenPage(kLangSimplifiedChinese);
  const Json before = PageState();
  for (int id : {IDC_STANDARD_CHARS, IDC_ENGLISH_LETTERS, IDC_DIGITS}) {
    EXPECT_TRUE(ControlOf(before, id)["checked"]) << id;
  }
  const Json sizes = ControlOf(before, IDC_FONT_SIZE);
  EXPECT_EQ(Json::array({"8", "9", "10", "11", "12", "13", "14"}), sizes["items"]);
  EXPECT_EQ(Json::array({8, 9, 10, 11, 12, 13, 14}), sizes["data"]);
  for (int id : {IDC_STANDARD_CHARS, IDC_ENGLISH_LETTERS, IDC_DIGITS}) Check(id, false);
  for (int id : {IDC_CHINESE_PUNCTUATION, IDC_ENGLISH_PUNCTUATION}) Check(id, true);
  Do("page select " + std::to_string(IDC_CHARSET) + " 1");
  Do("page select " + std::to_string(IDC_FONT_SIZE) + " 1");
  End("ok");

  const std::vector<std::string> notes = StopServer();
  ASSERT_EQ(1u, notes.size()) << server_->Text();
  EXPECT_NE(std::string::npos, notes[0].find(" wParam=29714 lParam=0 ")) << notes[0];
  EXPECT_NE(std::string::npos,
            notes[0].find("entry0 LangId=2052 Charset=4098 RecoRange=0x7000 AutoInsertSpace=0"))
      << notes[0];
  const std::unique_ptr<PreferenceBlock> saved = ReadSettings();
  ASSERT_NE(nullptr, saved);
  EXPECT_EQ(0x7000u, saved->Entries[kChineseEntry].RecoRange);
  EXPECT_EQ(kCharsetGbk, saved->Entries[kChineseEntry].Charset);
  EXPECT_EQ(9u, saved->Entries[kChineseEntry].FontSize);
}

// A page that ended without its WM_DESTROY leaves its window in the server
// record: a window that has gone does not stop the next start. An apply
// sent from outside saves and notifies but leaves the page open; the close
// after it neither stores the later change nor notifies.
TEST_F(RecorangeTest, Recorange_GoneWindowThenApplyAndClose) {
  StartServer();
  OpenPage(kLangEnglish);
  page_.Kill();
  {
    HANDLE handle = OpenFileMappingW(FILE_MAP_READ, FALSE, kServerSectionName);
    ASSERT_NE(nullptr, handle);
    const auto* server =
        static_cast<const ServerBlock*>(MapViewOfFile(handle, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(nullptr, server);
    const HWND gone = WordToWindow(server->SettingsWindow);
    UnmapViewOfFile(server);
    CloseHandle(handle);
    ASSERT_NE(nullptr, gone);
    ASSERT_FALSE(IsWindow(gone));
  }
  OpenPage(kLangEnglish);
  Do("page apply");
  EXPECT_TRUE(PageState().is_object()) << "the apply ended the page";
  Check(IDC_LATIN_SHORT_PHRASE, true);
  End("close");
  const std::vector<std::string> notes = StopServer();
  ASSERT_EQ(1u, notes.size()) << server_->Text();
  EXPECT_NE(std::string::npos, notes[0].find("entry1 LangId=1033 Charset=257 RecoRange=0x4307 "
                                             "AutoInsertSpace=1 PhraseMode=3"))
      << notes[0];
  EXPECT_FALSE(SettingsUntouched()) << "the settings were not written back";
  const std::unique_ptr<PreferenceBlock> saved = ReadSettings();
  ASSERT_NE(nullptr, saved);
  EXPECT_EQ(3u, saved->Entries[kLatinEntry].PhraseMode) << "a close stored the page";
}

}  // namespace
}  // namespace e2e
