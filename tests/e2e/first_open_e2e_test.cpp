// The first open of each page as a person meets it, with the device's fonts
// that cmake/wine-run.sh gives every prefix, the demo's too: every text fits
// its control in both interface languages, the device's default result font
// is selected, and recoctl's wait ends only once the page has loaded, entry
// or none. The interface language comes from the settings file, so that
// every process of the run keeps the prefix's locale and its font links.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "shared/sections.h"
#include "tests/e2e/e2e_driver.h"
#include "tests/shared/test_env.h"

namespace e2e {
namespace {

class FirstOpenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CanMakeWindows()) GTEST_SKIP() << "no display: the program's windows cannot be made";
  }
  void TearDown() override { Close(); }

  void Open(const std::function<void(PreferenceBlock*)>& edit) {
    WriteSettings(edit);
    ASSERT_TRUE(page_.Start(RecorangePath(), ""));
    const Output wait = Recoctl("page wait --timeout 30");
    ASSERT_EQ(0u, wait.exit_code) << wait.text;
  }
  // Ends the page and waits for its sections to go, so that the next start
  // builds the block afresh from the settings file.
  void Close() {
    if (page_.Started()) Recoctl("page close");
    page_.Kill();
    for (int i = 0; i < 250 && SectionExists(kPreferenceSectionName); ++i) Sleep(20);
    DeleteFileW(SettingsPath().c_str());
  }

  test_support::TempDir temp_;
  test_env::TestRegistry registry_{temp_};  // no "Path" naming another installation
  Process page_;
};

TEST_F(FirstOpenTest, Recorange_EveryTextFitsAndDefaultFontIsSelected) {
  struct Case {
    DWORD reco_lang_id;    // chooses the page
    LONG menu_lang_index;  // chooses the texts: 0 Chinese, 1 English
  };
  const Case cases[] = {{2052, 0}, {2052, 1}, {1033, 0}, {1033, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE("RecoLangId " + std::to_string(c.reco_lang_id) + ", MenuLangIndex " +
                 std::to_string(c.menu_lang_index));
    Open([&c](PreferenceBlock* block) {
      block->Header.RecoLangId = c.reco_lang_id;
      block->Header.MenuLangIndex = c.menu_lang_index;
    });
    const Output fit = Recoctl("page fit");
    EXPECT_EQ(0u, fit.exit_code) << fit.text;  // each clipped text is named with its control
    const Json fonts = ControlOf(PageState(), 322);
    ASSERT_TRUE(fonts["selected"].is_number());
    const int selected = fonts["selected"];
    EXPECT_EQ(u8"宋体", selected >= 0 ? fonts["items"][selected] : Json()) << fonts["items"];
    Close();
  }
}

// The load selects nothing on such a page, so only the page's own idleness
// tells that it has run.
TEST_F(FirstOpenTest, Recoctl_PageWaitEndsOnPageWithoutEntry) {
  Open([](PreferenceBlock* block) {
    block->Header.RecoLangId = 1033;
    block->Entries[kLatinEntry].LangId = 1031;
  });
  const Json state = PageState();
  EXPECT_NE("", state["title"]) << "the texts were not set";
  const Json sizes = ControlOf(state, 323);
  EXPECT_FALSE(sizes["items"].empty()) << "the lists were not filled";
  EXPECT_EQ(-1, sizes["selected"]);
}

}  // namespace
}  // namespace e2e
