// The settings program as a whole, in its own process beside a stand-in
// server: start-up, the single-instance rule, the page chosen by the
// recognition language, confirmation and close, and the settings file
// written at exit. Every case starts with no section and no settings file
// and ends with every process it started gone and both sections released.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shared/sections.h"
#include "tests/e2e/e2e_driver.h"
#include "tests/shared/test_env.h"

namespace e2e {
namespace {

constexpr DWORD kEndTimeoutMs = 20000;
constexpr DWORD kSectionGoneTimeoutMs = 5000;

class RecorangeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { UseUnmanagedWindows(); }
  void SetUp() override {
    if (!CanMakeWindows()) GTEST_SKIP() << "no display: the program's windows cannot be made";
    Reset();
  }
  void TearDown() override { Reset(); }

  // Ends whatever the previous case left running and checks that the named
  // sections went with it.
  void EndAll() {
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
  }
  void Reset() {
    EndAll();
    DeleteFileW(SettingsPath().c_str());
  }

  void StartServer() {
    server_ = std::make_unique<Server>();
    ASSERT_TRUE(server_->Start(temp_ / L"serve.txt")) << server_->Text();
  }
  // Starts the program and waits until its page has loaded.
  void OpenPage() {
    ASSERT_TRUE(page_.Start(RecorangePath(), ""));
    const Output wait = Recoctl("page wait --timeout 30");
    ASSERT_EQ(0u, wait.exit_code) << wait.text;
  }
  void Do(const std::string& args) {
    const Output out = Recoctl(args);
    EXPECT_EQ(0u, out.exit_code) << "recoctl " << args << ": " << out.text;
  }
  DWORD PageExitCode() {
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(page_.Wait(kEndTimeoutMs, &code)) << "the program did not end";
    return code;
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

void SetLanguage(DWORD reco_lang_id) {
  WriteSettings(
      [reco_lang_id](PreferenceBlock* block) { block->Header.RecoLangId = reco_lang_id; });
}

TEST_F(RecorangeTest, Recorange_FirstStartBuildsSecondStartDefers) {
  SetLanguage(1033);
  OpenPage();

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

  Do("page close");
  EXPECT_EQ(0u, PageExitCode());
  EXPECT_FALSE(SettingsUntouched()) << "the first copy did not write the settings back";
}

// Whatever the language, the page edits the entry of its template's language.
TEST_F(RecorangeTest, Recorange_PageFollowsRecoLangId) {
  struct Case {
    DWORD reco_lang_id;
    int template_id;
    DWORD chinese_range;      // entry 0 after 304 is checked and the page confirmed
    DWORD latin_phrase_mode;  // entry 1 likewise
  };
  const Case cases[] = {
      {2052, 325, 0x703, 3},       // 304 is "special radicals"
      {0x10804, 325, 0x703, 3},    // the high half is not looked at
      {1028, 400, 0x08400701, 4},  // 304 is "short phrases"; entry 0 untouched
      {1033, 400, 0x08400701, 4}, {0, 400, 0x08400701, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("RecoLangId " + std::to_string(c.reco_lang_id));
    Reset();
    SetLanguage(c.reco_lang_id);
    OpenPage();
    EXPECT_EQ(c.template_id, PageState()["template"]);
    Do("page check 304 on");
    Do("page ok");
    EXPECT_EQ(0u, PageExitCode());
    const std::unique_ptr<PreferenceBlock> saved = ReadSettings();
    ASSERT_NE(nullptr, saved);
    EXPECT_EQ(c.chinese_range, saved->Entries[kChineseEntry].RecoRange);
    EXPECT_EQ(c.latin_phrase_mode, saved->Entries[kLatinEntry].PhraseMode);
    EXPECT_EQ(c.reco_lang_id, saved->Header.RecoLangId);
  }
}

TEST_F(RecorangeTest, Recorange_ConfirmStoresControlsAndNotifiesOnce) {
  SetLanguage(2052);
  StartServer();
  OpenPage();
  const Json before = PageState();
  for (int id : {303, 307, 308}) EXPECT_TRUE(ControlOf(before, id)["checked"]) << id;
  for (const char* step :
       {"page check 303 off", "page check 307 off", "page check 308 off", "page check 309 on",
        "page check 310 on", "page select 302 1", "page select 323 0"}) {
    Do(step);
  }
  Do("page ok");
  EXPECT_EQ(0u, PageExitCode());

  const std::vector<std::string> notes = StopServer();
  ASSERT_EQ(1u, notes.size()) << server_->Text();
  EXPECT_NE(std::string::npos, notes[0].find(" wParam=29714 lParam=0 ")) << notes[0];
  EXPECT_NE(std::string::npos,
            notes[0].find("entry0 LangId=2052 Charset=4098 RecoRange=0x7000 AutoInsertSpace=0"))
      << notes[0];
  EXPECT_NE(std::string::npos, notes[0].find("FontSize=8 |")) << notes[0];
  const std::unique_ptr<PreferenceBlock> saved = ReadSettings();
  ASSERT_NE(nullptr, saved);
  EXPECT_EQ(0x7000u, saved->Entries[kChineseEntry].RecoRange);
  EXPECT_EQ(4098u, saved->Entries[kChineseEntry].Charset);
  EXPECT_EQ(8u, saved->Entries[kChineseEntry].FontSize);
}

// An apply sent from outside saves and notifies but leaves the page open; the
// close after it neither stores the later change nor notifies.
TEST_F(RecorangeTest, Recorange_CloseNotifiesNothingAndWritesBack) {
  SetLanguage(1033);
  StartServer();
  OpenPage();
  Do("page apply");
  EXPECT_TRUE(PageState().is_object()) << "the apply ended the page";
  Do("page check 304 on");
  Do("page close");
  EXPECT_EQ(0u, PageExitCode());
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

TEST_F(RecorangeTest, Recorange_RunsWithoutServerWindow) {
  SetLanguage(1033);
  OpenPage();
  // Disabled on the Latin page: shown, never changed by a user.
  EXPECT_EQ(1u, Recoctl("page check 303 on").exit_code);
  Do("page check 304 on");
  Do("page check 305 off");
  Do("page ok");
  EXPECT_EQ(0u, PageExitCode());
  const std::unique_ptr<PreferenceBlock> saved = ReadSettings();
  ASSERT_NE(nullptr, saved);
  EXPECT_EQ(4u, saved->Entries[kLatinEntry].PhraseMode);
  EXPECT_EQ(0u, saved->Entries[kLatinEntry].AutoInsertSpace);
  EXPECT_EQ(0x4307u, saved->Entries[kLatinEntry].RecoRange);
}

// A page that ended without its WM_DESTROY leaves its window in the server
// record; a window that has gone does not stop the next start.
TEST_F(RecorangeTest, Recorange_GoneSettingsWindowDoesNotStopStart) {
  SetLanguage(1033);
  StartServer();
  OpenPage();
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
  OpenPage();
  Do("page close");
  EXPECT_EQ(0u, PageExitCode());
  EXPECT_TRUE(StopServer().empty()) << server_->Text();
}

TEST_F(RecorangeTest, Recorange_FontSizesFollowExtendSize) {
  struct Case {
    DWORD extend_size;
    int first;  // offered sizes first..last; none when first > last
    int last;
  };
  const Case cases[] = {
      {20, 10, 18},
      {54, 27, 48},
      {0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("ExtendSize " + std::to_string(c.extend_size));
    Reset();
    WriteSettings([&c](PreferenceBlock* block) {
      block->Header.RecoLangId = 1033;
      block->ExtendSize = c.extend_size;
    });
    OpenPage();
    Json expected_items = Json::array();
    Json expected_data = Json::array();
    for (int size = c.first; size <= c.last; ++size) {
      expected_items.push_back(std::to_string(size));
      expected_data.push_back(size);
    }
    const Json sizes = ControlOf(PageState(), 323);
    EXPECT_EQ(expected_items, sizes["items"]);
    EXPECT_EQ(expected_data, sizes["data"]);
    Do("page close");
    EXPECT_EQ(0u, PageExitCode());
  }
}

}  // namespace
}  // namespace e2e
